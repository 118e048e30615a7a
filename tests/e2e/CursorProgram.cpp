// A test program, not part of the product: a painting view in a window of the sdl backend over a
// painting of 300 x 200 cells with the crayon, and a backdrop whose heartbeat asks a cursor
// manager for the cursor of the widget under the pointer, as the main backdrop does. Over the
// painting the crayon's outline follows the pointer. Key 'z' zooms the painting out to its
// smallest zoom, where the outline gives way to the plain cursor (a small orange square, id 34
// of the backdrop's cursor table); key 'x' zooms back to 1.
#include <cstdio>
#include <memory>
#include <string>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/PressureResponse.h"
#include "bench/StrokeReplay.h"
#include "paint/engine/IShellServices.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/e2e/CompiledLayout.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

constexpr float kSmallestZoom = 0.05f;

// The painting, its crayon and its renderer; final, so that it is deleted as what it is.
class CCursorReplay final : public CStrokeReplay {
public:
    using CStrokeReplay::CStrokeReplay;
};

// The canvas's shell: the pointer's cursor and the outline's redraw go to the cursor manager.
class CursorServices final : public IShellServices {
public:
    explicit CursorServices(CKS2CursorManager& manager) : m_manager(manager) {}

    uint32_t GetPaintColour() override { return 0xFF2D5AA0u; }
    float GetPaintValue() override { return 0.0f; }
    void SetPenPressure(float pressure) override { ::SetPenPressure(pressure); }
    void RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t whole) override
    {
        m_manager.UpdateCursor(view, &sample, whole);
    }
    void UpdateCursor(CWidget* view) override { m_manager.UpdateCursor(view, nullptr, 1); }
    void DrawToolOverlay(CWidget*, CImage* target, const tCRect& clip) override
    {
        m_manager.DrawToolOverlay(clip, target);
    }

private:
    CKS2CursorManager& m_manager;
};

// The window's root: on every heartbeat the manager chooses the cursor of the widget under the
// pointer; keys 'z' and 'x' zoom the painting.
class CCursorBackdrop : public CBackdrop {
public:
    tResult DispatchHeartbeat() override
    {
        manager.UpdateCursor(GetActiveRolloverWidget(), nullptr, 1);
        return CBackdrop::DispatchHeartbeat();
    }
    tResult DispatchKeyDown(CWidget** takenBy, int32_t key) override
    {
        if (canvas && (key == 'z' || key == 'x')) {
            (void)canvas->SetZoom(key == 'z' ? kSmallestZoom : 1.0f, 0);
            canvas->SetPaintingTopLeft({30, 30});
            CWidget* view = canvas->GetView();
            const tCRect whole = view->GetRect();
            return view->InvalidateRectInParent(&whole, 1) == kResOk ? kResHandled : kResOk;
        }
        return CBackdrop::DispatchKeyDown(takenBy, key);
    }
    using CBackdrop::DispatchKeyDown;

    CKS2CursorManager manager;
    CCanvas* canvas = nullptr;
};

class CCursorApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        BuildSineTable();
        TK_TRY(OpenCompiledLayout(kPaintingViewLayout, m_layouts));
        CCursorBackdrop* backdrop = LoadNewWidget<CCursorBackdrop>(tCString(u"main"), &m_layouts, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        CWidget* view = backdrop->FindWidgetById(5);
        if (!view)
            return kResCreateFailed;
        view->SetOpaqueThreshold(1);
        view->EnableEvents(eLButtonEvent | eRButtonEvent | eMouseMoveEvent, 1);
        backdrop->SetWidgetRollover(1);
        // Cursor 34 of the backdrop's table: a 9 x 9 orange square with its hotspot in the middle.
        auto* plain = new CCoWidget;
        plain->SetId(kCursorPlain);
        (void)plain->SetSize(9, 9, 0);
        (void)plain->SetColour(0xFFFF8000u, 0);
        const tCPoint hotspot{4, 4};
        TK_TRY(backdrop->AddCursor(plain, &hotspot));
        TK_TRY(CreateMainWindow(backdrop, 104, 360, 260, "Cursor", 1));
        SetTabletInputFactory(MakeTabletInput);
        TK_TRY(CreateTabletInput());
        Activate();

        ReplayOptions options;
        options.toolId = 4902;
        options.width = 300;
        options.height = 200;
        options.render = 1;
        options.toolSize = 0.4f;
        m_replay = std::make_unique<CCursorReplay>(options);
        TK_TRY(m_replay->SetUp());
        CCanvas& canvas = m_replay->GetCanvas();
        TK_TRY(canvas.AttachView(view));
        canvas.SetPaintingTopLeft({30, 30});
        m_services = std::make_unique<CursorServices>(backdrop->manager);
        canvas.SetShellServices(m_services.get());
        backdrop->canvas = &canvas;
        tCCmdTarget::SetBackdropTarget(&backdrop->manager);
        (void)backdrop->manager.OnMessage(kMsgCanvasReplaced, 0, ToMsgArg(&canvas), 0, kMsgApply);
        return backdrop->Invalidate(1);
    }

    tResult OnExit() override
    {
        tCCmdTarget::SetBackdropTarget(nullptr);
        return CApp::OnExit();
    }

private:
    tCFile m_layouts;
    std::unique_ptr<CCursorReplay> m_replay;
    std::unique_ptr<CursorServices> m_services;
};

}  // namespace

int main()
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "cursor: %s\n", w32::GetPlatformError());
        return 1;
    }
    int32_t result;
    {
        CCursorApp app;
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
