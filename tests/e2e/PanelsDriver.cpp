// A test-only program for the end-to-end script: shows the panel widgets on a real display in
// numbered steps. After presenting step N it writes N to STATE; it goes on to step N + 1 when
// GO holds a number above N, and ends after its last step.
//
//   panels_e2e_driver splash|rotater|transitions STATE GO

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CFrameWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CRotaterWidget.h"
#include "toolkit/widgets/CShadWidget.h"
#include "toolkit/widgets/CSplashScreen.h"
#include "toolkit/widgets/CTransitionWidget.h"
#include "toolkit/widgets/SplashScreen.h"
#include "toolkit/widgets/Transitions.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

template <typename T>
T* Add(CWidget* parent, int32_t x, int32_t y, int32_t width, int32_t height)
{
    auto* widget = new T;
    CWidgetLayout* layout = widget->GetLayout();
    layout->x = float(x);
    layout->y = float(y);
    layout->width = float(width);
    layout->height = float(height);
    (void)widget->SetVisible(1, 0);
    if (parent && parent->AddChild(widget, 0) != kResOk) {
        delete widget;
        return nullptr;
    }
    return widget;
}

CImage* Picture(int32_t width, int32_t height, const std::function<CPixel(int32_t, int32_t)>& colour)
{
    auto* image = new CImage(width, height);
    CImNav view(image);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            view.Pixels(y)[x] = colour(x, y);
    return image;
}

class CDriverApp : public CApp {
public:
    CDriverApp(std::string mode, std::string state, std::string go)
        : m_mode(std::move(mode)), m_state(std::move(state)), m_go(std::move(go))
    {
    }

    tResult SetUpApplication(tCString) override
    {
        m_backdrop = new CBackdrop;
        TK_TRY(CreateMainWindowAt(m_backdrop, 104, kPlaceFullScreen, -1, -1, -1, -1, "Panels", 1));
        TK_TRY(m_backdrop->SetBackgroundColour(0xFF284058, 0));
        Activate();
        if (m_mode == "splash")
            BuildSplashSteps();
        else if (m_mode == "rotater")
            BuildRotaterSteps();
        else if (m_mode == "transitions")
            BuildTransitionSteps();
        else
            return kResBadParam;
        return RunStep();
    }

    tResult OnTick() override
    {
        std::ifstream go(m_go);
        int wanted = -1;
        if (!(go >> wanted) || wanted <= m_step)
            return kResOk;
        if (++m_step >= int(m_steps.size())) {
            Quit();
            return kResOk;
        }
        return RunStep();
    }

private:
    tResult RunStep()
    {
        TK_TRY(m_steps[size_t(m_step)]());
        TK_TRY(m_backdrop->Invalidate(1));
        std::ofstream(m_state) << m_step << "\n";
        return kResOk;
    }

    // A full-screen pattern of coloured stripes, then a splash with a transparent ring over it,
    // then the pattern again.
    void BuildSplashSteps()
    {
        m_steps.push_back([this] {
            CImWidget* stripes = Add<CImWidget>(m_backdrop, 0, 0, 1024, 768);
            return stripes->SetImage(Picture(1024, 768,
                                             [](int32_t x, int32_t y) {
                                                 return 0xFF000000 | CPixel((x * 5) & 0xFF) << 16 |
                                                        CPixel((y * 3) & 0xFF) << 8 | CPixel(((x + y) / 4) & 0xFF);
                                             }),
                                     0, 0);
        });
        m_steps.push_back([this] {
            auto* picture = new CImWidget;
            (void)picture->SetImage(Picture(200, 150,
                                            [](int32_t x, int32_t y) {
                                                const bool ring = x < 20 || y < 20 || x >= 180 || y >= 130;
                                                return ring ? CPixel(0) : CPixel(0xFFE08020);
                                            }),
                                    1, 0);
            CWidgetLayout* layout = picture->GetLayout();
            layout->width = 200;
            layout->height = 150;
            layout->xCentred = 1;
            layout->yCentred = 1;
            (void)picture->SetVisible(1, 0);
            m_splash = ShowSplashScreen(picture, "Panels splash", nullptr, 1, 1);
            // Making the splash window pauses the per-tick work, as making any window does.
            Activate();
            return m_splash ? kResOk : kResCreateFailed;
        });
        m_steps.push_back([this] { return m_splash->CloseSplashWindow(); });
    }

    // A 256 x 256 rotater at (100, 100) over four quadrants: red, green / blue, white.
    void BuildRotaterSteps()
    {
        m_steps.push_back([this] {
            m_rotater = Add<CRotaterWidget>(m_backdrop, 100, 100, 256, 256);
            return m_rotater->SetImage(Picture(256, 256,
                                               [](int32_t x, int32_t y) {
                                                   const bool right = x >= 128, bottom = y >= 128;
                                                   return bottom ? (right ? 0xFFFFFFFF : 0xFF0000FF)
                                                                 : (right ? 0xFF00FF00 : 0xFFFF0000);
                                               }),
                                       0);
        });
        for (const auto& [angle, scale] : {std::pair{kPi / 2, 1.0}, std::pair{kPi, 1.0}, std::pair{0.0, 0.25}})
            m_steps.push_back([this, angle = angle, scale = scale] {
                m_rotater->SetAngle(float(angle));
                m_rotater->SetScale(float(scale));
                return m_rotater->Invalidate(0);
            });
    }

    // A rounded panel with a title bar, a frame marker and a shadow strip; then each transition
    // at progress 0, 0.5 and 1; then the background alone.
    void BuildTransitionSteps()
    {
        m_steps.push_back([this] {
            m_transition = Add<CTransitionWidget>(m_backdrop, 120, 80, 400, 300);
            // Centred in the transition widget, where the spin turns its picture.
            m_panel = Add<CWidget>(m_backdrop, 200, 142, 240, 176);
            auto* face = Add<CRoRectWidget>(m_panel, 0, 0, 240, 160);
            TK_TRY(face->SetFillColour(0xFFE8E4DC, 0, 0));
            TK_TRY(face->SetBorderColour(0xFF101828, 0, 0));
            TK_TRY(face->SetBorderWidth(2.5f, 0, 0));
            TK_TRY(face->SetTopBarHeight(24, 0, 0));
            TK_TRY(face->SetCornerRadius(14, 1, 0));
            auto* marker = Add<CFrameWidget>(face, 20, 40, 200, 100);
            TK_TRY(marker->SetColour(0x00000000, 0));
            TK_TRY(marker->SetFrameColour(0xFFD04020, 0));
            for (const tCRect& r : {tCRect{0, 0, 200, 3}, tCRect{0, 97, 200, 100}, tCRect{0, 0, 3, 100},
                                    tCRect{197, 0, 200, 100}, tCRect{90, 40, 110, 60}})
                TK_TRY(marker->AddFrameRect(&r, 0));
            auto* strip = Add<CShadWidget>(m_panel, 8, 160, 224, 16);
            return strip->SetFalloff(-1.0f, 0);
        });
        const struct {
            tTransitionFn function;
            int32_t which;
        } kinds[] = {{TransitionCrossFade, CTransitionWidget::kStart},
                     {TransitionNoiseDissolve, CTransitionWidget::kStart},
                     {TransitionSpin, CTransitionWidget::kEnd}};
        for (const auto& kind : kinds)
            for (const float progress : {0.0f, 0.5f, 1.0f})
                m_steps.push_back([this, kind, progress] {
                    if (progress == 0.0f) {
                        TK_TRY(m_panel->SetVisible(1, 0));
                        TK_TRY(m_transition->CaptureWidget(nullptr, CTransitionWidget::kStart));
                        TK_TRY(m_transition->CaptureWidget(nullptr, CTransitionWidget::kEnd));
                        TK_TRY(m_transition->CaptureWidget(m_panel, kind.which));
                        TK_TRY(m_panel->SetVisible(0, 0));
                        m_transition->SetTransition(kind.function, 0);
                    }
                    return m_transition->SetProgress(progress, 0);
                });
        m_steps.push_back([this] { return m_transition->SetVisible(0, 0); });
    }

    std::string m_mode, m_state, m_go;
    CBackdrop* m_backdrop = nullptr;
    std::vector<std::function<tResult()>> m_steps;
    int m_step = 0;
    CSplashScreen* m_splash = nullptr;
    CRotaterWidget* m_rotater = nullptr;
    CTransitionWidget* m_transition = nullptr;
    CWidget* m_panel = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: panels_e2e_driver splash|rotater|transitions STATE GO\n");
        return 2;
    }
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "panels_e2e_driver: %s\n", w32::GetPlatformError());
        return 1;
    }
    int32_t result;
    {
        CDriverApp app(argv[1], argv[2], argv[3]);
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
