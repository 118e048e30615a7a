#include <gtest/gtest.h>

#include "BackboneTestSupport.h"
#include "CursorTestSupport.h"
#include "toolkit/core/CPenSample.h"

namespace {

using BackboneCursorTest = BackboneTest;

TEST_F(BackboneCursorTest, TheCanvasAndTheToolsCursorCallsReachTheCursorManager)
{
    EXPECT_EQ(Canvas().GetShellServices(), controller.get());
    RecordingCursorHost host;
    CKS2CursorManager manager(&host);
    host.manager = &manager;
    controller->SetCursorManager(&manager);
    EXPECT_EQ(controller->GetCursorManager(), &manager);
    CWidget pane;
    host.paneAnswer = 12;
    controller->UpdateCursor(&pane);
    EXPECT_EQ(host.Count("Select 12"), 1);
    host.paneAnswer = 13;
    controller->RedrawToolCursor(&pane, CPenSample{}, 1);
    EXPECT_EQ(host.Count("Select 13"), 1);
    controller->SetCursorManager(nullptr);
    host.Clear();
    controller->UpdateCursor(&pane);
    controller->RedrawToolCursor(&pane, CPenSample{}, 1);
    CImage target(10, 10);
    controller->DrawToolOverlay(&pane, &target, {0, 0, 10, 10});
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.tracks, 2);
}

}  // namespace
