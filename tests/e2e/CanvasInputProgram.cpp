// A test program, not part of the product: a painting view in a window of the sdl backend over a
// painting of 300 x 200 cells with the oil brush and a real undo store. Dragging with the primary
// button paints. When the window closes, the program prints how many cells hold paint in each of
// the three bands x 0-99, 100-199 and 200-299 of rows 90-109, one count a line.
#include <cstdio>
#include <memory>
#include <string>

#include "bench/StrokeReplay.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/PaintCell.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/e2e/CompiledLayout.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

class CCanvasInputApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        TK_TRY(OpenCompiledLayout(kPaintingViewLayout, m_layouts));
        CBackdrop* backdrop = CBackdrop::CreateFromResource(tCString(u"main"), &m_layouts, nullptr);
        if (!backdrop)
            return kResCreateFailed;
        CWidget* view = backdrop->FindWidgetById(5);
        if (!view)
            return kResCreateFailed;
        // As the program's own layout makes its painting view: it takes the pointer.
        view->SetOpaqueThreshold(1);
        view->EnableEvents(eLButtonEvent | eRButtonEvent | eMouseMoveEvent, 1);
        TK_TRY(CreateMainWindow(backdrop, 104, 360, 260, "Canvas input", 1));
        SetTabletInputFactory(MakeTabletInput);
        TK_TRY(CreateTabletInput());
        Activate();

        ReplayOptions options;
        options.width = 300;
        options.height = 200;
        options.render = 1;
        options.toolSize = 0.3f;
        m_replay = std::make_unique<CStrokeReplay>(options);
        TK_TRY(m_replay->SetUp());
        TK_TRY(m_replay->GetCanvas().AttachView(view));
        m_replay->GetCanvas().SetPaintingTopLeft({30, 30});
        return backdrop->Invalidate(1);
    }

    tResult OnCloseRequest() override
    {
        const tResult answer = CApp::OnCloseRequest();
        if (answer == kResHandled && m_replay) {
            CPaintCellNav nav(m_replay->GetCells());
            for (int32_t band = 0; band < 3; ++band) {
                int32_t painted = 0;
                for (int32_t y = 90; y < 110; ++y)
                    for (int32_t x = band * 100; x < band * 100 + 100; ++x)
                        painted += (nav.Cells(y)[x].colour >> 24) != 0 ? 1 : 0;
                m_counts += std::to_string(painted) + "\n";
            }
        }
        return answer;
    }

    const std::string& Counts() const { return m_counts; }

private:
    tCFile m_layouts;
    std::unique_ptr<CStrokeReplay> m_replay;
    std::string m_counts;
};

}  // namespace

int main()
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "canvas input: %s\n", w32::GetPlatformError());
        return 1;
    }
    int32_t result;
    std::string counts;
    {
        CCanvasInputApp app;
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
        counts = app.Counts();
    }
    w32::StopPlatform();
    std::printf("%s", counts.c_str());
    return result;
}
