#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/TextCodec.h"

namespace {

std::string Bytes(std::u16string_view wide)
{
    std::string bytes;
    EXPECT_TRUE(w32::WideToFileName(wide, &bytes));
    return bytes;
}

TEST(TextCodec, FileNamesComeBackByteForByte)
{
    // A Latin-1 byte is carried as a lone surrogate; UTF-8 stays the text it is.
    EXPECT_EQ(w32::FileNameToWide("lat\xE9.ptg"), u"lat\xDCE9.ptg");
    EXPECT_EQ(w32::FileNameToWide("lat\xC3\xA9.ptg"), u"lat\u00E9.ptg");
    EXPECT_EQ(Bytes(u"lat\xDCE9.ptg"), "lat\xE9.ptg");
    EXPECT_EQ(Bytes(u"lat\u00E9 \U0001F3A8.ptg"), "lat\xC3\xA9 \xF0\x9F\x8E\xA8.ptg");
    // Text keeps its own reading: the same byte read as text is Windows-1252.
    EXPECT_EQ(w32::ToWide("lat\xE9\x80"), u"lat\u00E9\u20AC");

    std::vector<std::string> names = {
        "\xC3",              // a sequence cut short
        "\xE2\x82",          // the same, longer
        "\xC0\xAF",          // an overlong slash
        "\xED\xA0\x80",      // an encoded surrogate
        "\xED\xB3\xA9",      // the encoded surrogate FileNameToWide itself gives for E9
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xC3\xA9\xE9\xF0\x9F\x8E\xA8\xFF\x80",
    };
    for (int byte = 1; byte < 256; ++byte)
        names.push_back(std::string("a") + char(byte) + "b");
    std::mt19937 random(67);
    std::uniform_int_distribution<int> byteOf(1, 255);
    for (int i = 0; i < 2000; ++i) {
        std::string name(size_t(i % 12 + 1), '\0');
        for (char& c : name)
            c = char(byteOf(random));
        names.push_back(name);
    }
    for (const std::string& name : names) {
        std::string back;
        ASSERT_TRUE(w32::WideToFileName(w32::FileNameToWide(name), &back)) << testing::PrintToString(name);
        EXPECT_EQ(back, name);
    }
}

TEST(TextCodec, TextThatNoNameGivesNamesNoFile)
{
    const std::u16string refused[] = {
        std::u16string(u"a\0b", 3),  // a NUL ends a file name
        u"\xD800.ptg",               // a lone high surrogate
        u"\xDC41.ptg",               // a surrogate for a byte that is ASCII
        u"\xDFFF.ptg",               // beyond the escaped bytes
        u"\xDCC3\xDCA9.ptg",         // bytes that read back as U+00E9
    };
    for (const std::u16string& text : refused) {
        std::string bytes = "untouched";
        EXPECT_FALSE(w32::WideToFileName(text, &bytes));
        EXPECT_EQ(bytes, "untouched");
    }
    // Shown as text, such a name shows U+FFFD in the byte's place.
    EXPECT_EQ(w32::ToAnsi(u"lat\xDCE9.ptg"), "lat\xEF\xBF\xBD.ptg");
}

}  // namespace
