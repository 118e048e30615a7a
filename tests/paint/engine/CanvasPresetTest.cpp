#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PaperTestSupport.h"
#include "RecordBytes.h"
#include "paint/engine/CCanvasInfo.h"

namespace {

std::string Utf16(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text)
        bytes += U16(unit);
    return bytes;
}

std::string Line(const std::u16string& text) { return Utf16(text + u"\r\n"); }

// The values a test preset holds, and the file the writer is expected to make of them.
struct PresetValues {
    std::u16string name = u"Rough \u00e9vening";
    std::u16string paperName = u"Canvases:Rough.png";
    uint32_t colour = 0x80A0B0C0u;
    int32_t opacity = 77;
    float grainScale = 0.125f;
    float paperSpare = -3.5f;
    float grainDepth = 0.75f;
    float paperShine = 0.0625f;
    float paperExtra = 1.0f;
};

// The records of the values in the order of their tags, each a whole chunk.
std::vector<std::string> Records(const PresetValues& v)
{
    return {
        Chunk(kPresetFlag, I32(1)),
        Chunk(kPresetName, Line(v.name)),
        Chunk(kPresetPaperName, Line(v.paperName)),
        Chunk(kPresetPaperColour, U32(v.colour)),
        Chunk(kPresetPaperOpacity, I32(v.opacity)),
        Chunk(kPresetGrainScale, F32(v.grainScale)),
        Chunk(kPresetPaperSpare, F32(v.paperSpare)),
        Chunk(kPresetGrainDepth, F32(v.grainDepth)),
        Chunk(kPresetPaperShine, F32(v.paperShine)),
        Chunk(kPresetPaperExtra, F32(v.paperExtra)),
    };
}

std::string Joined(const std::vector<std::string>& records)
{
    std::string bytes = Line(kPresetHeaderText);
    for (const std::string& record : records)
        bytes += record;
    return bytes;
}

CCanvasInfo InfoOf(const PresetValues& v)
{
    CCanvasInfo info;
    info.name = tCString(std::u16string_view(v.name));
    info.paperName = tCString(std::u16string_view(v.paperName));
    info.paperColour = v.colour;
    info.paperOpacity = v.opacity;
    info.grainScale = v.grainScale;
    info.paperSpare = v.paperSpare;
    info.grainDepth = v.grainDepth;
    info.paperShine = v.paperShine;
    info.paperExtra = v.paperExtra;
    return info;
}

void ExpectFields(const CCanvasInfo& info, const PresetValues& v)
{
    EXPECT_EQ(info.name.View(), v.name);
    EXPECT_EQ(info.paperName.View(), v.paperName);
    EXPECT_EQ(info.paperColour, v.colour);
    EXPECT_EQ(info.paperOpacity, v.opacity);
    EXPECT_EQ(info.grainScale, v.grainScale);
    EXPECT_EQ(info.paperSpare, v.paperSpare);
    EXPECT_EQ(info.grainDepth, v.grainDepth);
    EXPECT_EQ(info.paperShine, v.paperShine);
    EXPECT_EQ(info.paperExtra, v.paperExtra);
}

PresetValues ValuesOf(const CCanvasInfo& info)
{
    return {std::u16string(info.name.View()), std::u16string(info.paperName.View()), info.paperColour,
            info.paperOpacity, info.grainScale, info.paperSpare, info.grainDepth, info.paperShine, info.paperExtra};
}

// Each field of `info` is either what `before` held or what `file` holds.
void ExpectEachFieldFromEither(const CCanvasInfo& info, const PresetValues& before, const PresetValues& file,
                               size_t cut)
{
    const PresetValues now = ValuesOf(info);
    EXPECT_TRUE(now.name == before.name || now.name == file.name) << cut;
    EXPECT_TRUE(now.paperName == before.paperName || now.paperName == file.paperName) << cut;
    EXPECT_TRUE(now.colour == before.colour || now.colour == file.colour) << cut;
    EXPECT_TRUE(now.opacity == before.opacity || now.opacity == file.opacity) << cut;
    EXPECT_TRUE(now.grainScale == before.grainScale || now.grainScale == file.grainScale) << cut;
    EXPECT_TRUE(now.paperSpare == before.paperSpare || now.paperSpare == file.paperSpare) << cut;
    EXPECT_TRUE(now.grainDepth == before.grainDepth || now.grainDepth == file.grainDepth) << cut;
    EXPECT_TRUE(now.paperShine == before.paperShine || now.paperShine == file.paperShine) << cut;
    EXPECT_TRUE(now.paperExtra == before.paperExtra || now.paperExtra == file.paperExtra) << cut;
}

class CanvasPresetTest : public ::testing::Test {
protected:
    tResult Read(CCanvasInfo& info, const std::string& bytes) { return info.ReadPreset(&Holding(stream, bytes)); }

    // Made again without its texts by the tests that need that: one application at a time.
    std::unique_ptr<PaperApplication> paper = std::make_unique<PaperApplication>();
    tCMemFile stream;
};

TEST_F(CanvasPresetTest, EveryFieldRoundTripsThroughTheHeaderAndTenRecords)
{
    const PresetValues values;
    CCanvasInfo written = InfoOf(values);
    written.flag = 7;
    ASSERT_EQ(written.WritePreset(&stream), kResOk);
    EXPECT_EQ(StreamBytes(stream), Joined(Records(values)));

    CCanvasInfo read;
    read.flag = 9;
    ASSERT_EQ(read.ReadPreset(&stream), kResOk);
    ExpectFields(read, values);
    // The flag is always written as 1 and read back as stored.
    EXPECT_EQ(read.flag, 1u);

    TempFolder folder;
    tCFRef path(tCString::FromAnsi(folder.File("rough.kcp")));
    ASSERT_EQ(written.SavePresetFile(path), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("rough.kcp")), Joined(Records(values)));
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    CCanvasInfo loaded;
    ASSERT_EQ(loaded.LoadPreset(&file), kResOk);
    ExpectFields(loaded, values);
}

TEST_F(CanvasPresetTest, PresetsWrittenByAnotherProgramReadAsTheyWereMeant)
{
    PresetValues coldPress;
    coldPress.name = u"Cold Press";
    coldPress.paperName = u"PP_FinePaper";
    coldPress.colour = 0xFFF4EEDCu;
    coldPress.opacity = 230;
    coldPress.grainScale = 0.375f;
    coldPress.paperSpare = 0.0f;
    coldPress.grainDepth = 0.625f;
    coldPress.paperShine = 0.25f;
    coldPress.paperExtra = 0.125f;
    PresetValues empty = ValuesOf(CCanvasInfo());
    const std::pair<const char*, const PresetValues*> files[] = {
        {"cold-press.kcp", &coldPress}, {"reordered-with-tag-12.kcp", &coldPress}, {"empty-texts.kcp", &empty}};
    for (const auto& [name, values] : files) {
        tCFile file;
        ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(std::string(KOSTREL_TEST_DATA "/preset/") + name)),
                            tCFile::kAccessRead),
                  kResOk);
        CCanvasInfo info;
        info.name = u"before";
        ASSERT_EQ(info.LoadPreset(&file), kResOk) << name;
        ExpectFields(info, *values);
    }
    ASSERT_EQ(InfoOf(coldPress).WritePreset(&stream), kResOk);
    EXPECT_EQ(StreamBytes(stream), ReadWholeFile(KOSTREL_TEST_DATA "/preset/cold-press.kcp"));
}

TEST_F(CanvasPresetTest, EmptyTextsAreRecordsOfJustTheLineEnd)
{
    ASSERT_EQ(CCanvasInfo().WritePreset(&stream), kResOk);
    const std::string bytes = StreamBytes(stream);
    const std::string lineEnd = Utf16(u"\r\n");
    EXPECT_NE(bytes.find(Chunk(kPresetName, lineEnd)), std::string::npos);
    EXPECT_NE(bytes.find(Chunk(kPresetPaperName, lineEnd)), std::string::npos);

    CCanvasInfo read;
    read.name = u"kept?";
    read.paperName = u"no";
    ASSERT_EQ(read.ReadPreset(&stream), kResOk);
    EXPECT_TRUE(read.name.IsEmpty());
    EXPECT_TRUE(read.paperName.IsEmpty());
    EXPECT_EQ(read.paperColour, 0xFFFFFFFAu);
}

TEST_F(CanvasPresetTest, ARecordOfLengthZeroFailsTheReadAfterTheRecordsBeforeIt)
{
    const std::string bytes = Line(kPresetHeaderText) + Chunk(kPresetPaperColour, U32(0xFF112233u)) +
                              U32(kPresetGrainScale) + I64(0) + Chunk(kPresetPaperOpacity, I32(9));
    CCanvasInfo info;
    EXPECT_EQ(Read(info, bytes), kResFileInvalid);
    EXPECT_EQ(info.paperColour, 0xFF112233u);
    EXPECT_EQ(info.paperOpacity, 255);
}

TEST_F(CanvasPresetTest, AnotherFirstLineIsRefusedBeforeAnyFieldChanges)
{
    const std::string records = Joined(Records(PresetValues())).substr(Line(kPresetHeaderText).size());
    const std::string unended(4096, 'a');
    for (const std::string& bytes : {Line(u"Kostrel Canvas Presets") + records, Line(u"") + records,
                                     Line(u"Kostrel Canvas Preset ") + records, unended, std::string(),
                                     std::string("\x01")}) {
        CCanvasInfo info;
        EXPECT_EQ(Read(info, bytes), kResBadParam);
        ExpectFields(info, ValuesOf(CCanvasInfo()));
    }
}

TEST_F(CanvasPresetTest, RecordsInAnotherOrderOrWithUnknownTagsReadTheSame)
{
    const PresetValues values;
    std::vector<std::string> records = Records(values);
    std::vector<std::string> reversed(records.rbegin(), records.rend());
    reversed.insert(reversed.begin() + 3, Chunk(12, Line(u"a record of a later version")));
    reversed.push_back(Chunk(0xFF003001u, U32(5)));
    for (const std::vector<std::string>& order : {records, reversed}) {
        CCanvasInfo info;
        ASSERT_EQ(Read(info, Joined(order)), kResOk);
        ExpectFields(info, values);
    }
}

TEST_F(CanvasPresetTest, WithoutTheHeaderTextNothingIsWrittenAndAnyFirstLineIsTaken)
{
    paper.reset();
    paper = std::make_unique<PaperApplication>(false);
    EXPECT_EQ(InfoOf(PresetValues()).WritePreset(&stream), kResCreateFailed);
    EXPECT_EQ(stream.GetSize(), 0);
    const std::vector<std::string> records = Records(PresetValues());
    std::string bytes = Line(u"Some other program's preset");
    for (const std::string& record : records)
        bytes += record;
    CCanvasInfo info;
    ASSERT_EQ(Read(info, bytes), kResOk);
    ExpectFields(info, PresetValues());
}

TEST_F(CanvasPresetTest, FloatsThatAreNotFiniteAreNotTakenAndFractionsAreClamped)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (uint32_t tag = kPresetGrainScale; tag <= kPresetPaperExtra; ++tag) {
        for (float bad : {nan, inf, -inf}) {
            CCanvasInfo info;
            const PresetValues before = ValuesOf(info);
            EXPECT_EQ(Read(info, Line(kPresetHeaderText) + Chunk(tag, F32(bad))), kResOk);
            ExpectFields(info, before);
        }
    }
    struct Case {
        uint32_t tag;
        float value;
        float CCanvasInfo::*field;
        float expected;
    };
    const Case cases[] = {
        {kPresetGrainScale, 7.0f, &CCanvasInfo::grainScale, 1.0f},
        {kPresetGrainScale, -2.0f, &CCanvasInfo::grainScale, 0.0f},
        {kPresetGrainDepth, 1.5f, &CCanvasInfo::grainDepth, 1.0f},
        {kPresetPaperShine, -0.1f, &CCanvasInfo::paperShine, 0.0f},
        {kPresetPaperExtra, 2.0f, &CCanvasInfo::paperExtra, 1.0f},
        {kPresetPaperSpare, 5.5f, &CCanvasInfo::paperSpare, 5.5f},
        {kPresetPaperSpare, -1e30f, &CCanvasInfo::paperSpare, -1e30f},
    };
    for (const Case& c : cases) {
        CCanvasInfo info;
        ASSERT_EQ(Read(info, Line(kPresetHeaderText) + Chunk(c.tag, F32(c.value))), kResOk);
        EXPECT_EQ(info.*c.field, c.expected) << c.tag << " " << c.value;
    }
    for (const auto& [stored, taken] : {std::pair{300, 255}, std::pair{-4, 0}, std::pair{128, 128}}) {
        CCanvasInfo info;
        ASSERT_EQ(Read(info, Line(kPresetHeaderText) + Chunk(kPresetPaperOpacity, I32(stored))), kResOk);
        EXPECT_EQ(info.paperOpacity, taken);
    }
}

TEST_F(CanvasPresetTest, TextsAreReadWithinTheirRecord)
{
    // Without a line end: the next record's bytes are no part of the text.
    CCanvasInfo info;
    ASSERT_EQ(Read(info, Line(kPresetHeaderText) + Chunk(kPresetName, Utf16(u"abc")) +
                             Chunk(kPresetPaperName, Utf16(u"de")) + Chunk(kPresetPaperColour, U32(0x01020304u))),
              kResOk);
    EXPECT_EQ(info.name, u"abc");
    EXPECT_EQ(info.paperName, u"de");

    // UTF-16 units take their high byte: a Cyrillic name and a CJK paper.
    CCanvasInfo wide;
    ASSERT_EQ(Read(wide, Line(kPresetHeaderText) + Chunk(kPresetName, Line(u"\u0416a")) +
                             Chunk(kPresetPaperName, Line(u"\u7D19"))),
              kResOk);
    EXPECT_EQ(wide.name, u"\u0416a");
    EXPECT_EQ(wide.paperName, u"\u7D19");
    EXPECT_EQ(info.paperColour, 0x01020304u);

    CCanvasInfo odd;
    ASSERT_EQ(Read(odd, Line(kPresetHeaderText) + Chunk(kPresetName, Utf16(u"ab") + "c") +
                            Chunk(kPresetPaperColour, U32(0x01020304u))),
              kResOk);
    EXPECT_EQ(odd.name, u"ab");
    EXPECT_EQ(odd.paperColour, 0x01020304u);

    // A text far longer than any name is refused whole.
    CCanvasInfo longName;
    EXPECT_EQ(Read(longName, Line(kPresetHeaderText) + Chunk(kPresetName, std::string(0x20002, 'a'))),
              kResFileInvalid);
    EXPECT_TRUE(longName.name.IsEmpty());
}

TEST_F(CanvasPresetTest, ShortRecordsAndImpossibleLengthsAreRefused)
{
    const std::string header = Line(kPresetHeaderText);
    const std::string cases[] = {
        header + Chunk(kPresetPaperColour, "\x01\x02"),
        header + Chunk(kPresetGrainScale, std::string("\x00\x00\x80", 3)),
        header + Chunk(kPresetFlag, "\x01"),
        header + U32(kPresetPaperOpacity) + I64(1000) + I32(5),
        header + U32(kPresetName) + I64(int64_t(1) << 62) + Line(u"x"),
        header + U32(kPresetPaperColour) + I64(-1) + U32(5),
    };
    for (const std::string& bytes : cases) {
        CCanvasInfo info;
        EXPECT_EQ(Read(info, bytes), kResFileInvalid) << bytes.size();
        ExpectFields(info, ValuesOf(CCanvasInfo()));
    }
    // A record's tag and length cut short are a read error.
    CCanvasInfo cut;
    EXPECT_EQ(Read(cut, header + U32(kPresetName) + "\x04"), kResFileIO);
    ExpectFields(cut, ValuesOf(CCanvasInfo()));
    CCanvasInfo info;
    EXPECT_EQ(info.ApplyPresetRecord(nullptr, kPresetName, 4), kResBadParam);
    EXPECT_EQ(info.ApplyPresetRecord(&Holding(stream, U32(5)), kPresetPaperColour, -4), kResFileInvalid);
    EXPECT_EQ(info.ReadPreset(nullptr), kResBadParam);
    EXPECT_EQ(info.WritePreset(nullptr), kResBadParam);
}

TEST_F(CanvasPresetTest, APresetCutAtAnyByteAnswersACodeOrTheWholeRecordsBeforeTheCut)
{
    const PresetValues values;
    const std::vector<std::string> records = Records(values);
    std::set<size_t> boundaries;
    size_t end = Line(kPresetHeaderText).size();
    boundaries.insert(end);
    for (const std::string& record : records)
        boundaries.insert(end += record.size());
    const std::string bytes = Joined(records);
    const PresetValues before = ValuesOf(CCanvasInfo());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CCanvasInfo info;
        const tResult result = Read(info, bytes.substr(0, cut));
        EXPECT_EQ(result == kResOk, boundaries.contains(cut)) << cut << ": " << result;
        ExpectEachFieldFromEither(info, before, values, cut);
    }
}

}  // namespace
