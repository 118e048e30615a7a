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
    LoadEveryWidget(file.get(), [](tResult loaded) { EXPECT_TRUE(IsLoaderCode(loaded)) << loaded; });
    w32::headless::TakeMessageBoxes();
}

class WidgetDamageTest : public WidgetLoadTest {
protected:
    tResult Load(const std::string& fileName, CWidget* widget, const char16_t* name)
    {
        file = CompiledFile::FromBytes(DataFile(fileName));
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
    CWidget top;
    EXPECT_EQ(Load("nested-1000.trf", &top, u"w0"), kResResourceRead);
    Boxes();
    CWidget near;
    ASSERT_EQ(Load("nested-1000.trf", &near, u"w936"), kResOk) << "64 deep";
    EXPECT_EQ(near.CountWidgets(), CWidget::kMaxLoadDepth);
    CWidget past;
    EXPECT_EQ(Load("nested-1000.trf", &past, u"w935"), kResResourceRead) << "65 deep";
}

TEST_F(WidgetDamageTest, OneLoadMakesABoundedNumberOfWidgets)
{
    CWidget small;
    ASSERT_EQ(Load("fan-out-2-to-the-30.trf", &small, u"d20"), kResOk);
    EXPECT_EQ(small.CountWidgets(), (1 << 11) - 1);
    CWidget huge;
    EXPECT_EQ(Load("fan-out-2-to-the-30.trf", &huge, u"d0"), kResResourceRead);
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

}  // namespace
