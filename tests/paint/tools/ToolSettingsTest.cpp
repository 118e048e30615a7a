#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "ToolTestSupport.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCMemFile.h"

namespace {

// Little-endian record bytes, written field by field.
class RecordBytes {
public:
    RecordBytes& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    RecordBytes& F32(float f)
    {
        uint32_t v = 0;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    std::vector<uint8_t> bytes;
};

// Block 1 as written: counter 7, size 2.5, flag 1, position 1234, common 0.25, clean 0.
RecordBytes Block1(RecordBytes record, float size = 2.5f, float common = 0.25f)
{
    return record.U32(7).F32(size).U32(1).U32(1234).F32(common).U32(0);
}

tResult Read(CToolBase& tool, const std::vector<uint8_t>& bytes, int64_t* endPosition = nullptr,
             int64_t trailing = 0)
{
    tCMemFile stream;
    stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
    const std::vector<uint8_t> after(size_t(trailing), 0xEE);
    if (trailing)
        stream.WriteBytes(after.data(), trailing);
    stream.Rewind();
    const tResult result = tool.ReadSettings(&stream, int64_t(bytes.size()));
    if (endPosition)
        *endPosition = stream.GetPosition();
    return result;
}

TEST(ToolSettings, SetSizeKeepsTheSizeWithinItsRange)
{
    CProbeTool tool;
    tool.SetSize(0.001f);
    EXPECT_FLOAT_EQ(tool.GetSize(), 0.01f);
    tool.SetSize(12.0f);
    EXPECT_FLOAT_EQ(tool.GetSize(), 10.0f);
    tool.SetSize(4.0f);
    for (float refused : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()}) {
        tool.SetSize(refused);
        EXPECT_EQ(tool.GetSize(), 4.0f) << refused << " is refused, not clamped";
    }
    EXPECT_EQ(tool.Changed(), 1u);
    EXPECT_EQ(tool.applied, 3) << "each accepted size rebuilds the nib tables";
}

TEST(ToolSettings, ARecordRoundTripsThroughTheStream)
{
    CProbeTool tool;
    tool.SetSize(3.5f);
    tool.SetCommonProperty(0.75f);
    tool.SetStrokeCount(42);
    EXPECT_EQ(tool.SetStrokeCount(42), 0u) << "storing the count answers 0";
    tool.SetToolFlag(1);
    tool.SetStrokePosition(-5);
    tool.SetCleanBrush(0);
    tCMemFile stream;
    ASSERT_EQ(tool.WriteSettings(&stream), kResOk);
    ASSERT_EQ(stream.GetSize(), 4 + 4 + 24 + 4);
    const uint8_t* b = stream.GetData();
    EXPECT_EQ(b[0] | b[1] << 8, 4901 & 0xFFFF);
    EXPECT_EQ(b[4], 24) << "L1 is the block's length";
    EXPECT_EQ(b[32], 0) << "the base writes an empty block 2";

    CProbeTool again;
    stream.Rewind();
    ASSERT_EQ(again.ReadSettings(&stream, stream.GetSize()), kResOk);
    EXPECT_EQ(again.GetSize(), 3.5f);
    EXPECT_EQ(again.GetCommonProperty(), 0.75f);
    EXPECT_EQ(again.GetStrokeCount(), 42u);
    EXPECT_EQ(again.GetToolFlag(), 1u);
    EXPECT_EQ(again.GetStrokePosition(), -5);
    EXPECT_EQ(again.GetCleanBrush(), 0u);
    EXPECT_EQ(again.applied, 1) << "reading applies the settings read";
}

TEST(ToolSettings, ReadingClampsSizeAndCommonPropertyAndRefusesNonFiniteValues)
{
    CProbeTool tool;
    ASSERT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(24), 0.0f, 1.5f).U32(0).bytes), kResOk);
    EXPECT_EQ(tool.GetSize(), 0.0f) << "a record's size 0.0 reads as 0.0";
    EXPECT_EQ(tool.GetCommonProperty(), 1.0f);
    ASSERT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(24), 11.0f, -0.2f).U32(0).bytes), kResOk);
    EXPECT_EQ(tool.GetSize(), 10.0f);
    EXPECT_EQ(tool.GetCommonProperty(), 0.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    ASSERT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(24), nan, inf).U32(0).bytes), kResOk);
    EXPECT_EQ(tool.GetSize(), 10.0f);
    EXPECT_EQ(tool.GetCommonProperty(), 0.0f);
    RecordBytes clean = RecordBytes().U32(4901).U32(24).U32(7).F32(1.0f).U32(0).U32(0).F32(0.5f).U32(9).U32(0);
    ASSERT_EQ(Read(tool, clean.bytes), kResOk);
    EXPECT_EQ(tool.GetCleanBrush(), 1u) << "the clean-brush flag becomes 0 or 1";
}

TEST(ToolSettings, AShortBlockOneKeepsTheLaterFieldsAndStillReadsBlockTwo)
{
    CProbeTool tool;
    tool.SetSize(4.0f);
    tool.SetCommonProperty(0.6f);
    const RecordBytes record = RecordBytes().U32(4901).U32(4).U32(99).U32(4).U32(0xABCD);
    int64_t end = 0;
    ASSERT_EQ(Read(tool, record.bytes, &end), kResOk);
    EXPECT_EQ(tool.GetStrokeCount(), 99u);
    EXPECT_EQ(tool.GetSize(), 4.0f);
    EXPECT_EQ(tool.GetCommonProperty(), 0.6f);
    EXPECT_EQ(tool.GetCleanBrush(), 1u);
    EXPECT_EQ(tool.extraReads, 1);
    EXPECT_EQ(end, int64_t(record.bytes.size()));
}

TEST(ToolSettings, ALongerBlockOneIsSkippedAndTheStreamEndsAfterBlockTwo)
{
    CProbeTool tool;
    RecordBytes record = Block1(RecordBytes().U32(4901).U32(32)).U32(0x11111111).U32(0x22222222).U32(0);
    int64_t end = 0;
    ASSERT_EQ(Read(tool, record.bytes, &end, 8), kResOk);
    EXPECT_EQ(tool.GetSize(), 2.5f);
    EXPECT_EQ(tool.GetStrokePosition(), 1234);
    EXPECT_EQ(tool.extraReads, 0) << "L2 = 0 never calls ReadExtraSettings";
    EXPECT_EQ(end, int64_t(record.bytes.size())) << "the chunks after the record are left alone";
}

TEST(ToolSettings, ABadRecordAnswersSixteenAndChangesNothing)
{
    CProbeTool tool;
    tool.SetSize(4.0f);
    const auto unchanged = [&] {
        EXPECT_EQ(tool.GetSize(), 4.0f);
        EXPECT_EQ(tool.GetStrokeCount(), 0u);
    };
    EXPECT_EQ(Read(tool, Block1(RecordBytes().U32(4900).U32(24)).U32(0).bytes), kResFileIO) << "another tool's";
    unchanged();
    EXPECT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(40)).U32(0).bytes), kResFileIO) << "L1 past the end";
    unchanged();
    EXPECT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(24)).U32(5).U32(1).bytes), kResFileIO)
        << "L2 past the end";
    unchanged();
    EXPECT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(24)).U32(2).U32(0).bytes), kResFileIO)
        << "block 2 holds fewer bytes than its reader takes";
    unchanged();
    EXPECT_EQ(Read(tool, Block1(RecordBytes().U32(4901).U32(0xFFFFFFF0u)).U32(0).bytes), kResFileIO);
    unchanged();
    const std::vector<uint8_t> whole = Block1(RecordBytes().U32(4901).U32(24)).U32(4).U32(0).bytes;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
        EXPECT_EQ(Read(tool, part), kResFileIO) << cut;
        unchanged();
    }
}

TEST(ToolSettings, MessagesSetAndReportSizeWidthsAndProperties)
{
    CProbeTool tool;
    float value = 7.5f;
    EXPECT_EQ(tool.OnMessage(kMsgToolSize, 0, ToMsgArg(&value), 0, kMsgApply), kResOk);
    EXPECT_EQ(tool.GetSize(), 7.5f);
    value = 0.0f;
    tool.OnMessage(kMsgToolSize, 0, ToMsgArg(&value), 0, kMsgReport);
    EXPECT_EQ(value, 7.5f);
    tool.OnMessage(kMsgToolMinNibWidth, 0, ToMsgArg(&value), 0, kMsgApply);
    EXPECT_EQ(value, 2.0f);
    tool.OnMessage(kMsgToolMaxNibWidth, 0, ToMsgArg(&value), 0, kMsgReport);
    EXPECT_EQ(value, 8.0f);

    ToolPropertyValue record{kPropertyPressure, 0.3f};
    EXPECT_EQ(tool.OnMessage(kMsgToolPropertyValue, 0, ToMsgArg(&record), 0, kMsgReport), kResOk);
    EXPECT_EQ(record.value, 0.0f) << "the base has no properties";
    tCArray<CToolProperty*> list;
    EXPECT_EQ(tool.OnMessage(kMsgToolPropertyList, 0, ToMsgArg(&list), 0, kMsgApply), kResOk);
    EXPECT_EQ(list.GetCount(), 0);

    tool.SetCommonProperty(0.9f);
    const int32_t applied = tool.applied;
    EXPECT_EQ(tool.OnMessage(kMsgToolReset, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(tool.GetCommonProperty(), 0.5f);
    EXPECT_EQ(tool.applied, applied + 1);
    EXPECT_EQ(tool.OnMessage(0xFF001234u, 0, 0, 0, kMsgApply), kResOk);
}

TEST(ToolSettings, TheColourMessageAndTheCleanBrushEmptyTheNextStrokesNib)
{
    CProbeTool tool;
    tool.SetCleanBrush(0);
    EXPECT_EQ(tool.Changed(), 0u);
    EXPECT_EQ(tool.OnMessage(kMsgColourChanged, 0, 0xFF123456u, 0, kMsgReport), kResOk);
    EXPECT_EQ(tool.Changed(), 1u);
    CProbeTool other;
    EXPECT_EQ(other.SetCleanBrush(1), 1u);
    EXPECT_EQ(other.Changed(), 1u);
}

TEST(ToolSettings, FindToolByIdFindsTheFirstOfThatId)
{
    CProbeTool a(4900), b(4901), c(4901);
    CToolBase* tools[] = {&a, nullptr, &b, &c};
    EXPECT_EQ(FindToolById(tools, 4, 4901), &b);
    EXPECT_EQ(FindToolById(tools, 4, 4900), &a);
    EXPECT_EQ(FindToolById(tools, 4, 4915), nullptr);
    EXPECT_EQ(FindToolById(tools, 0, 4900), nullptr);
}

}  // namespace
