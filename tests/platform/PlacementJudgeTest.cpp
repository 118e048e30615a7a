#include <gtest/gtest.h>

#include "platform/sdl/PlacementJudge.h"

namespace PlacementJudgeTests {

using namespace w32;
using namespace w32::sdl;
using tCover = CPlacementJudge::tCover;

// The manager's changes are looked at once they stopped for 150 ms; a request it says nothing of
// is looked at after 3 s.
constexpr uint64_t kSettled = 150;
constexpr uint64_t kAnswerWait = 3000;
const RECT kScreen{0, 0, 1280, 800};
const tDisplay kDisplay{kScreen, kScreen};
const RECT kFramed{128, 16, 1152, 784};
const tFrameExtents kNoFrame{};
const tFrameExtents kFrame{2, 2, 20, 2};
// A frame of four different widths (left, right, top, bottom).
const tFrameExtents kUneven{5, 1, 24, 3};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The program's full screen, as a window without a frame that covers the screen, where no manager
// that follows the desktop conventions runs (twm).
CWmModeTracker FullScreenModes()
{
    CWmModeTracker modes(tWmMode::kNormal);
    (void)modes.Ask(tWmAsk::kFullScreen, 0);
    (void)modes.See(tWmMode::kFullScreen, 0, true);
    return modes;
}

// The start under a manager that answers late: the window is placed framed, the request goes to the
// server, and the program covers the screen before the manager has answered; the server has the
// window there already, so nothing more is asked. The manager's late answer to the framed request
// is no place of its own: the window is asked for the screen again. Once the manager has put it
// there, a move is the manager's own (twm and blackbox move a window that covers the screen), and
// the window becomes the program's framed one again.
TEST(PlacementJudge, ARequestALaterOneReplacedIsNeverTakenForTheManagersPlace)
{
    const CWmModeTracker modes = FullScreenModes();
    CPlacementJudge judge;
    judge.SetFramed(true);
    judge.Ask(kFramed);
    judge.Own(kFramed, kScreen);
    judge.Requested(judge.Placed());
    judge.Await(10);
    judge.SetFramed(false);
    judge.Ask(kScreen);
    judge.Own(kScreen, kScreen);
    EXPECT_FALSE(judge.CoverDue(2000)) << "nothing changed";

    judge.Changed(2700, true);
    judge.At(kFramed);
    EXPECT_TRUE(judge.AtReplacedRequest(kFramed));
    EXPECT_FALSE(judge.CoverDue(2700 + kSettled - 1)) << "the manager's changes have yet to stop";
    ASSERT_TRUE(judge.CoverDue(2700 + kSettled));
    EXPECT_EQ(judge.JudgeCover(modes, false, true, kFramed, &kDisplay, 2850), tCover::kPlaceAgain);
    EXPECT_TRUE(Same(judge.Placed(), kScreen));
    judge.Requested(judge.Placed());
    EXPECT_FALSE(judge.CoverDue(3000)) << "the request awaits its answer";

    judge.Changed(3100, true);
    judge.At(kScreen);
    EXPECT_FALSE(judge.AnswerDue(3100 + kSettled - 1));
    ASSERT_TRUE(judge.AnswerDue(3100 + kSettled));
    EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kFullScreen, kNoFrame, kScreen, &kScreen, 3250).place);
    ASSERT_TRUE(judge.CoverDue(3250));
    EXPECT_EQ(judge.JudgeCover(modes, false, true, kScreen, &kDisplay, 3250), tCover::kHolds);
    EXPECT_FALSE(judge.CoverDue(3400)) << "nothing moved since the cover was looked at";

    // The requests were answered: the framed place is the manager's own now. A change of a
    // property after the move leaves the move to be looked at.
    judge.Changed(5000, true);
    judge.Changed(5000, false);
    EXPECT_TRUE(judge.CoverDue(5000 + kSettled)) << "the change of a property wiped the move's cover check";
    judge.At(kFramed);
    EXPECT_FALSE(judge.AtReplacedRequest(kFramed));
    EXPECT_EQ(judge.JudgeCover(modes, false, true, kFramed, &kDisplay, 5150), tCover::kRestore);
    EXPECT_EQ(judge.JudgeCover(modes, false, false, kFramed, &kDisplay, 5150), tCover::kHolds)
        << "a record no longer maximised covers nothing";
}

// A late answer that puts the window back at a request the program replaced is asked away twice at
// most: a manager that keeps it there has the window.
TEST(PlacementJudge, AManagerThatKeepsAReplacedRequestIsAskedTwice)
{
    const CWmModeTracker modes = FullScreenModes();
    CPlacementJudge judge;
    judge.Own(kFramed, kScreen);
    judge.Requested(kFramed);
    judge.Ask(kScreen);
    judge.Own(kScreen, kScreen);
    for (uint64_t at : {1000, 2000})
        EXPECT_EQ(judge.JudgeCover(modes, false, true, kFramed, &kDisplay, at), tCover::kPlaceAgain);
    EXPECT_EQ(judge.JudgeCover(modes, false, true, kFramed, &kDisplay, 3000), tCover::kRestore);

    // The latest four requests are the ones the manager may have yet to answer.
    CPlacementJudge many;
    for (LONG i = 0; i < 5; ++i)
        many.Requested(RECT{i, 0, i + 100, 100});
    EXPECT_FALSE(many.AtReplacedRequest(RECT{0, 0, 100, 100})) << "the oldest request is kept";
    EXPECT_TRUE(many.AtReplacedRequest(RECT{1, 0, 101, 100}));
    EXPECT_TRUE(many.AtReplacedRequest(RECT{4, 0, 104, 100})) << "the newest request is dropped";
}

// A manager that says the window is full screen at another size is asked for full screen once more,
// then the window is its own; one left to cover the display with the window judges its own place.
TEST(PlacementJudge, AManagersFullScreenAtAnotherSizeIsAskedAgainOnce)
{
    const CWmModeTracker modes = FullScreenModes();
    CPlacementJudge judge;
    judge.Own(kFramed, kScreen);
    judge.Requested(kFramed);
    judge.Ask(kScreen);
    judge.LeaveToManager();
    const RECT smaller{0, 0, 1280, 757};
    EXPECT_EQ(judge.JudgeCover(modes, true, true, kFramed, &kDisplay, 100), tCover::kFullScreenAgain)
        << "the framed request is no longer the program's to ask again";
    EXPECT_EQ(judge.JudgeCover(modes, true, true, smaller, &kDisplay, 200), tCover::kRestore);
    EXPECT_EQ(judge.JudgeCover(modes, true, true, kScreen, &kDisplay, 300), tCover::kHolds);
    EXPECT_EQ(judge.JudgeCover(modes, true, true, smaller, &kDisplay, 400), tCover::kFullScreenAgain);
    EXPECT_EQ(judge.JudgeCover(modes, true, true, smaller, &kDisplay, 500), tCover::kRestore);
}

// The manager's answers to a framed window's placement, in the ways managers answer it.
TEST(PlacementJudge, TheManagersAnswerToAFramedPlacement)
{
    const RECT work{0, 30, 1280, 800};
    const auto placed = [&](CPlacementJudge& judge, const RECT& client) {
        judge.SetFramed(true);
        judge.Own(client, work);
        judge.Requested(judge.Placed());
        judge.Await(0);
    };
    {
        SCOPED_TRACE("where asked, the frame off the work area: fitted by the frame drawn");
        CPlacementJudge judge;
        placed(judge, RECT{100, 30, 1124, 798});
        EXPECT_FALSE(judge.AnswerDue(kAnswerWait - 1)) << "the manager said nothing yet";
        ASSERT_TRUE(judge.AnswerDue(kAnswerWait));
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{100, 30, 1124, 798}, &work, 3000);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, RECT{100, 50, 1124, 798})) << p.client.top << " " << p.client.bottom;
        EXPECT_TRUE(p.move);
        EXPECT_EQ(p.shift.x, 0);
        EXPECT_EQ(p.shift.y, 0);
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kFrame, p.client, &work, 3200).place);
    }
    {
        SCOPED_TRACE("a manager that puts the window back where first asked: corrected twice, then its own");
        CPlacementJudge judge;
        placed(judge, RECT{100, 30, 1124, 798});
        for (uint64_t at : {3000, 6000}) {
            const auto p = judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{100, 30, 1124, 798}, &work, at);
            ASSERT_TRUE(p.place) << at;
            judge.Requested(p.client);
        }
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{100, 30, 1124, 798}, &work, 9000).place)
            << "a third correction";
    }
    {
        SCOPED_TRACE("the frame drawn where the client was asked (pekwm): placed by the frame's corner");
        CPlacementJudge judge;
        placed(judge, RECT{200, 100, 1000, 700});
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{202, 120, 1002, 720}, &work, 200);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, RECT{200, 100, 1000, 700}));
        EXPECT_EQ(p.shift.x, 2);
        EXPECT_EQ(p.shift.y, 20);
    }
    {
        SCOPED_TRACE("a place of the manager's own (Weston): two looks, then the size alone, smaller only");
        CPlacementJudge judge;
        placed(judge, RECT{200, 100, 1000, 700});
        const RECT own{40, 60, 840, 660};
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, own, &work, 200).place);
        EXPECT_FALSE(judge.AnswerDue(200 + kSettled - 1)) << "the second look waits for quiet";
        ASSERT_TRUE(judge.AnswerDue(200 + kSettled));
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, own, &work, 350);
        ASSERT_TRUE(p.place) << "the size is asked once, to tell the window";
        EXPECT_FALSE(p.move);
        EXPECT_TRUE(Same(p.client, own));
        judge.Requested(p.client);
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, own, &work, 600).place) << "asked once more";
    }
    {
        SCOPED_TRACE("a place of the manager's own for a window as large as the work area: fitted by the frame");
        CPlacementJudge judge;
        placed(judge, work);
        const RECT own{2, 40, 1282, 810};
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kUneven, own, &work, 200).place);
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kUneven, own, &work, 350);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, RECT{2, 40, 1276, 783})) << p.client.right << "x" << p.client.bottom;
    }
    {
        SCOPED_TRACE("a place of the manager's own at the size of an earlier request: never grown to the later one");
        CPlacementJudge judge;
        placed(judge, RECT{200, 100, 900, 600});
        placed(judge, RECT{200, 100, 1000, 700});
        const RECT own{40, 60, 740, 560};
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, own, &work, 200).place);
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, own, &work, 350);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, own)) << p.client.right << "x" << p.client.bottom;
    }
    {
        SCOPED_TRACE("a manager's place too low and too far right: smaller, the frame on the work area");
        CPlacementJudge judge;
        placed(judge, RECT{128, 30, 1152, 798});
        const RECT own{300, 77, 1324, 845};
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kUneven, own, &work, 200).place);
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kUneven, own, &work, 350);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, RECT{300, 77, 1279, 797})) << p.client.right << "x" << p.client.bottom;
    }
    {
        SCOPED_TRACE("the late answer to a full screen the framed window replaced: asked where the window is wanted");
        CPlacementJudge judge;
        judge.Own(kScreen, work);
        judge.Requested(kScreen);
        judge.SetFramed(true);
        judge.Own(kFramed, kScreen);
        judge.Await(0);
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kNoFrame, kScreen, &kScreen, 3000);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(p.move) << "not the size alone at the replaced request's place";
        EXPECT_TRUE(Same(p.client, kFramed));
    }
    {
        SCOPED_TRACE("a size never asked, from a drag of the frame's corner while the answer was awaited: kept");
        CPlacementJudge judge;
        placed(judge, RECT{200, 100, 1000, 700});
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{200, 100, 1100, 740}, &work, 3000).place);
        placed(judge, RECT{200, 100, 1000, 700});
        for (uint64_t at : {200, 400})
            EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{150, 80, 1000, 700}, &work, at).place)
                << "the top left corner dragged, at " << at;
        placed(judge, RECT{200, 100, 1000, 700});
        for (uint64_t at : {200, 400})
            EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kUneven, RECT{5, 54, 1279, 797}, &work, at).place)
                << "the frame dragged to the work area's very edges, at " << at;
    }
    {
        SCOPED_TRACE("a size never asked whose frame runs off the work area (blackbox's own): fitted");
        CPlacementJudge judge;
        judge.SetFramed(true);
        judge.Own(RECT{128, 6, 1152, 774}, kScreen);
        judge.Requested(judge.Placed());
        const auto p = judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{128, 6, 1152, 767}, &kScreen, 3000);
        ASSERT_TRUE(p.place);
        EXPECT_TRUE(Same(p.client, RECT{128, 20, 1152, 788})) << p.client.top << " " << p.client.bottom;
    }
    {
        SCOPED_TRACE("a mode other than the framed window's, or no display: nothing asked");
        CPlacementJudge judge;
        placed(judge, RECT{100, 30, 1124, 798});
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kMaximised, kFrame, RECT{100, 30, 1124, 798}, &work, 3000).place);
        placed(judge, RECT{100, 30, 1124, 798});
        EXPECT_FALSE(judge.JudgeAnswer(tWmMode::kNormal, kFrame, RECT{100, 30, 1124, 798}, nullptr, 3000).place);
    }
}

}  // namespace PlacementJudgeTests
