#include <gtest/gtest.h>

#include "platform/sdl/WmModeTracker.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WmModeTrackerTests {

using namespace w32::sdl;
using tAnswer = CWmModeTracker::tAnswer;

// The program's own changes, however the manager gets there, are not told back; the manager's
// own are, once it showed what the program asked.
TEST(WmModeTracker, TheManagersOwnChangesAreToldAndThoseOnTheWayToWhatWasAskedAreNot)
{
    CWmModeTracker tracker(tWmMode::kNormal);
    EXPECT_FALSE(tracker.Ask(tWmAsk::kFullScreen));
    EXPECT_EQ(tracker.See(tWmMode::kMaximised), tAnswer::kNothing);
    EXPECT_EQ(tracker.See(tWmMode::kFullScreen), tAnswer::kNothing);
    // Leaving full screen, a manager gives back the maximise the window had before, once.
    EXPECT_FALSE(tracker.Ask(tWmAsk::kWindow));
    EXPECT_EQ(tracker.See(tWmMode::kMaximised), tAnswer::kTakeMaximiseAway);
    EXPECT_EQ(tracker.See(tWmMode::kFullScreen), tAnswer::kNothing);
    EXPECT_EQ(tracker.See(tWmMode::kMaximised), tAnswer::kNothing);
    EXPECT_EQ(tracker.See(tWmMode::kNormal), tAnswer::kArrivedAtWindow);

    EXPECT_EQ(tracker.See(tWmMode::kMaximised), tAnswer::kMaximised);
    EXPECT_TRUE(tracker.Ask(tWmAsk::kWorkArea));
    EXPECT_EQ(tracker.See(tWmMode::kNormal), tAnswer::kNothing);
    EXPECT_EQ(tracker.See(tWmMode::kFullScreen), tAnswer::kFullScreen);
    EXPECT_FALSE(tracker.Ask(tWmAsk::kFullScreen));
    EXPECT_EQ(tracker.See(tWmMode::kMaximised), tAnswer::kRestored);
    EXPECT_TRUE(tracker.Ask(tWmAsk::kWindow));
    EXPECT_EQ(tracker.See(tWmMode::kNormal), tAnswer::kArrivedAtWindow);
    EXPECT_EQ(tracker.See(tWmMode::kFullScreen), tAnswer::kFullScreen);
    EXPECT_FALSE(tracker.Ask(tWmAsk::kFullScreen));
    EXPECT_EQ(tracker.See(tWmMode::kNormal), tAnswer::kRestored);
}

}  // namespace WmModeTrackerTests
