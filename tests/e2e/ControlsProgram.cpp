// A test program, not part of the product: a free button that opens a two-level popup menu, an
// on-off switch and a percentage dial, in a window of the sdl backend over the shipped resource
// files, whose backdrop hosts the text prompt for the dial's typed entry. It prints where its
// parts lie when it starts, and each value and choice as it comes ("switch 1", "dial 40",
// "menu 22"), a line each.

#include <cmath>
#include <cstdio>
#include <memory>

#include "app/panels/CStringPrompt.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "app/shell/controls/CKS2ToggleControl.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

constexpr uint32_t kMainMenu = 7100;

// The main backdrop with the host services: transitions on, the text prompt for numbers.
class CHostBackdrop : public CBackdrop, public IPaneHost {
public:
    uint32_t GetPaneTransitions() const override { return 1; }
    void UpdatePaneCursor(CWidget*) override {}
    CStringPrompt* GetTextPrompt() override { return prompt.get(); }
    int32_t FindMenuTitleAt(tCPoint) override { return -1; }
    tResult ShowNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                             const tCString& title) override
    {
        if (!prompt)
            return kResResourceNotFound;
        const CStringPrompt::CStringPromptSetup setup(-1, point.x, point.y, initialText.GetTextOrEmpty(), 1,
                                                      title.GetTextOrEmpty());
        return prompt->Show(1, 1, ToMsgArg(&setup), 0, owner);
    }

    std::unique_ptr<CStringPrompt> prompt;
};

class CControlsApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        auto* backdrop = new CHostBackdrop;
        m_backdrop = backdrop;
        TK_TRY(backdrop->LoadFromResourceName(tCString(u"Kostrel"), nullptr, nullptr));
        TK_TRY(CreateMainWindow(backdrop, 104, 640, 360, "Controls", 1));
        backdrop->SetWidgetRollover(1);
        TK_TRY(AddMenus());
        m_menuButton = std::make_unique<CKS2FreeButton>();
        m_switch = std::make_unique<CKS2ToggleControl>();
        m_dial = std::make_unique<CKS2RadialControl>();
        m_menus = std::make_unique<CKS2PopupManager>();
        TK_TRY(Place(CImWidget::CreateFromResourceId(kWgtFreeButton, nullptr, nullptr), 30, 30, &m_menuWidget));
        TK_TRY(Place(CreateWidgetFromRes(kWgtSwitch, nullptr, nullptr), 200, 30, &m_switchWidget));
        TK_TRY(Place(CreateWidgetFromRes(kWgtDial, nullptr, nullptr), 320, 30, &m_dialWidget));
        TK_TRY(m_menuButton->Attach(m_menuWidget, this, 0, -1));
        m_menuButton->SetLabel(u"Menu", 0);
        TK_TRY(m_switch->Attach(m_switchWidget, this, 0, -1));
        TK_TRY(m_dial->Attach(m_dialWidget, this, 0, -1));
        float start = 0.25f;
        m_dial->OnMessage(kMsgControlValue, 0, ToMsgArg(&start), 0, kMsgApply);
        backdrop->prompt = std::make_unique<CStringPrompt>();
        TK_TRY(backdrop->prompt->Create(nullptr, nullptr));
        TK_TRY(m_menus->Init());
        Activate();
        Report(m_menuWidget, "button");
        Report(m_switchWidget->FindWidgetById(kWgtSwitchButton), "switch");
        Report(m_dial->GetPie(), "pie");
        Report(m_dialWidget->FindWidgetById(kWgtDialValueBox), "value");
        return backdrop->Invalidate(1);
    }

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t) override
    {
        if (message == kMsgControlClicked && a == ToMsgArg(m_menuButton.get())) {
            tCPoint below{0, m_menuWidget->GetHeight() + 4};
            m_menuWidget->LocalToRootPoint(&below);
            return m_menus->ShowPopup(this, kMainMenu, -1, below, 0, nullptr, nullptr);
        }
        if (message == kMsgControlValueChanged && a == ToMsgArg(m_switch.get()))
            Print("switch %d", int(*FromMsgArg<float>(b)));
        else if (message == kMsgControlValueChanged && a == ToMsgArg(m_dial.get()))
            Print("dial %ld", std::lround(*FromMsgArg<float>(b) * 100.0f));
        else if (message == kMsgPopupChoice)
            Print("menu %d", int(intptr_t(b)));
        return kResOk;
    }

    // The controls and the menus go before the window and its widgets.
    tResult OnCloseRequest() override
    {
        const tResult answer = CApp::OnCloseRequest();
        if (answer == kResHandled) {
            m_menus.reset();
            m_dial.reset();
            m_switch.reset();
            m_menuButton.reset();
            static_cast<CHostBackdrop*>(m_backdrop)->prompt.reset();
        }
        return answer;
    }

private:
    tResult Place(CWidget* widget, int32_t x, int32_t y, CWidget** out)
    {
        if (!widget)
            return kResResourceNotFound;
        widget->SetPosition(x, y, 0);
        widget->SetVisible(1, 0);
        *out = widget;
        return m_backdrop->AddChild(widget, 0);
    }
    tResult AddMenus()
    {
        TK_TRY(AddMenu(kMainMenu, u"menu.main", {{1, u"Open~CO"}, {2, u"Recent>menu.recent"}, {3, u"-"}, {4, u"Quit~Q"}}));
        return AddMenu(kMainMenu + 1, u"menu.recent", {{21, u"First"}, {22, u"Second"}});
    }
    tResult AddMenu(uint32_t id, const char16_t* name,
                    std::initializer_list<std::pair<int32_t, const char16_t*>> entries)
    {
        auto list = std::make_unique<CTextList>();
        list->SetId(id);
        list->SetName(name);
        for (const auto& [entry, text] : entries)
            TK_TRY(list->AddEntry(text, entry));
        TK_TRY(AddResourceToPool(0, list.get()));
        list.release();
        return kResOk;
    }
    // The middle of a widget in the window's coordinates.
    static void Report(CWidget* widget, const char* name)
    {
        tCPoint middle{widget->GetWidth() / 2, widget->GetHeight() / 2};
        widget->LocalToRootPoint(&middle);
        Print("at %s %d %d", name, int(middle.x), int(middle.y));
    }
    template <typename... Args>
    static void Print(const char* format, Args... args)
    {
        std::printf(format, args...);
        std::printf("\n");
        std::fflush(stdout);
    }

    CWidget* m_backdrop = nullptr;
    CWidget* m_menuWidget = nullptr;
    CWidget* m_switchWidget = nullptr;
    CWidget* m_dialWidget = nullptr;
    std::unique_ptr<CKS2FreeButton> m_menuButton;
    std::unique_ptr<CKS2ToggleControl> m_switch;
    std::unique_ptr<CKS2RadialControl> m_dial;
    std::unique_ptr<CKS2PopupManager> m_menus;
};

}  // namespace

int main()
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "controls: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    RegisterTextWidgets();
    int32_t result;
    {
        CControlsApp app;
        result = app.Run(nullptr, "", w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
