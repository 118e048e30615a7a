#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "resources/DamagedCopies.h"
#include "toolkit/widgets/LoadEveryWidget.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

std::string DataFile(const std::string& name)
{
    return ReadWholeFile(std::string(KOSTREL_TEST_DATA) + "/widgets/" + name);
}

// The answers a load may give: success, a split's answers, memory, a bad value, reading, a
// damaged file, a resource not found, and the loaders' own two.
bool IsLoaderCode(tResult code)
{
    static const std::set<tResult> codes = {kResOk,      kResFailure,      kResHandled,           kResNoMemory,
                                            kResBadParam, kResFileIO,      kResFileInvalid,       kResResourceNotFound,
                                            kResResourceRead, kResCreateFailed};
    return codes.count(code) != 0;
}

void LoadEverything(const std::string& bytes)
{
    auto file = CompiledFile::FromBytes(bytes);
    LoadEveryWidget(file.get(), SIZE_MAX, [](tResult loaded) { EXPECT_TRUE(IsLoaderCode(loaded)) << loaded; });
    w32::headless::TakeMessageBoxes();
}

// Widgets "<prefix>0" to "<prefix><count - 1>", each naming the next `fanOut` times as its children.
std::string Chain(const std::u16string& prefix, int count, int fanOut)
{
    using namespace handmade;
    const auto name = [&](int i) { return prefix + std::u16string(tCString::FromAnsi(std::to_string(i)).View()); };
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const std::u16string next = name(i + 1);
        std::string chunks = ChunkU32("vsbl", 1);
        if (i + 1 < count)
            chunks += Hierarchy(std::vector<std::pair<std::u16string, const char*>>(size_t(fanOut), {next, "wdgt"}));
        bytes += Widget("wdgt", uint32_t(i), name(i), chunks);
    }
    return bytes;
}

class WidgetDamageTest : public WidgetLoadTest {
protected:
    tResult Load(const std::string& fileName, CWidget* widget, const char16_t* name)
    {
        return LoadBytes(DataFile(fileName), widget, name);
    }
    tResult LoadBytes(const std::string& bytes, CWidget* widget, const char16_t* name)
    {
        file = CompiledFile::FromBytes(bytes);
        return widget->LoadFromResourceName(name, file.get(), nullptr);
    }

    std::unique_ptr<CompiledFile> file;
};

TEST_F(WidgetDamageTest, HierarchiesThatContainThemselvesEndAtTheDepthLimit)
{
    CWidget cycle;
    EXPECT_EQ(Load("hier-cycle.trf", &cycle, u"A"), kResResourceRead);
    std::vector<std::string> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), BoxText(kResResourceRead, "Widget hierarchy too deep or too large."));
    // Then at every level: the child's creation text, its name and the hierarchy's failure.
    EXPECT_EQ(boxes.size(), size_t(1 + 3 * CWidget::kMaxLoadDepth));
    EXPECT_EQ(cycle.GetChildCount(), 0);

    CCoWidget self;
    EXPECT_EQ(Load("hier-self.trf", &self, u"A"), kResResourceRead);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget hierarchy too deep or too large."));
}

TEST_F(WidgetDamageTest, NestingDeeperThanTheLimitIsRefusedAndShallowerLoads)
{
    const std::string nested = Chain(u"w", 1000, 1);
    CWidget top;
    EXPECT_EQ(LoadBytes(nested, &top, u"w0"), kResResourceRead);
    Boxes();
    CWidget near;
    ASSERT_EQ(LoadBytes(nested, &near, u"w936"), kResOk) << "64 deep";
    EXPECT_EQ(near.CountWidgets(), CWidget::kMaxLoadDepth);
    CWidget past;
    EXPECT_EQ(LoadBytes(nested, &past, u"w935"), kResResourceRead) << "65 deep";
}

TEST_F(WidgetDamageTest, OneLoadMakesABoundedNumberOfWidgets)
{
    // Each widget names the next twice: 2^31 - 1 widgets from the first.
    const std::string fanOut = Chain(u"d", 31, 2);
    CWidget small;
    ASSERT_EQ(LoadBytes(fanOut, &small, u"d20"), kResOk);
    EXPECT_EQ(small.CountWidgets(), (1 << 11) - 1);
    CWidget huge;
    EXPECT_EQ(LoadBytes(fanOut, &huge, u"d0"), kResResourceRead);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget hierarchy too deep or too large."));
    EXPECT_EQ(huge.GetChildCount(), 0);
}

TEST_F(WidgetDamageTest, SizesAndCountsBeyondTheDataAreRefusedBeforeTheyAreUsed)
{
    struct Case {
        const char* file;
        tResult result;
        const char* firstBox;
    };
    const Case cases[] = {
        {"hier-count-huge.trf", kResFileInvalid, "Widget hierarchy entries."},
        {"block-past-resource.trf", kResFileInvalid, "Error reading widget data block."},
        {"block-size-zero.trf", kResFileIO, "Error reading widget data chunk type."},
        {"usrd-index-nine.trf", kResBadParam, "Widget usrd index too high."},
    };
    for (const Case& c : cases) {
        CWidget widget;
        EXPECT_EQ(Load(c.file, &widget, u"A"), c.result) << c.file;
        EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, c.firstBox)) << c.file;
    }
    const std::pair<const char*, const char*> backdropCases[] = {{"chunk-cut-short.trf", "Backdrop grcx."},
                                                                 {"text-without-nul.trf", "Backdrop curs."}};
    for (const auto& [name, firstBox] : backdropCases) {
        CBackdrop backdrop;
        EXPECT_EQ(Load(name, &backdrop, u"A"), kResFileIO) << name;
        EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, firstBox)) << name;
    }
}

TEST_F(WidgetDamageTest, TruncatedAndCorruptedWidgetFilesAnswerACode)
{
    const std::string whole = DataFile("every-chunk.trf");
    ASSERT_FALSE(whole.empty());
    ForEachDamagedCopy(whole, 17, 100, LoadEverything);
}

TEST_F(WidgetDamageTest, TruncatedAndCorruptedPicturesAndEffectsAnswerACode)
{
    const std::string whole = DataFile("every-effect.trf");
    ASSERT_FALSE(whole.empty());
    ForEachDamagedCopy(whole, 23, 200, LoadEverything);
}

}  // namespace
