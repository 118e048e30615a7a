#include <gtest/gtest.h>

#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"
#include "toolkit/core/StringText.h"

namespace {

TEST(tCString, CapacityGrowsInStepsOfSixteenAboveTheLength)
{
    tCString s;
    EXPECT_TRUE(s.IsNull());
    EXPECT_EQ(s.SetText(nullptr), kResOk);
    EXPECT_FALSE(s.IsNull());
    EXPECT_EQ(s.GetCapacity(), 16);
    EXPECT_EQ(s.GetLength(), 0);

    s.SetText(u"123456789012345");
    EXPECT_EQ(s.GetCapacity(), 16);
    s.SetText(u"1234567890123456");
    EXPECT_EQ(s.GetCapacity(), 32);
    // Never shrinks until freed.
    s.SetText(u"a");
    EXPECT_EQ(s.GetCapacity(), 32);
    s.Free();
    EXPECT_TRUE(s.IsNull());
    EXPECT_EQ(s.GetCapacity(), 0);
}

TEST(tCString, CopiesAreDeepAndSelfAssignmentKeepsTheText)
{
    tCString a(u"paint");
    tCString b(a);
    b.ReplaceChar(u'p', u'f');
    EXPECT_EQ(Text(a), u"paint");
    EXPECT_EQ(Text(b), u"faint");
    const tCString& same = a;
    a = same;
    EXPECT_EQ(Text(a), u"paint");
    a.SetText(a.GetText() + 2);
    EXPECT_EQ(Text(a), u"int");
}

TEST(tCString, LeftRightMidSubstringFollowTheirRanges)
{
    const tCString s(u"canvas");
    EXPECT_EQ(Text(s.Left(-1)), u"canvas");
    EXPECT_EQ(Text(s.Left(0)), u"");
    EXPECT_EQ(Text(s.Left(3)), u"can");
    EXPECT_EQ(Text(s.Right(-1)), u"");
    EXPECT_EQ(Text(s.Right(0)), u"");
    EXPECT_EQ(Text(s.Right(2)), u"as");
    EXPECT_EQ(Text(s.Right(99)), u"canvas");
    EXPECT_EQ(Text(s.Mid(6, 5)), u"");
    EXPECT_EQ(Text(s.Mid(2, 100)), u"nvas");
    EXPECT_EQ(Text(s.Mid(1, 2)), u"an");
    EXPECT_EQ(Text(s.Substring(3, 1)), u"");
    EXPECT_EQ(Text(s.Substring(-4, 100)), u"canvas");
    EXPECT_EQ(Text(s.Substring(1, 3)), u"anv");
}

TEST(tCString, OutOfRangeIndicesNeverReachOutsideTheText)
{
    const tCString s(u"abc");
    EXPECT_EQ(Text(s.Mid(-3, 2)), u"");
    EXPECT_EQ(Text(s.Mid(7, 2)), u"");
    EXPECT_EQ(Text(s.Mid(1, -2)), u"");
    EXPECT_EQ(s.GetAt(-1), 0);
    EXPECT_EQ(s.GetAt(3), 0);
    EXPECT_EQ(s.GetAt(2), u'c');

    tCString e(u"abc");
    e.Erase(-1, 2);
    e.Erase(1, -5);
    e.Erase(9, 1);
    EXPECT_EQ(Text(e), u"abc");
    e.InsertChar(u'x', -4);
    e.Insert(tCString(u"yz"), 1000);
    EXPECT_EQ(Text(e), u"xabcyz");
}

TEST(tCString, InsertAndEraseEditInPlace)
{
    tCString s(u"brush");
    s.Erase(5, 3);
    EXPECT_EQ(Text(s), u"brush");
    s.Erase(2, 100);
    EXPECT_EQ(Text(s), u"br");
    s.InsertChar(u'-', 1);
    EXPECT_EQ(Text(s), u"b-r");
    s.Insert(tCString(u"123456789012345678"), 1);
    EXPECT_EQ(Text(s), u"b123456789012345678-r");
    EXPECT_EQ(s.GetCapacity() % 16, 0);
    EXPECT_GT(s.GetCapacity(), s.GetLength());

    tCString null;
    null.InsertChar(u'q', 5);
    EXPECT_EQ(Text(null), u"q");
    tCString self(u"ab");
    self.Insert(self, 1);
    EXPECT_EQ(Text(self), u"aabb");
}

TEST(tCString, ConcatenationAcceptsWideAndNarrowFirstTexts)
{
    EXPECT_EQ(Text(tCString(u"oil").Concat(tCString(u" paint"))), u"oil paint");
    EXPECT_EQ(Text(tCString().Concat(tCString(u"x"))), u"x");
    EXPECT_EQ(Text(tCString(u"x").Concat(tCString())), u"x");
    EXPECT_EQ(Text(tCString::Concat(static_cast<const char16_t*>(nullptr), tCString(u"y"))), u"y");
    EXPECT_EQ(Text(tCString::Concat("caf\xC3\xA9 ", tCString(u"au lait"))), u"caf\u00E9 au lait");
}

TEST(tCString, SplitKeepsEmptyPiecesAndAppends)
{
    tCStringArray pieces;
    pieces.Add(tCString(u"before"));
    EXPECT_EQ(tCString(u"a,,b,").Split(pieces, u','), 5);
    ASSERT_EQ(pieces.GetCount(), 5);
    EXPECT_EQ(Text(pieces[1]), u"a");
    EXPECT_EQ(Text(pieces[2]), u"");
    EXPECT_EQ(Text(pieces[3]), u"b");
    EXPECT_EQ(Text(pieces[4]), u"");

    tCStringArray none;
    EXPECT_EQ(tCString(u"").Split(none, u','), 0);
    EXPECT_EQ(none.GetCount(), 0);
}

TEST(tCString, SplitAtFirstOfAnswersItsThreeResults)
{
    tCString head(u"h"), tail(u"t");
    EXPECT_EQ(tCString(u"").SplitAtFirstOf(head, tail, u"=", false), 1);
    EXPECT_EQ(Text(head), u"h");
    EXPECT_EQ(tCString(u"key=value").SplitAtFirstOf(head, tail, u"=", false), 0);
    EXPECT_EQ(Text(head), u"key");
    EXPECT_EQ(Text(tail), u"value");
    EXPECT_EQ(tCString(u"key=value").SplitAtFirstOf(head, tail, u"=", true), 0);
    EXPECT_EQ(Text(tail), u"valu");
    EXPECT_EQ(tCString(u"plain").SplitAtFirstOf(head, tail, u"=", false), 2);
    EXPECT_EQ(Text(head), u"plain");
    EXPECT_EQ(Text(tail), u"");
}

TEST(tCString, ReplaceAllNeverSearchesItsReplacement)
{
    tCString s(u"aaa");
    EXPECT_EQ(s.ReplaceAll(u"aa", u"a"), 1);
    EXPECT_EQ(Text(s), u"aa");
    tCString t(u"aaa");
    EXPECT_EQ(t.ReplaceAll(u"a", u"aa"), 3);
    EXPECT_EQ(Text(t), u"aaaaaa");
    tCString u_(u"a.b.c");
    EXPECT_EQ(u_.ReplaceAll(u".", u""), 2);
    EXPECT_EQ(Text(u_), u"abc");
    EXPECT_EQ(tCString().ReplaceAll(u"a", u"b"), 0);
}

TEST(tCString, TrimmingRemovesRunsAtBothEnds)
{
    tCString s(u"--a-b--");
    s.TrimChar(u'-');
    EXPECT_EQ(Text(s), u"a-b");
    tCString only(u"----");
    only.TrimChar(u'-');
    EXPECT_EQ(Text(only), u"");
    tCString start(u"xxab");
    start.TrimStart(u'x');
    EXPECT_EQ(Text(start), u"ab");
    tCString set(u" \t line \r\n");
    set.Trim(u"");
    EXPECT_EQ(Text(set), u" \t line \r\n");
    EXPECT_EQ(Text(set.Trimmed(u"\t \n\r")), u"line");
    EXPECT_EQ(tCString(u"abc").FindFirstOf(u"xc"), 2);
    EXPECT_EQ(tCString(u"abc").FindFirstOf(u""), -1);
    EXPECT_EQ(tCString().FindFirstOf(u"a"), -1);
}

TEST(tCString, IntegerAndNumberTests)
{
    EXPECT_TRUE(tCString(u"-").IsInteger());
    EXPECT_FALSE(tCString(u"").IsInteger());
    EXPECT_TRUE(tCString(u"-42").IsInteger());
    EXPECT_FALSE(tCString(u"4-2").IsInteger());
    EXPECT_TRUE(tCString(u".5").IsNumber());
    EXPECT_TRUE(tCString(u"-.5").IsNumber());
    EXPECT_TRUE(tCString(u"1.-5").IsNumber());
    EXPECT_FALSE(tCString(u"5.").IsNumber());
    EXPECT_FALSE(tCString(u"1.2.3").IsNumber());
    EXPECT_TRUE(tCString(u"12").IsNumber());
}

TEST(tCString, ToIntegerReadsDecimalAndHexadecimal)
{
    EXPECT_EQ(tCString(u"  -12\r\n").ToInteger(), -12);
    EXPECT_EQ(tCString(u"0x1f").ToInteger(), 31);
    EXPECT_EQ(tCString(u"0xFF").ToInteger(), 255);
    EXPECT_EQ(tCString(u"0xff").ToInteger(), 255);
    EXPECT_EQ(tCString(u"12-5").ToInteger(), -5);
    // Letters are digits only after the "x" of a hexadecimal number.
    EXPECT_EQ(tCString(u"1A").ToInteger(), 1);
    EXPECT_EQ(tCString(u"AB").ToInteger(), 0);
    EXPECT_EQ(tCString(u"07F3").ToInteger(), 7);
    EXPECT_EQ(tCString(u"0x1A").ToInteger(), 26);
    EXPECT_EQ(tCString(u"ff").ToInteger(), 0);
    EXPECT_EQ(tCString(u"").ToInteger(), 0);
    EXPECT_EQ(tCString(u"-").ToInteger(), 0);
    EXPECT_EQ(tCString(u"x").ToInteger(), 0);
    EXPECT_EQ(tCString().ToInteger(), 0);
}

TEST(tCString, ToIntegerWrapsLongDigitStringsInThirtyTwoBits)
{
    EXPECT_EQ(uint32_t(tCString(u"0xB2D05E00").ToInteger()), 0xB2D05E00u);
    EXPECT_EQ(uint32_t(tCString(u"3000000000").ToInteger()), 3000000000u);
    EXPECT_EQ(uint32_t(tCString(u"4294967296").ToInteger()), 0u);
    // 99999999999999999999 mod 2^32
    EXPECT_EQ(uint32_t(tCString(u"99999999999999999999").ToInteger()), 0x630FFFFFu);
    EXPECT_EQ(tCString(u"-2147483648").ToInteger(), INT32_MIN);
}

TEST(tCString, NarrowTextIsUtf8WithWindows1252Fallback)
{
    tCString s;
    EXPECT_EQ(s.AssignFromAnsi("Stra\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x8E\xA8"), kResOk);
    EXPECT_EQ(Text(s), u"Stra\u00DFe \u20AC \U0001F3A8");
    EXPECT_EQ(s.ToAnsi(), "Stra\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x8E\xA8");

    // Bytes that are not UTF-8 read one character each as Windows-1252.
    s.AssignFromAnsi("caf\xE9 \x80\x93\x81 \xC3");
    EXPECT_EQ(Text(s), u"caf\u00E9 \u20AC\u201C\u0081 \u00C3");
    // An overlong encoding and an encoded surrogate are not UTF-8 either.
    s.AssignFromAnsi("\xC0\xAF\xED\xA0\x80");
    EXPECT_EQ(Text(s), u"\u00C0\u00AF\u00ED\u00A0\u20AC");

    s.AssignFromAnsi(nullptr);
    EXPECT_EQ(Text(s), u"");
    EXPECT_FALSE(s.IsNull());
    EXPECT_EQ(tCString().ToAnsi(), "");
    EXPECT_EQ(tCString(u"\xD800x").ToAnsi(), "\xEF\xBF\xBDx");
}

TEST(tCString, ToAnsiIsNotCutShort)
{
    std::u16string longText(10000, u'\u00E9');
    const std::string narrow = tCString(longText).ToAnsi();
    EXPECT_EQ(narrow.size(), 20000u);
    EXPECT_EQ(Text(tCString::FromAnsi(narrow)), longText);
}

TEST(tCString, LengthPrefixedBytesBecomeNulTerminated)
{
    unsigned char buffer[8] = {3, 'a', 'b', 'c', 'x', 'x', 'x', 'x'};
    EXPECT_STREQ(reinterpret_cast<char*>(LengthPrefixedToCString(buffer)), "abc");
    unsigned char empty[2] = {0, 'z'};
    EXPECT_EQ(LengthPrefixedToCString(empty)[1], 'z');
    EXPECT_EQ(LengthPrefixedToCString(nullptr), nullptr);
}

}  // namespace
