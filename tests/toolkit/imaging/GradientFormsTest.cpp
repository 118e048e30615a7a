#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/core/TempFolder.h"
#include "tests/toolkit/imaging/StoredBytes.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/CGradient.h"

namespace {

// The stream form as stored: tag, version, grey, interpolation, count, then position and colour.
std::string StreamForm(uint32_t version, uint32_t grey, int32_t interpolation, int32_t count, const std::string& points)
{
    return Tag("grad") + U32(version) + U32(grey) + U32(uint32_t(interpolation)) + U32(uint32_t(count)) + points;
}

std::string Point(float position, uint32_t colour)
{
    return F32(position) + U32(colour);
}

// A resource of the resource file: its chunk holds the id, the name line and the data.
std::string Resource(const char* tag, uint32_t id, const std::u16string& name, const std::string& data)
{
    return Chunk(tag, U32(id) + Line(name) + data);
}

// Resource data: count, then colour and position per stop.
std::string ResData(int32_t count, const std::string& points)
{
    return U32(uint32_t(count)) + points;
}

std::string ResPoint(uint32_t colour, float position)
{
    return U32(colour) + F32(position);
}

void ExpectSameStops(const CGradient& a, const CGradient& b)
{
    ASSERT_EQ(a.GetPointCount(), b.GetPointCount());
    for (int32_t i = 0; i < a.GetPointCount(); ++i) {
        EXPECT_EQ(a.GetPoint(i).colour, b.GetPoint(i).colour) << i;
        EXPECT_EQ(a.GetPoint(i).position, b.GetPoint(i).position) << i;
    }
}

}  // namespace

TEST(GradientStreamForm, WritesTheFieldsInOrder)
{
    CGradient gradient(0xFF102030, 0x80405060);
    gradient.SetGrey(1);
    gradient.SetInterpolation(CGradient::kCatmullRom);
    gradient.AddPoint(0xFFAABBCC, 0.25f);
    tCMemFile out;
    ASSERT_EQ(gradient.Write(out), kResOk);
    EXPECT_EQ(StreamBytes(out), StreamForm(1, 1, 1, 3,
                                       Point(0.0f, 0xFF102030) + Point(0.25f, 0xFFAABBCC) + Point(1.0f, 0x80405060)));
    EXPECT_EQ(StreamBytes(out).substr(0, 4), "darg");
}

TEST(GradientStreamForm, RoundTripsThroughMemoryAndFiles)
{
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    gradient.SetInterpolation(CGradient::kSmoothstep);
    gradient.AddPoint(0xFF336699, 0.4f);
    gradient.AddPoint(0x7F00FF00, 1.5f);
    tCMemFile memory;
    ASSERT_EQ(gradient.Write(memory), kResOk);
    ASSERT_EQ(memory.Rewind(), kResOk);
    CGradient copy(0, 0);
    copy.SetGrey(1);
    ASSERT_EQ(copy.Read(memory), kResOk);
    EXPECT_EQ(copy.IsGrey(), 0u);
    EXPECT_EQ(copy.GetInterpolation(), CGradient::kSmoothstep);
    ExpectSameStops(copy, gradient);
    for (int j = 0; j <= CGradient::kTableSize; ++j)
        ASSERT_EQ(copy.GetTable()[j], gradient.GetTable()[j]) << j;

    TempFolder folder;
    const tCFRef path(tCString::FromAnsi(folder.File("ramp.grd")));
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessWrite), kResOk);
    ASSERT_EQ(gradient.Write(file), kResOk);
    ASSERT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("ramp.grd")), StreamBytes(memory));
    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    CGradient fromFile(0, 0);
    ASSERT_EQ(fromFile.Read(file), kResOk);
    ExpectSameStops(fromFile, gradient);
}

TEST(GradientStreamForm, StopsAreKeptAsStored)
{
    // Out of order and outside 0 .. 1: read as they are, and the table stays inside itself.
    const auto stream = StreamOf(StreamForm(1, 0, 0, 3, Point(0.9f, 0xFF0000FF) + Point(-3.0f, 0xFF00FF00) +
                                                        Point(7.5f, 0xFFFF0000)));
    CGradient gradient(0, 0);
    ASSERT_EQ(gradient.Read(*stream), kResOk);
    ASSERT_EQ(gradient.GetPointCount(), 3);
    EXPECT_EQ(gradient.GetPoint(1).position, -3.0f);
    EXPECT_EQ(gradient.GetPoint(2).position, 7.5f);
    const uint32_t* table = gradient.GetTable();
    EXPECT_EQ(table[4095], 0xFFFF0000u);
    EXPECT_EQ(table[4096], 0u);
}

TEST(GradientStreamForm, RefusesOtherTagsAndVersionsLeavingTheGradient)
{
    CGradient gradient(0xFF111111, 0xFF222222);
    gradient.SetInterpolation(CGradient::kCatmullRom);
    for (const std::string& bytes : {StreamForm(2, 1, 0, 0, ""), Tag("gray") + U32(1) + U32(1) + U32(0) + U32(0)}) {
        const auto stream = StreamOf(bytes);
        EXPECT_EQ(gradient.Read(*stream), kResBadParam);
        EXPECT_EQ(gradient.IsGrey(), 0u);
        EXPECT_EQ(gradient.GetInterpolation(), CGradient::kCatmullRom);
        EXPECT_EQ(gradient.GetPointCount(), 2);
    }
}

TEST(GradientStreamForm, BadCountsAndTruncatedDataFailWithoutChangingTheStops)
{
    const std::string good = StreamForm(1, 1, -1, 2, Point(0.0f, 0xFF000000) + Point(1.0f, 0xFFFFFFFF));
    for (size_t length = 0; length < good.size(); ++length) {
        CGradient gradient(0xFF123456, 0xFF654321);
        const auto stream = StreamOf(good.substr(0, length));
        EXPECT_NE(gradient.Read(*stream), kResOk) << length;
        EXPECT_EQ(gradient.GetPoint(0).colour, 0xFF123456u) << length;
        EXPECT_EQ(gradient.GetPointCount(), 2);
    }
    for (int32_t count : {-1, -2147483647 - 1, 3, 2147483647}) {
        CGradient gradient(0xFF123456, 0xFF654321);
        const auto stream = StreamOf(StreamForm(1, 0, 0, count, Point(0.5f, 1) + Point(0.6f, 2)));
        EXPECT_EQ(gradient.Read(*stream), kResFileInvalid) << count;
        EXPECT_EQ(gradient.GetPointCount(), 2);
    }
}

TEST(GradientStreamForm, AnEmptyGradientTakesNewStopsInOrder)
{
    CGradient gradient(0xFF123456, 0xFF654321);
    const auto stream = StreamOf(StreamForm(1, 0, 0, 0, ""));
    ASSERT_EQ(gradient.Read(*stream), kResOk);
    EXPECT_EQ(gradient.GetPointCount(), 0);
    // Without stops the ramp runs from opaque black to white.
    EXPECT_EQ(gradient.GetTable()[0], 0xFF000000u);
    EXPECT_EQ(gradient.GetTable()[4095], 0xFFFFFFFFu);
    EXPECT_EQ(gradient.AddPoint(0xFF0000FF, 0.5f), -1);
    EXPECT_EQ(gradient.AddPoint(0xFFFF0000, 1.0f), 0);
    EXPECT_EQ(gradient.AddPoint(0xFF00FF00, 0.0f), 0);
    EXPECT_EQ(gradient.AddPoint(0xFF0000FF, 0.5f), 1);
    ASSERT_EQ(gradient.GetPointCount(), 3);
    EXPECT_EQ(gradient.GetPoint(0).colour, 0xFF00FF00u);
    EXPECT_EQ(gradient.GetPoint(2).colour, 0xFFFF0000u);
    EXPECT_EQ(gradient.GetPoint(2).position, 1.0f);
    // A single stop above 0 ramps up from opaque black, and one below 1 on to white.
    CGradient single(0, 0);
    const auto one = StreamOf(StreamForm(1, 0, 0, 1, Point(0.5f, 0xFF804020)));
    ASSERT_EQ(single.Read(*one), kResOk);
    const uint32_t* table = single.GetTable();
    EXPECT_EQ(table[0], 0xFF000000u);
    EXPECT_EQ(table[2048], 0xFF804020u);
    EXPECT_EQ(table[4095], 0xFFFFFFFFu);
}

TEST(GradientResource, LoadsWhatTheResourceCompilerWrites)
{
    ErrorBoxRecorder errors;
    const auto file = StreamOver(CompileResources("vers 2\n"
                                                  "text 700 \"bg.ramp\" \"not a gradient\"\n"
                                                  "grad 700 \"bg.ramp\" [#FF303050@0 #FF808080@0.5 #FF101020@1]\n"
                                                  "grad 701 \"empty\" []\n"));
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(file.get()), kResOk);

    std::unique_ptr<CGradient> byName(CGradient::NewFromResourceName(tCString(u"bg.ramp"), file.get(), &directory));
    ASSERT_NE(byName, nullptr);
    ASSERT_EQ(byName->GetPointCount(), 3);
    EXPECT_EQ(byName->GetPoint(0).colour, 0xFF303050u);
    EXPECT_EQ(byName->GetPoint(1).position, 0.5f);
    EXPECT_EQ(byName->GetPoint(2).colour, 0xFF101020u);
    EXPECT_EQ(byName->GetId(), 700u);
    EXPECT_EQ(byName->GetTable()[2048], 0xFF808080u);

    // Without a directory the headers are scanned; a resource of count 0 adds nothing.
    CGradient byId(0xFF000000, 0xFFFFFFFF);
    ASSERT_EQ(byId.GetFromRes(701, file.get(), nullptr), kResOk);
    EXPECT_EQ(byId.GetPointCount(), 2);
    EXPECT_EQ(byId.GetPoint(1).colour, 0xFFFFFFFFu);
    EXPECT_EQ(errors.count, 0);

    EXPECT_EQ(CGradient::NewFromResourceName(tCString(u"missing"), file.get(), &directory), nullptr);
    EXPECT_EQ(byId.GetFromRes(702, file.get(), &directory), kResResourceNotFound);
}

TEST(GradientResource, DamagedDataIsReportedInTheErrorBox)
{
    const struct {
        std::string data;
        tResult result;
        const char* text;
    } cases[] = {
        {"", kResFileInvalid, "Error reading number of gradient items."},
        {ResData(2, ResPoint(0xFF000000, 0.0f)), kResFileInvalid, "Error reading gradient point colour."},
        {ResData(1, U32(0xFF000000)), kResFileInvalid, "Error reading gradient position."},
        {ResData(1, ResPoint(0xFF000000, 2.5f)), kResResourceRead, "Error adding gradient point."},
    };
    for (const auto& c : cases) {
        ErrorBoxRecorder errors;
        // A resource after the damaged one: its bytes must not be read as stops.
        const auto file = StreamOver(Resource("grad", 1, u"bad", c.data) +
                                     Resource("grad", 2, u"next", ResData(1, ResPoint(0xFFFFFFFF, 0.5f))));
        CGradient gradient(0xFF000000, 0xFFFFFFFF);
        EXPECT_EQ(gradient.GetFromRes(1, file.get(), nullptr), c.result) << c.text;
        EXPECT_EQ(errors.count, 1);
        EXPECT_NE(errors.text.find(c.text), std::string::npos) << errors.text;
        EXPECT_EQ(gradient.GetPointCount(), 2);
    }
    // A stream cut inside the count answers the stream's own code.
    ErrorBoxRecorder errors;
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    const auto cut = StreamOf(U32(1).substr(0, 2));
    EXPECT_EQ(gradient.ReadResData(*cut), kResFileIO);
    EXPECT_NE(errors.text.find("Error reading number of gradient items."), std::string::npos);
}

TEST(GradientStreamForm, ReadsFormsWrittenElsewhere)
{
    // Written field by field by a script, not by this code.
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(KOSTREL_TEST_DATA "/noise/ramp.grad")), tCFile::kAccessRead), kResOk);
    CGradient gradient(0, 0);
    ASSERT_EQ(gradient.Read(file), kResOk);
    EXPECT_EQ(gradient.IsGrey(), 1u);
    EXPECT_EQ(gradient.GetInterpolation(), CGradient::kCatmullRom);
    ASSERT_EQ(gradient.GetPointCount(), 3);
    EXPECT_EQ(gradient.GetPoint(1).colour, 0x80FF8000u);

    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(KOSTREL_TEST_DATA "/noise/ramp-resource.bin")), tCFile::kAccessRead),
              kResOk);
    CGradient fromData(0xFF000000, 0xFFFFFFFF);
    ASSERT_EQ(fromData.ReadResData(file), kResOk);
    EXPECT_EQ(fromData.GetPoint(0).colour, 0xFF303050u);
    EXPECT_EQ(fromData.GetPoint(1).colour, 0xFF101020u);
}
