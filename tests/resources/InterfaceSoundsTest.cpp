#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "ResourceUseCheck.h"
#include "ShippedResources.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/HeadlessApp.h"

namespace {

std::vector<int16_t> Samples(const CSound& sound)
{
    CSoundLock lock(sound);
    std::vector<int16_t> samples(lock.GetSize() / 2);
    if (lock.GetData())
        std::memcpy(samples.data(), lock.GetData(), samples.size() * 2);
    return samples;
}

// Every sound the code plays is short, 16-bit mono, below full scale, and begins and ends in
// silence, so that it never clicks.
TEST(InterfaceSounds, EverySoundIsAShortQuietClipThatStartsAndEndsInSilence)
{
    ScriptedApp app;
    ShippedResources shipped;
    int checked = 0;
    for (const std::span<const tResourceUse> table : AllResourceTables())
        for (const tResourceUse& use : table) {
            if (use.type != CSound::kType)
                continue;
            for (uint32_t id = use.id; id - use.id < use.count; ++id, ++checked) {
                std::unique_ptr<CSound> sound(LoadResSound(id, &shipped.file, &shipped.directory));
                ASSERT_NE(sound, nullptr) << id;
                EXPECT_TRUE(sound->Is16Bit()) << id;
                EXPECT_FALSE(sound->IsStereo()) << id;
                const std::vector<int16_t> samples = Samples(*sound);
                ASSERT_FALSE(samples.empty()) << id;
                const double milliseconds = 1000.0 * double(samples.size()) / sound->GetSampleRate();
                EXPECT_GE(milliseconds, 30.0) << id;
                EXPECT_LE(milliseconds, 400.0) << id;
                int peak = 0;
                for (int16_t sample : samples)
                    peak = std::max(peak, std::abs(int(sample)));
                EXPECT_GT(peak, 0) << id;
                EXPECT_LT(peak, 32767 * 9 / 10) << id;
                EXPECT_EQ(samples.front(), 0) << id;
                EXPECT_EQ(samples.back(), 0) << id;
            }
        }
    EXPECT_GE(checked, 5);
}

}  // namespace
