#include <new>

#include "platform/Kernel.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/IWidgetInspector.h"

namespace {

constexpr uint32_t kFlashDark = 0xFF404030;
constexpr uint32_t kFlashLight = 0xFFA0A0B8;
constexpr uint32_t kFlashPeriod = 250;
const char16_t kInspectorName[] = u"CBackdrop Info Widget for Debugging.";

tResult Tell(CAppBase* application, const char16_t* text)
{
    application->ShowMessageBox(tCString(text), tCString(u"Message"));
    return kResHandled;
}

}  // namespace

tResult CBackdrop::ShowWidgetInspector()
{
    CAppBase* application = GetApplication();
    if (!application)
        return kResHandled;
    if (!application->IsShiftDown() || !application->IsControlDown())
        return kResOk;
    if (!m_widgetRollover || !application->IsActive())
        return Tell(application, u"To use this feature, WidgetRollover MUST be enabled in the CBackdrop,and the "
                                 u"CAppBase heartbeat must be beating.");
    CWidget* rollover = m_rollover;
    if (!rollover)
        return kResHandled;
    const CWidget* open = FindWidgetById(kInspectorId);
    if (open && open->GetName() == kInspectorName)
        return kResOk;
    TK_TRY(RunFlash(rollover));
    // The flash ran the application meanwhile: the widget may be gone.
    if (m_rollover != rollover || !application->IsAltDown())
        return kResHandled;
    return OpenInspector(rollover);
}

tResult CBackdrop::RunFlash(CWidget* rollover)
{
    CAppBase* application = GetApplication();
    auto* flash = new (std::nothrow) CCoWidget;
    if (!flash)
        return Tell(application, u"Couldn't create Flash widget");
    tCRect area{0, 0, rollover->GetWidth(), rollover->GetHeight()};
    rollover->LocalToRootRect(&area);
    CWidgetLayout* layout = flash->GetLayout();
    layout->x = float(area.left);
    layout->y = float(area.top);
    layout->width = float(area.Width());
    layout->height = float(area.Height());
    (void)flash->SetVisible(1, 0);
    (void)flash->SetColour(kFlashDark, 0);
    flash->SetOpaqueBlit(1);
    if (AddChild(flash, 1) != kResOk) {
        delete flash;
        return Tell(application, u"Couldn't add Flash widget");
    }
    uint32_t colour = kFlashDark;
    uint32_t changed = w32::timeGetTime();
    while (application->IsPrimaryButtonHeld() && IndexOfChild(flash) >= 0) {
        if (w32::timeGetTime() - changed >= kFlashPeriod) {
            colour = colour == kFlashDark ? kFlashLight : kFlashDark;
            changed = w32::timeGetTime();
            (void)flash->SetColour(colour, 1);
        }
        (void)application->RunHeartbeat();
        application->WaitForInputOrTick(false);
    }
    return DeleteChild(flash, 1);
}

tResult CBackdrop::OpenInspector(CWidget* rollover)
{
    CAppBase* application = GetApplication();
    IWidgetInspector* inspector = CreateWidgetInspector();
    if (!inspector)
        return Tell(application, u"Couldn't create pInfoBack widget");
    CWidget* panel = inspector->AsWidget();
    panel->SetId(kInspectorId);
    panel->SetName(tCString(kInspectorName));
    inspector->SetFillColour(kFlashLight);
    CWidgetLayout* layout = panel->GetLayout();
    layout->width = 600.0f;
    layout->height = 450.0f;
    layout->xCentred = 1;
    layout->yCentred = 1;
    (void)panel->SetVisible(1, 0);
    panel->SetOpaqueBlit(1);
    if (AddChild(panel, 1) != kResOk) {
        delete panel;
        return Tell(application, u"Couldn't add pInfoBack widget");
    }
    if (inspector->BuildPanel(rollover) != kResOk || PushModal(panel) != kResOk) {
        (void)DeleteChild(panel, 1);
        return Tell(application, u"Couldn't setup information about widget");
    }
    return kResHandled;
}
