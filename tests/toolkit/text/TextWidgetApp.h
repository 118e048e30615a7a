#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/text/FontApp.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/WidgetResources.h"

// The text widgets over the shipped fonts: an application whose resource file is the shipped
// one (its 'font' resources), layouts compiled from a test's own source.
class TextWidgetTest : public FontAppTest {
protected:
    void SetUp() override
    {
        FontAppTest::SetUp();
        RegisterTextWidgets();
        StartWith(ShippedResourceBytes());
        Boxes();
    }
    void TearDown() override
    {
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        m_layouts.reset();
        FontAppTest::TearDown();
    }

    // Compiles the layouts the test loads its widgets from.
    tCStream* Layouts(const std::string& source)
    {
        m_layouts = std::make_unique<CompiledFile>(source);
        return m_layouts.get();
    }

    // The coverage of the mask as rows of bytes.
    static std::vector<uint8_t> Coverage(CImage8* mask)
    {
        std::vector<uint8_t> bytes;
        CImNav8 view(mask);
        for (int32_t y = 0; view.IsLocked() && y < view.GetHeight(); ++y)
            bytes.insert(bytes.end(), view.Bytes(y), view.Bytes(y) + view.GetWidth());
        return bytes;
    }

    std::unique_ptr<CompiledFile> m_layouts;
};

// A main window over a backdrop loaded from a layout, driven by injected input.
class TextWindowTest : public TextWidgetTest {
protected:
    void OpenWindow(const std::string& source, int32_t width, int32_t height)
    {
        tCStream* file = Layouts(source);
        backdrop = new CBackdrop;
        ASSERT_EQ(backdrop->LoadFromResourceName(u"main", file, nullptr), kResOk);
        ASSERT_EQ(m_app->CreateMainWindow(backdrop, 104, width, height, nullptr, 1), kResOk);
        m_app->Activate();
        // The application's run shows the window; here the test does.
        w32::ShowWindow(GetMainWindow()->GetHandle(), w32::SW_SHOW);
        Drain();
    }

    // Dispatches what waits in the queue, as the pump would.
    static void Drain()
    {
        w32::MSG message;
        while (w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_REMOVE)) {
            w32::TranslateMessage(&message);
            w32::DispatchMessageW(&message);
        }
    }

    static tCPoint OnScreen(CWidget* widget, tCPoint point)
    {
        widget->LocalToRootPoint(&point);
        w32::POINT origin{0, 0};
        w32::ClientToScreen(GetMainWindow()->GetHandle(), &origin);
        return point.Plus({origin.x, origin.y});
    }

    // A press and release at a point of the widget.
    static void Click(CWidget* widget, tCPoint point)
    {
        const tCPoint at = OnScreen(widget, point);
        w32::headless::MoveMouse(at.x, at.y);
        w32::headless::PressButton(w32::VK_LBUTTON);
        w32::headless::ReleaseButton(w32::VK_LBUTTON);
        Drain();
    }

    static void Key(int virtualKey)
    {
        w32::headless::PressKey(virtualKey);
        w32::headless::ReleaseKey(virtualKey);
        Drain();
    }

    static void WithKey(int modifier, int virtualKey)
    {
        w32::headless::PressKey(modifier);
        Key(virtualKey);
        w32::headless::ReleaseKey(modifier);
        Drain();
    }

    static void Type(std::u16string_view text)
    {
        w32::headless::TypeText(text);
        Drain();
    }

    CBackdrop* backdrop = nullptr;
};
