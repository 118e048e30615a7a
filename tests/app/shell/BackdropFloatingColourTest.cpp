#include <gtest/gtest.h>

#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ShellResources.h"
#include "tests/app/shell/AppTestSupport.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// The floating colour as the backdrop sees it: what it was shown with, and the drags it ran.
class FloatingStandIn : public CKS2Pane {
public:
    FloatingStandIn() { m_rootId = int32_t(kPaneFloatingColour); }
    tResult Show(uint32_t transition, uint32_t redraw, tMsgArg param1, tMsgArg, tCCmdTarget* owner) override
    {
        shows.push_back({transition, redraw, uint32_t(param1)});
        shownOwner = owner;
        return showAnswer;
    }
    struct tShow {
        uint32_t transition, redraw, colour;
    };
    std::vector<tShow> shows;
    tCCmdTarget* shownOwner = nullptr;
    tResult showAnswer = kResOk;
    int drags = 0;
};

class FloatingMaker : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override
    {
        if (rootId != kPaneFloatingColour)
            return kResNotImplemented;
        ++made;
        if (refuse)
            return kResCreateFailed;
        *pane = floating = new FloatingStandIn;
        return kResOk;
    }
    CStringPrompt* AsTextPrompt(CKS2Pane*) override { return nullptr; }
    tResult TrackColourDrag(CKS2Pane* pane) override
    {
        if (pane == floating)
            ++floating->drags;
        return kResOk;
    }

    FloatingStandIn* floating = nullptr;
    int made = 0;
    bool refuse = false;
};

// The pane that asked for the colour.
class Owner : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t) override
    {
        heard.push_back(message);
        return kResOk;
    }
    std::vector<uint32_t> heard;
};

class BackdropFloatingColourTest : public AppTest {
protected:
    void Open(bool refuse)
    {
        AppLayouts layouts;
        layouts.extra = "wdgt 100600 \"floating\"\n  xsiz 40\n  ysiz 30\n  vsbl 0\n"
                        "wdgt 77 \"anchor\"\n  xpos 100\n  ypos 60\n  xsiz 21\n  ysiz 11\n  vsbl 1\n";
        std::map<uint32_t, std::u16string> texts = AppTexts();
        texts[kStrErrFloatingColour] = u"no chooser";
        Start(layouts, texts);
        maker.refuse = refuse;
        app->SetPanelMaker(&maker);
        ASSERT_EQ(app->SetUpApplication(tCString()), kResOk);
        (void)Boxes();
    }

    FloatingMaker maker;
    Owner owner;
};

TEST_F(BackdropFloatingColourTest, ItIsMadeOnceCentredOnTheAnchorShownWithTheColourAndFollowed)
{
    Open(false);
    auto anchor = std::unique_ptr<CWidget>(LoadNewWidgetById<CWidget>(77, nullptr, nullptr));
    ASSERT_TRUE(anchor);
    ASSERT_EQ(Backdrop()->AddChild(anchor.get(), 0), kResOk);
    CWidget* placed = anchor.release();
    EXPECT_EQ(Backdrop()->ShowFloatingColour(placed, 0xFF123456, &owner), kResOk);
    ASSERT_NE(maker.floating, nullptr);
    EXPECT_EQ(Backdrop()->GetFloatingColour(), maker.floating);
    // Centre (110, 65); the root of 40 x 30 is placed at (90, 50).
    EXPECT_EQ(maker.floating->GetRoot()->GetRect().GetTopLeft(), (tCPoint{90, 50}));
    ASSERT_EQ(maker.floating->shows.size(), 1u);
    EXPECT_EQ(maker.floating->shows[0].colour, 0xFF123456u);
    EXPECT_EQ(maker.floating->shows[0].transition, 1u);
    EXPECT_EQ(maker.floating->shownOwner, &owner);
    EXPECT_EQ(maker.floating->drags, 1);
    // Without an anchor it is centred on the backdrop, and made no second time.
    EXPECT_EQ(Backdrop()->ShowFloatingColour(nullptr, 0xFF000000, &owner), kResOk);
    EXPECT_EQ(maker.made, 1);
    const tCRect& rect = maker.floating->GetRoot()->GetRect();
    EXPECT_EQ(rect.left, Backdrop()->GetWidth() / 2 - 20);
    EXPECT_EQ(rect.top, Backdrop()->GetHeight() / 2 - 15);
    EXPECT_EQ(maker.floating->drags, 2);
    // A show that fails is the answer, and no drag follows.
    maker.floating->showAnswer = kResBadParam;
    EXPECT_EQ(Backdrop()->ShowFloatingColour(nullptr, 0xFF000000, &owner), kResBadParam);
    EXPECT_EQ(maker.floating->drags, 2);
    EXPECT_TRUE(Boxes().empty());
    // The hand-off offers nothing.
    EXPECT_EQ(Backdrop()->HandOffColour(&owner, {3, 4}, 0, 0xFF00FF00), kResOk);
    EXPECT_TRUE(owner.heard.empty());
}

TEST_F(BackdropFloatingColourTest, APaneThatCannotBeMadeIsReported)
{
    Open(true);
    EXPECT_EQ(Backdrop()->ShowFloatingColour(nullptr, 0xFF123456, &owner), kResOk);
    EXPECT_EQ(Backdrop()->GetFloatingColour(), nullptr);
    const std::vector<Box> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, TextOf(kStrReportCaptionFirst + 24));
    EXPECT_EQ(boxes[0].text, u"no chooser");
}

}  // namespace
