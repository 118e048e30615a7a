#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/toolkit/imaging/NoiseSeedGuard.h"
#include "tests/toolkit/imaging/StoredBytes.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/CNoise.h"
#include "toolkit/imaging/NoiseLibrary.h"

namespace {

std::string NoiseChunk(const std::string& inner)
{
    return TaggedChunk("nois", inner);
}

void Configure(CNoise& noise)
{
    noise.SetScaleX(0.5f);
    noise.SetScaleY(0.25f);
    noise.SetAngle(1.25f);
    noise.SetActive(0);
    noise.SetPan(-3.5f, 7.0f);
    noise.SetBlendAmount(0.75f);
    noise.SetNoiseType(21);
    noise.SetBlendMode(7);
    noise.SetSeed(0x0123456789ABCDEFull);
    noise.GetColourMap().AddPoint(0x80FF8000, 0.3f);
    noise.GetColourMap().SetInterpolation(CGradient::kCatmullRom);
}

}  // namespace

TEST(NoiseChunk, WritesNestedChunksWithPatchedLengths)
{
    CNoise noise;
    Configure(noise);
    tCMemFile out;
    ASSERT_EQ(noise.Write(out), kResOk);
    tCMemFile map;
    ASSERT_EQ(noise.GetColourMap().Write(map), kResOk);
    const std::string expected = NoiseChunk(
        TaggedChunk("scal", F32(0.5f) + F32(0.25f)) + TaggedChunk("angl", F32(1.25f)) + TaggedChunk("actv", U32(0)) +
        TaggedChunk("pann", F32(-3.5f) + F32(7.0f)) + TaggedChunk("blam", F32(0.75f)) + TaggedChunk("type", U32(21)) +
        TaggedChunk("blnd", U32(7)) + TaggedChunk("grad", StreamBytes(map)) +
        TaggedChunk("seed", U32(0x89ABCDEF) + U32(0x01234567)));
    EXPECT_EQ(StreamBytes(out), expected);
    EXPECT_EQ(StreamBytes(out).substr(0, 4), "sion");
}

TEST(NoiseChunk, RoundTripsEveryField)
{
    CNoise noise;
    Configure(noise);
    tCMemFile stream;
    ASSERT_EQ(noise.Write(stream), kResOk);
    ASSERT_EQ(stream.WriteU32(0xC0FFEE), kResOk);
    ASSERT_EQ(stream.Rewind(), kResOk);
    CNoise copy;
    ASSERT_EQ(copy.Read(stream), kResOk);
    EXPECT_FLOAT_EQ(copy.GetScaleX(), 0.5f);
    EXPECT_FLOAT_EQ(copy.GetScaleY(), 0.25f);
    EXPECT_FLOAT_EQ(copy.GetAngle(), 1.25f);
    EXPECT_EQ(copy.IsActive(), 0u);
    float x, y;
    copy.GetPan(&x, &y);
    EXPECT_FLOAT_EQ(x, -3.5f);
    EXPECT_FLOAT_EQ(y, 7.0f);
    EXPECT_FLOAT_EQ(copy.GetBlendAmount(), 0.75f);
    EXPECT_EQ(copy.GetNoiseType(), 21);
    EXPECT_EQ(copy.GetGenerator(), NoiseGeneratorFor(21));
    EXPECT_EQ(copy.GetBlendMode(), 7);
    EXPECT_EQ(copy.GetBlendFunction(), NoiseBlendFor(7));
    EXPECT_EQ(copy.GetSeed(), 0x0123456789ABCDEFull);
    EXPECT_TRUE(copy.IsDirty());
    CGradient& map = copy.GetColourMap();
    EXPECT_EQ(map.IsGrey(), 1u);
    EXPECT_EQ(map.GetInterpolation(), CGradient::kCatmullRom);
    ASSERT_EQ(map.GetPointCount(), 3);
    for (int j = 0; j < CGradient::kTableSize; j += 5)
        ASSERT_EQ(map.GetTable()[j], noise.GetColourMap().GetTable()[j]) << j;
    // The stream is left just after the chunk.
    uint32_t marker = 0;
    EXPECT_EQ(stream.ReadU32(&marker), kResOk);
    EXPECT_EQ(marker, 0xC0FFEEu);
}

TEST(NoiseChunk, UnknownInnerChunksAreSkipped)
{
    const auto stream = StreamOf(NoiseChunk(TaggedChunk("zzzz", std::string(100, '\x7F')) +
                                            TaggedChunk("angl", F32(2.5f)) + TaggedChunk("pad ", std::string(3, 'x')) +
                                            TaggedChunk("type", U32(28))));
    CNoise noise;
    ASSERT_EQ(noise.Read(*stream), kResOk);
    EXPECT_FLOAT_EQ(noise.GetAngle(), 2.5f);
    EXPECT_EQ(noise.GetNoiseType(), 28);
}

TEST(NoiseChunk, StoredKindsAndModesWithoutFunctionsStillRead)
{
    tSeedGuard guard;
    const auto stream = StreamOf(NoiseChunk(TaggedChunk("type", U32(99)) + TaggedChunk("blnd", U32(10))));
    CNoise noise;
    ASSERT_EQ(noise.Read(*stream), kResOk);
    EXPECT_EQ(noise.GetNoiseType(), 99);
    EXPECT_EQ(noise.GetGenerator()(10.0f, 20.0f), 0u);
    uint16_t pixel = 1;
    noise.GetBlendFunction()(&pixel, 777, 0);
    EXPECT_EQ(pixel, 777);
}

TEST(NoiseChunk, RefusesOtherTagsAndBadInnerLengths)
{
    CNoise noise;
    const auto other = StreamOf(TaggedChunk("nose", TaggedChunk("angl", F32(1.0f))));
    EXPECT_EQ(noise.Read(*other), kResBadParam);
    // A negative inner length would walk the reader backwards for ever.
    const auto negative = StreamOf(NoiseChunk(Tag("angl") + I64(-12) + F32(1.0f) + std::string(20, '\0')));
    EXPECT_EQ(noise.Read(*negative), kResFileInvalid);
    const auto beyond = StreamOf(NoiseChunk(Tag("angl") + I64(1000) + F32(1.0f)));
    EXPECT_EQ(noise.Read(*beyond), kResFileInvalid);
    EXPECT_FLOAT_EQ(noise.GetAngle(), 0.0f);
    // A negative outer length holds nothing.
    const auto empty = StreamOf(Tag("nois") + I64(-5) + TaggedChunk("angl", F32(1.0f)));
    EXPECT_EQ(noise.Read(*empty), kResOk);
    EXPECT_FLOAT_EQ(noise.GetAngle(), 0.0f);
}

TEST(NoiseChunk, TruncatedAndCorruptedChunksAnswerWithoutHarm)
{
    tSeedGuard guard;
    CNoise source;
    Configure(source);
    source.SetBlendMode(11);
    tCMemFile out;
    ASSERT_EQ(source.Write(out), kResOk);
    const std::string whole = StreamBytes(out);
    for (size_t length = 0; length < whole.size(); ++length) {
        CNoise noise;
        const auto stream = StreamOf(whole.substr(0, length));
        const tResult result = noise.Read(*stream);
        // Cut inside the outer header: a read error. Later cuts end the noise where the data
        // ends, or fall inside an inner chunk's header (16) or payload (17).
        if (length < 12) {
            EXPECT_EQ(result, kResFileIO) << length;
        } else {
            EXPECT_TRUE(result == kResOk || result == kResFileIO || result == kResFileInvalid) << length;
        }
    }
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = whole;
        for (int flips = 1 + int(random() % 4); flips > 0; --flips)
            bytes[random() % bytes.size()] = char(random());
        CNoise noise;
        const auto stream = StreamOf(bytes);
        noise.Read(*stream);
    }
}

TEST(NoiseChunk, ReadsAChunkWrittenElsewhere)
{
    // Written field by field by a script, not by this code.
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(KOSTREL_TEST_DATA "/noise/zebresque.nois")), tCFile::kAccessRead),
              kResOk);
    CNoise noise;
    ASSERT_EQ(noise.Read(file), kResOk);
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_FLOAT_EQ(noise.GetScaleX(), 0.1f);
    EXPECT_FLOAT_EQ(noise.GetScaleY(), 0.2f);
    EXPECT_FLOAT_EQ(noise.GetAngle(), 0.5f);
    float x, y;
    noise.GetPan(&x, &y);
    EXPECT_FLOAT_EQ(x, 3.0f);
    EXPECT_FLOAT_EQ(y, -4.0f);
    EXPECT_FLOAT_EQ(noise.GetBlendAmount(), 0.75f);
    EXPECT_EQ(noise.GetNoiseType(), 21);
    EXPECT_EQ(noise.GetBlendMode(), 9);
    EXPECT_EQ(noise.GetSeed(), 0x0123456789ABCDEFull);
    CGradient& map = noise.GetColourMap();
    EXPECT_EQ(map.IsGrey(), 1u);
    EXPECT_EQ(map.GetInterpolation(), CGradient::kCatmullRom);
    ASSERT_EQ(map.GetPointCount(), 3);
    EXPECT_EQ(map.GetPoint(1).colour, 0x80FF8000u);
    EXPECT_FLOAT_EQ(map.GetPoint(1).position, 0.4f);
}
