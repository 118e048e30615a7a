#pragma once

#include <string>
#include <vector>

#include "toolkit/core/IRootWidget.h"

// A root widget that records what the window asks of it and keeps a back buffer of one colour.
class RecordingRoot : public IRootWidget {
public:
    explicit RecordingRoot(int* deletions = nullptr) : m_deletions(deletions) {}
    ~RecordingRoot() override
    {
        if (m_deletions)
            ++*m_deletions;
    }

    tResult BroadcastMessage(uint32_t, tMsgArg, tMsgArg) override { return broadcastAnswer; }
    void GetLayoutSize(float* w, float* h) override { *w = layoutWidth, *h = layoutHeight; }
    int32_t GetWidth() override { return width; }
    int32_t GetHeight() override { return height; }
    tResult SetSize(int32_t w, int32_t h, int32_t) override
    {
        if (sizeResult != kResOk)
            return sizeResult;
        width = w, height = h;
        pixels.assign(size_t(w) * size_t(h), colour);
        return kResOk;
    }

    tResult DispatchKeyDown(CWidget** takenBy, int32_t key) override { return Key("down", takenBy, key); }
    tResult DispatchKeyUp(CWidget** takenBy, int32_t key) override { return Key("up", takenBy, key); }
    tResult DispatchTimer(CWidget**, uint32_t) override { return kResOk; }
    tResult DispatchMouseMove(CWidget**, tCPoint* p) override { return Point("move", p); }
    tResult DispatchLButtonDown(CWidget**, tCPoint* p) override { return Press("ldown", p); }
    tResult DispatchLButtonUp(CWidget**, tCPoint* p) override { return Point("lup", p); }
    tResult DispatchMButtonDown(CWidget**, tCPoint* p) override { return Press("mdown", p); }
    tResult DispatchMButtonUp(CWidget**, tCPoint* p) override { return Point("mup", p); }
    tResult DispatchRButtonDown(CWidget**, tCPoint* p) override { return Press("rdown", p); }
    tCPoint GetPressPoint() const override { return pressPoint; }
    tResult DispatchRButtonUp(CWidget**, tCPoint* p) override { return Point("rup", p); }
    tResult DispatchMouseWheel(CWidget**, tCPoint wheel, tCPoint* p) override
    {
        events.push_back("wheel " + std::to_string(wheel.y));
        return Point("at", p);
    }
    tResult DispatchHeartbeat() override
    {
        ++heartbeats;
        return onHeartbeat ? onHeartbeat() : kResOk;
    }

    void LocalToScreenPoint(tCPoint*) override {}
    void ScreenToLocalPoint(tCPoint*) override {}
    tResult BuildInterface() override { return buildResult; }
    void SetReady() override { ready = true; }
    void TrackCursorWidget() override { ++tracks; }
    void HideCursor() override { cursorShown = false; }
    void ShowCursor() override { cursorShown = true; }
    bool IsCursorShown() override { return cursorShown; }
    void UpdateRolloverWidget() override { events.push_back("rollover"); }
    void ClearRolloverWidget() override { events.push_back("no rollover"); }
    void OnWindowDestroyed() override {}
    CWidget* GetTopModal() override { return modalOpen ? reinterpret_cast<CWidget*>(this) : nullptr; }
    void SetWindow(CWindowBase* w) override { window = w; }
    int32_t GetSystemBarSetting() override { return systemBar; }
    int32_t GetFullScreenSetting() override { return fullScreen; }
    void SetFullScreenSetting(int32_t f) override { fullScreen = f; }
    int32_t GetLayeredSetting() override { return 0; }
    tBackBufferView GetBackBuffer() override { return {pixels.data(), width, height, width}; }
    tCString GetResourceName() override { return tCString(u"Test Root"); }

    std::vector<std::string> events;
    std::vector<int32_t> keys;
    std::vector<uint32_t> pixels;
    int32_t width = 0, height = 0;
    float layoutWidth = 0, layoutHeight = 0;
    uint32_t colour = 0xFF204060u;
    int32_t systemBar = 0, fullScreen = 0;
    bool modalOpen = false, consumeKeys = false, ready = false, cursorShown = true;
    tResult sizeResult = kResOk, buildResult = kResOk, broadcastAnswer = kResOk;
    int heartbeats = 0, tracks = 0;
    tResult (*onHeartbeat)() = nullptr;
    CWindowBase* window = nullptr;
    tCPoint pressPoint;

private:
    tResult Key(const char* kind, CWidget** takenBy, int32_t key)
    {
        events.push_back(std::string("key ") + kind);
        keys.push_back(key);
        if (consumeKeys)
            *takenBy = reinterpret_cast<CWidget*>(this);
        return kResOk;
    }
    tResult Point(const char* kind, tCPoint* p)
    {
        events.push_back(std::string(kind) + " " + std::to_string(p->x) + "," + std::to_string(p->y));
        return kResOk;
    }
    tResult Press(const char* kind, tCPoint* p)
    {
        pressPoint = *p;
        return Point(kind, p);
    }

    int* m_deletions;
};
