#include <gtest/gtest.h>

#include <string>

#include "toolkit/net/CChunkedDecoder.h"
#include "toolkit/net/HTTPText.h"

namespace {

TEST(HTTPTextTest, LengthsAreStrictUnsignedDecimals)
{
    uint64_t value = 0;
    EXPECT_TRUE(ParseDecimalU64(u"18446744073709551615", &value));
    EXPECT_EQ(value, UINT64_MAX);
    EXPECT_TRUE(ParseDecimalU64(u"0", &value));
    EXPECT_EQ(value, 0u);
    for (const char16_t* bad : {u"18446744073709551616", u"99999999999999999999", u"", u"+1", u"-1", u" 1", u"1 ",
                                u"0x10", u"1e3", u"12a"})
        EXPECT_FALSE(ParseDecimalU64(bad, &value)) << tCString(bad).ToAnsi();
}

TEST(HTTPTextTest, ContentRangesNeedBytesAnOrderedSpanAndATotal)
{
    tContentRange range;
    ASSERT_TRUE(ParseContentRange(u"bytes 1000-9999999/10000000", &range));
    EXPECT_EQ(range.first, 1000u);
    EXPECT_EQ(range.last, 9999999u);
    EXPECT_EQ(range.total, 10000000u);
    EXPECT_TRUE(ParseContentRange(u"Bytes 0-0/1", &range));
    for (const char16_t* bad : {u"bytes 10-5/20", u"bytes 0-20/20", u"bytes 0-5/*", u"bytes */20", u"items 0-5/10",
                                u"bytes=0-5/10", u"bytes 0-5", u"bytes -5/10", u"bytes 0-5/18446744073709551616"})
        EXPECT_FALSE(ParseContentRange(bad, &range)) << tCString(bad).ToAnsi();
}

TEST(HTTPTextTest, RangeRequestsAreOpenOrClosed)
{
    uint64_t first = 0, last = 0;
    bool hasLast = true;
    ASSERT_TRUE(ParseRangeRequest(u"bytes=1000-", &first, &last, &hasLast));
    EXPECT_EQ(first, 1000u);
    EXPECT_FALSE(hasLast);
    ASSERT_TRUE(ParseRangeRequest(u"BYTES=5-9", &first, &last, &hasLast));
    EXPECT_EQ(last, 9u);
    EXPECT_TRUE(hasLast);
    for (const char16_t* bad : {u"bytes=9-5", u"bytes=-5", u"bytes 5-9", u"lines=1-2", u"bytes=a-"})
        EXPECT_FALSE(ParseRangeRequest(bad, &first, &last, &hasLast)) << tCString(bad).ToAnsi();
}

TEST(HTTPTextTest, HostsCarryAnOptionalPortInRange)
{
    tCString host;
    uint16_t port = 0;
    ASSERT_EQ(SplitHostPort(u"updates.example:8080", host, &port, false), kResOk);
    EXPECT_EQ(host, u"updates.example");
    EXPECT_EQ(port, 8080);
    ASSERT_EQ(SplitHostPort(u"updates.example", host, &port, false), kResOk);
    EXPECT_EQ(port, 80);
    EXPECT_EQ(SplitHostPort(u"h:65535", host, &port, false), kResOk);
    EXPECT_EQ(SplitHostPort(u"h:0", host, &port, true), kResOk);
    EXPECT_EQ(port, 0);
    for (const char16_t* bad : {u"h:0", u"h:65536", u"h:", u"h:-1", u"h:8o", u":80", u""})
        EXPECT_EQ(SplitHostPort(bad, host, &port, false), kResBadParam) << tCString(bad).ToAnsi();
}

TEST(HTTPTextTest, ControlCharactersAndBlanksAreFoundInRequestTexts)
{
    EXPECT_TRUE(IsSafeHeaderText(u"one two\u00e9"));
    EXPECT_TRUE(IsSafeHeaderText(u""));
    EXPECT_FALSE(IsSafeHeaderText(u"a\tb"));
    EXPECT_FALSE(IsSafeHeaderText(u"a\x7F"));
    EXPECT_FALSE(IsSafeHeaderText(std::u16string_view(u"a\0b", 3)));
    EXPECT_TRUE(IsSafeRequestWord(u"/path?q=1"));
    EXPECT_FALSE(IsSafeRequestWord(u"/a b"));
    EXPECT_FALSE(IsSafeRequestWord(u""));
}

TEST(HTTPTextTest, HeadLinesAreSplitFromTheRawBytes)
{
    tCString first;
    tCStringArray names, values;
    // A UTF-8 value keeps its bytes; a line without ':' is skipped; the empty line ends the head.
    const std::string head = "HTTP/1.1 200 OK\r\ncontent-length:  12 \r\nnonsense\nX-Name: caf\xC3\xA9\r\n\r\nLate: no\r\n";
    ASSERT_EQ(SplitHeadLines(head, first, names, values), kResOk);
    EXPECT_EQ(first, u"HTTP/1.1 200 OK");
    ASSERT_EQ(names.GetCount(), 2);
    EXPECT_EQ(names[0], u"CONTENT-LENGTH");
    EXPECT_EQ(values[0], u"12");
    EXPECT_EQ(names[1], u"X-NAME");
    EXPECT_EQ(values[1], u"caf\u00e9");
}

TEST(HTTPTextTest, HeaderLinesAreWrittenWithCRLFAndAClosingEmptyLine)
{
    tCStringArray names, values;
    ASSERT_EQ(names.Add(u"HTTP/1.1"), kResOk);
    ASSERT_EQ(values.Add(u""), kResOk);
    ASSERT_EQ(names.Add(u"Accept-Encoding:"), kResOk);
    ASSERT_EQ(values.Add(u""), kResOk);
    ASSERT_EQ(names.Add(u"Host:"), kResOk);
    ASSERT_EQ(values.Add(u"example"), kResOk);
    std::string text = "GET / ";
    ASSERT_EQ(FormatHeaderLines(names, values, text), kResOk);
    EXPECT_EQ(text, "GET / HTTP/1.1\r\nAccept-Encoding:\r\nHost: example\r\n\r\n");
    ASSERT_EQ(names.Add(u"Extra:"), kResOk);
    EXPECT_EQ(FormatHeaderLines(names, values, text), kResFailure);
}

TEST(HTTPTextTest, PercentEscapesNeedTwoHexDigits)
{
    EXPECT_EQ(PercentDecode("/a%20b"), "/a b");
    EXPECT_EQ(PercentDecode("%4a%4A"), "JJ");
    EXPECT_EQ(PercentDecode("%4G%"), "%4G%");
    EXPECT_EQ(PercentDecode("%2"), "%2");
    EXPECT_EQ(PercentDecode("%00"), std::string(1, '\0'));
}

// Feeds `input` to a decoder in pieces of `step` bytes, as reads would bring them; answers the
// body and the last status.
CChunkedDecoder::Status Decode(const std::string& input, size_t step, std::string* body, size_t* left = nullptr)
{
    CChunkedDecoder decoder;
    std::string pending;
    CChunkedDecoder::Status status = CChunkedDecoder::kNeedMore;
    for (size_t at = 0; at < input.size() && status != CChunkedDecoder::kDone && status != CChunkedDecoder::kMalformed;
         at += step) {
        pending += input.substr(at, step);
        size_t position = 0;
        for (;;) {
            size_t used = 0;
            std::string_view piece;
            status = decoder.Next(std::string_view(pending).substr(position), &used, &piece);
            position += used;
            body->append(piece);
            if (status != CChunkedDecoder::kProgress)
                break;
        }
        pending.erase(0, position);
    }
    if (left)
        *left = pending.size();
    return status;
}

TEST(ChunkedDecoderTest, EverySplitOfTheInputGivesTheSameBody)
{
    const std::string input = "5\r\nhello\r\n1a;name=value\r\nabcdefghijklmnopqrstuvwxyz\r\n3\n!!!\n0\r\nX-T: 1\r\n\r\nafter";
    for (size_t step = 1; step <= input.size(); ++step) {
        std::string body;
        size_t left = 0;
        EXPECT_EQ(Decode(input, step, &body, &left), CChunkedDecoder::kDone) << step;
        EXPECT_EQ(body, "helloabcdefghijklmnopqrstuvwxyz!!!") << step;
        // What follows the final chunk stays outside the body.
        EXPECT_LE(left, std::string("after").size()) << step;
    }
}

TEST(ChunkedDecoderTest, MalformedFramingIsRecognised)
{
    for (const std::string& bad :
         {std::string("zz\r\n"), std::string("10000000000000000\r\n"), std::string("5\r\nhelloXX"),
          std::string("5 x\r\nhello\r\n"), std::string(2000, '1'), "0\r\n" + std::string(2000, 'T')}) {
        std::string body;
        EXPECT_EQ(Decode(bad, bad.size(), &body), CChunkedDecoder::kMalformed) << bad.substr(0, 40);
    }
}

TEST(ChunkedDecoderTest, AHugeChunkIsHandedOnAsItArrives)
{
    CChunkedDecoder decoder;
    size_t used = 0;
    std::string_view piece;
    ASSERT_EQ(decoder.Next("FFFFFFFFFFFFFFFF\r\nabc", &used, &piece), CChunkedDecoder::kProgress);
    EXPECT_EQ(used, 18u);
    ASSERT_EQ(decoder.Next("abc", &used, &piece), CChunkedDecoder::kProgress);
    EXPECT_EQ(piece, "abc");
    EXPECT_EQ(decoder.Next("", &used, &piece), CChunkedDecoder::kNeedMore);
    EXPECT_FALSE(decoder.IsDone());
}

}  // namespace
