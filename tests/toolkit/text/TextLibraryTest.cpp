#include <gtest/gtest.h>

#include "toolkit/core/TextLibraryHooks.h"
#include "toolkit/text/FreeTypeLibrary.h"
#include "toolkit/text/TextGamma.h"
#include "toolkit/text/TextLibrary.h"

namespace {

TEST(TextGamma, TablesFollowTheExponentAndItsInverse)
{
    BuildTextGammaTables(1.1f);
    const uint8_t* gamma = GetTextGammaTable();
    const uint8_t* inverse = GetTextInverseGammaTable();
    const int levels[] = {0, 1, 64, 128, 200, 255};
    const int expectedGamma[] = {0, 1, 56, 119, 195, 255};
    const int expectedInverse[] = {0, 2, 73, 136, 204, 255};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(gamma[levels[i]], expectedGamma[i]) << levels[i];
        EXPECT_EQ(inverse[levels[i]], expectedInverse[i]) << levels[i];
    }
    BuildTextGammaTables(1.0f);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(gamma[i], i);
}

TEST(FreeTypeLibrary, OneHandleLivesBetweenStartAndStop)
{
    ASSERT_EQ(InitFreeType(), kResOk);
    const FT_Library library = GetFreeTypeLibrary();
    ASSERT_NE(library, nullptr);
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(library, &major, &minor, &patch);
    EXPECT_EQ(major, 2);
    EXPECT_EQ(InitFreeType(), kResOk);
    EXPECT_EQ(GetFreeTypeLibrary(), library);
    DoneFreeType();
    EXPECT_EQ(GetFreeTypeLibrary(), nullptr);
    DoneFreeType();
}

TEST(TextLibrary, TheInstalledHooksStartAndStopFreeType)
{
    InstallTextLibraryHooks();
    const tTextLibraryHooks hooks = GetTextLibraryHooks();
    ASSERT_NE(hooks.start, nullptr);
    hooks.start();
    EXPECT_NE(GetFreeTypeLibrary(), nullptr);
    EXPECT_EQ(GetTextGammaTable()[128], 119);
    hooks.stop();
    EXPECT_EQ(GetFreeTypeLibrary(), nullptr);
    SetTextLibraryHooks({});
}

}  // namespace
