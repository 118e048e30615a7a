#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

#include "platform/sdl/WmModeTracker.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WmModeTrackerTests {

using namespace w32::sdl;
using tAnswer = CWmModeTracker::tAnswer;

constexpr uint64_t kPatience = CWmModeTracker::kPatienceMs;
constexpr uint64_t kSilence = CWmModeTracker::kSilenceMs;

// One step: the program asks ('A'), the manager's state is read ('S'; 'B' for a change the manager
// made before the server took the program's latest request of a state), the program follows what
// it was told ('F'), the window shows ('V'), or time passes ('T'), at
// `at` milliseconds. `expected` is the answer, or for 'A' the requests as three digits: full
// screen, leave full screen, unmaximise.
struct tStep {
    char what;
    int value;
    uint64_t at;
    int expected;
};

int Requests(const CWmModeTracker::tRequests& r)
{
    return (r.fullScreen ? 100 : 0) + (r.leaveFullScreen ? 10 : 0) + (r.unmaximise ? 1 : 0);
}

constexpr int kWin = int(tWmAsk::kWindow), kWork = int(tWmAsk::kWorkArea), kFull = int(tWmAsk::kFullScreen);
constexpr int kNormal = int(tWmMode::kNormal), kMax = int(tWmMode::kMaximised), kFs = int(tWmMode::kFullScreen);
constexpr int kNone = int(tAnswer::kNothing), kToFull = int(tAnswer::kFullScreen), kToMax = int(tAnswer::kMaximised),
              kBack = int(tAnswer::kRestored), kUnmax = int(tAnswer::kTakeMaximiseAway),
              kArrived = int(tAnswer::kArrivedAtWindow);

struct tRow {
    const char* name;
    tWmMode start;
    std::vector<tStep> steps;
};

// What the manager does on the way to what was asked is the program's own; what it does on its
// own is told, at once when nothing is asked of it, else once it has kept it for the patience, or
// longer where it said nothing since the ask; and told again while the program has not followed.
TEST(WmModeTracker, TheManagersChangesAreToldInAnyOrderAndAtAnyPace)
{
    const tRow rows[] = {
        {"full screen asked and shown", tWmMode::kNormal,
         {{'A', kFull, 0, 100}, {'S', kMax, 5, kNone}, {'S', kFs, 9, kNone}, {'T', 0, 5000, kNone}}},
        {"a window asked; the manager puts back the maximise once, then arrives", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kMax, 5, kUnmax}, {'S', kFs, 6, kNone}, {'S', kMax, 7, kNone},
          {'S', kNormal, 8, kArrived}, {'S', kMax, 20, kToMax}}},
        {"the manager's own changes while nothing is asked", tWmMode::kNormal,
         {{'S', kFs, 0, kToFull}, {'A', kFull, 1, 0}, {'S', kMax, 2, kBack}, {'A', kWin, 3, 10},
          {'S', kNormal, 4, kArrived}, {'S', kFs, 5, kToFull}}},
        {"a work area agrees with a maximise or none, not with full screen", tWmMode::kMaximised,
         {{'A', kWork, 0, 1}, {'S', kNormal, 1, kNone}, {'S', kMax, 2, kNone}, {'S', kFs, 3, kToFull}}},
        {"the manager's own full screen came after it took the program's request: followed at the patience, "
         "told again a patience later while the program has not followed, and no more once it has",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kFs, 200, kNone}, {'T', 0, 200 + kPatience - 1, kNone},
          {'T', 0, 200 + kPatience, kToFull}, {'T', 0, 200 + 2 * kPatience - 1, kNone},
          {'T', 0, 200 + 2 * kPatience, kToFull}, {'A', kFull, 9000, 0}, {'T', 0, 20000, kNone}}},
        {"a change the program followed is not told again, though the program kept its own wish (a window "
         "that takes the manager's maximise away and covers the screen again): a held stroke goes on",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'S', kMax, 10, kBack}, {'F', 0, 11, 0}, {'T', 0, 10 + kPatience, kNone},
          {'T', 0, 10 + 5 * kPatience, kNone}, {'S', kNormal, 9000, kBack}, {'T', 0, 9000 + kPatience, kBack}}},
        {"a manager that has said nothing since the ask is busy, and is waited for longer", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'T', 0, kPatience, kNone}, {'T', 0, kSilence - 1, kNone},
          {'S', kNormal, kSilence - 1, kArrived}, {'A', kFull, kSilence, 100}, {'T', 0, 2 * kSilence, kBack}}},
        {"a manager that is busy is waited for as long as it changes", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kMax, 900, kUnmax}, {'T', 0, kPatience + 100, kNone},
          {'S', kFs, 1500, kNone}, {'T', 0, 1500 + kPatience, kToFull}}},
        {"the patience starts when the window shows", tWmMode::kNormal,
         {{'A', kFull, 0, 100}, {'V', 0, 4000, 0}, {'T', 0, 4000 + kSilence - 1, kNone},
          {'T', 0, 4000 + kSilence, kBack}}},
        {"full screen asked again before the manager took it away is asked anew", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWork, 10, 10}, {'A', kFull, 14, 100}, {'S', kNormal, 27, kNone},
          {'S', kFs, 30, kNone}, {'T', 0, 30 + kSilence, kNone}}},
        {"...and the manager's two changes read as one leave the state as asked", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWork, 10, 10}, {'A', kFull, 14, 100}, {'S', kFs, 30, kNone},
          {'T', 0, 30 + kPatience, kNone}}},
        {"a window asked before the manager showed the full screen asked", tWmMode::kNormal,
         {{'A', kFull, 0, 100}, {'A', kWin, 5, 10}, {'S', kFs, 20, kNone}, {'S', kNormal, 30, kArrived},
          {'T', 0, 30 + kSilence, kNone}}},
        {"a manager that keeps the maximise it gave back, asked twice to take it away, keeps the window asked "
         "maximised: it is the program's window until the manager changes it again",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kMax, 5, kUnmax}, {'T', 0, 5 + kPatience, kNone},
          {'T', 0, 5 + 3 * kPatience, kNone}, {'S', kNormal, 9000, kNone}, {'S', kMax, 9001, kToMax}}},
        {"...and so it does where the changes after the second ask were made before the server took it",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kMax, 5, kUnmax}, {'B', kMax, 8, kNone},
          {'T', 0, 8 + kPatience, kNone}, {'S', kNormal, 9000, kNone}, {'S', kMax, 9001, kToMax}}},
        {"a manager that changes the state after the second ask to take the maximise away, and shows it "
         "maximised, took it away and gave it again (its own maximise, the changes read as one): followed",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 0, 10}, {'S', kMax, 5, kUnmax}, {'B', kMax, 8, kNone},
          {'S', kMax, 30, kNone}, {'T', 0, 30 + kPatience - 1, kNone}, {'T', 0, 30 + kPatience, kToMax},
          {'F', 0, 31 + kPatience, 0}, {'T', 0, 30 + 5 * kPatience, kNone}}},
        {"a maximise the manager gave back as it took its own full screen away, kept without a word once the "
         "window is asked: the program's window, not a maximise to follow",
         tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'S', kMax, 10, kBack}, {'F', 0, 11, 0}, {'A', kWin, 12, 10},
          {'T', 0, 12 + kSilence, kNone}, {'T', 0, 12 + 3 * kSilence, kNone}, {'S', kNormal, 30000, kNone},
          {'S', kMax, 30001, kToMax}}},
        {"a maximise given back just after the window asked was shown is asked away once more", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kWin, 10, 10}, {'S', kNormal, 20, kArrived}, {'S', kMax, 30, kUnmax},
          {'S', kNormal, 40, kArrived}, {'S', kMax, 40 + CWmModeTracker::kAfterArrivalMs, kToMax}}},
        {"the wish asked again of a manager still full screen takes nothing away twice", tWmMode::kFullScreen,
         {{'A', kFull, 0, 0}, {'A', kFull, 1, 0}, {'A', kWork, 2, 10}, {'A', kWin, 3, 10}, {'A', kWin, 4, 0}}},
    };
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.name);
        CWmModeTracker tracker(row.start);
        for (const tStep& step : row.steps) {
            SCOPED_TRACE(std::string(1, step.what) + " at " + std::to_string(step.at));
            if (step.what == 'A')
                EXPECT_EQ(Requests(tracker.Ask(tWmAsk(step.value), step.at)), step.expected);
            else if (step.what == 'S' || step.what == 'B')
                EXPECT_EQ(int(tracker.See(tWmMode(step.value), step.at, step.what == 'S')), step.expected);
            else if (step.what == 'V')
                tracker.Shown(step.at);
            else if (step.what == 'F')
                tracker.Followed();
            else
                EXPECT_EQ(int(tracker.Tick(step.at)), step.expected);
        }
    }
}

// A manager that takes the program's requests late, in order, and changes the window on its own
// in between, at random moments: once it is left alone for the patience, the program's mode is
// the manager's, whatever came in between.
TEST(WmModeTracker, AfterAnyInterleavingTheProgramSettlesOnTheManagersMode)
{
    std::mt19937 random(20261209);
    for (int run = 0; run < 2000; ++run) {
        tWmMode manager = tWmMode::kFullScreen;
        CWmModeTracker tracker(manager);
        (void)tracker.Ask(tWmAsk::kFullScreen, 0);
        std::deque<tWmMode> requests;
        uint64_t now = 0;
        const auto answer = [&](tAnswer said) {
            // The program follows as it does: full screen for the manager's full screen or
            // maximise, a window for its restore; what it asks then goes to the manager.
            const tWmAsk ask = said == tAnswer::kFullScreen || said == tAnswer::kMaximised ? tWmAsk::kFullScreen
                               : said == tAnswer::kRestored                                ? tWmAsk::kWindow
                                                                                           : tracker.Asked();
            const CWmModeTracker::tRequests r = tracker.Ask(ask, now);
            if (r.fullScreen)
                requests.push_back(tWmMode::kFullScreen);
            if (r.leaveFullScreen || r.unmaximise || said == tAnswer::kTakeMaximiseAway)
                requests.push_back(tWmMode::kNormal);
        };
        for (int step = 0; step < 12; ++step) {
            now += std::uniform_int_distribution<uint64_t>(0, 3 * kPatience / 2)(random);
            switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0:  // the window button
                answer(tracker.Asked() == tWmAsk::kFullScreen ? tAnswer::kRestored : tAnswer::kFullScreen);
                break;
            case 1:  // the manager's own change
                manager = tWmMode(std::uniform_int_distribution<int>(0, 2)(random));
                answer(tracker.See(manager, now, true));
                break;
            case 2:  // the manager takes a request
                if (!requests.empty()) {
                    manager = requests.front();
                    requests.pop_front();
                    answer(tracker.See(manager, now, true));
                }
                break;
            default:
                answer(tracker.Tick(now));
                break;
            }
        }
        // The program and the manager settle: requests do not beget requests for good.
        for (int taken = 0; !requests.empty(); ++taken) {
            ASSERT_LT(taken, 20) << "run " << run << ": the program and the manager never settle";
            now += 10;
            manager = requests.front();
            requests.pop_front();
            answer(tracker.See(manager, now, true));
        }
        now += kSilence;
        answer(tracker.Tick(now));
        EXPECT_EQ(tracker.Seen(), manager) << "run " << run;
        EXPECT_EQ(tracker.Asked(), manager == tWmMode::kNormal ? tWmAsk::kWindow : tWmAsk::kFullScreen)
            << "run " << run;
    }
}

}  // namespace WmModeTrackerTests
