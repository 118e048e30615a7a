#include "app/panels/PanelFrame.h"

#include <new>

#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CProxyCanvas.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/IShellServices.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// The identifier of a paper preview: it never follows the controller's tool.
constexpr uint32_t kPaperPreviewId = 2;

}  // namespace

tResult FramePanel(CWidget* panel, CImage* frame)
{
    auto* image = dynamic_cast<CImWidget*>(panel);
    if (!image || !frame)
        return kResResourceNotFound;
    TK_TRY(image->DecompressImage());
    const tResult drawn = NineSliceBlit(image->GetImage(), frame, 1);
    image->CompressImage();
    TK_TRY(drawn);
    return image->RefreshEffects(0);
}

tResult MakePreviewCanvas(int32_t width, int32_t height, CProxyCanvas** canvas)
{
    *canvas = nullptr;
    auto* made = new (std::nothrow) CProxyCanvas;
    if (!made)
        return kResCreateFailed;
    made->SetId(kPaperPreviewId);
    made->SetHost(dynamic_cast<ICanvasHost*>(tCCmdTarget::GetBackboneTarget()));
    made->SetShellServices(dynamic_cast<IShellServices*>(GetMainBackdropWidget()));
    CProjectInfo project(width, height, tCString(u""), tCString(u""), nullptr);
    tResult result = made->Initialise();
    if (result == kResOk)
        result = made->OnMessage(kMsgNewProject, ToMsgArg(made), ToMsgArg(&project), 0, kMsgApply);
    if (result != kResOk) {
        delete made;
        return result;
    }
    *canvas = made;
    return kResOk;
}
