#pragma once

#include <cstdint>
#include <vector>

#include "app/panels/DialTestSupport.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "paint/engine/CColourList.h"
#include "toolkit/imaging/CImage.h"

// A controller for the colour panes: it answers the paint colour, the tracing image and its
// colour switch, the shine and the colour list as the program's does, records every message,
// and hands applied colours back to `echo` the way the backdrop relays them to the panes.
class ColourController : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        heard.push_back({message, a, b, c});
        switch (message) {
        case kMsgPaintColour:
            if (!apply)
                *FromMsgArg<uint32_t>(b) = colour;
            return kResOk;
        case kMsgColourChanged:
            if (!apply)
                return kResOk;
            colour = uint32_t(b);
            colours.push_back(colour);
            return echo ? echo->OnMessage(message, a, b, c, apply) : kResOk;
        case kMsgTraceColourPick:
            if (apply) {
                traceSwitch = *FromMsgArg<uint32_t>(b);
                switches.push_back(traceSwitch);
            } else {
                *FromMsgArg<uint32_t>(b) = traceSwitch;
            }
            return kResOk;
        case kMsgGetTracingImage:
            *FromMsgArg<CImage*>(b) = tracing;
            return kResOk;
        case kMsgColourChannel:
            if (apply)
                shines.push_back(*FromMsgArg<float>(b));
            return kResOk;
        case kMsgColourListCount:
            if (failList)
                return failList;
            *FromMsgArg<uint32_t>(b) = uint32_t(list.size());
            return kResOk;
        case kMsgColourListEntry: {
            auto* entry = FromMsgArg<ColourListEntry>(b);
            if (entry->index >= failEntriesFrom)
                return kResFileIO;
            entry->colour = entry->index < list.size() ? list[entry->index] : 0x00FFFFFFu;
            return kResOk;
        }
        default: return kResOk;
        }
    }
    int Count(uint32_t message) const
    {
        int n = 0;
        for (const tHeard& h : heard)
            n += h.message == message;
        return n;
    }

    std::vector<tHeard> heard;
    uint32_t colour = 0xFF80A0FF;
    std::vector<uint32_t> colours;
    uint32_t traceSwitch = 0;
    std::vector<uint32_t> switches;
    CImage* tracing = nullptr;
    std::vector<float> shines;
    std::vector<uint32_t> list;
    tResult failList = kResOk;
    // Entries from this index on fail with 16.
    uint32_t failEntriesFrom = UINT32_MAX;
    tCCmdTarget* echo = nullptr;
};

// The colour panes over the shipped layouts, on a host backdrop with the popup menus.
class ColourPaneTest : public HostedPromptTest {
protected:
    void StartColour(int32_t width = 800, int32_t height = 600)
    {
        StartHosted(width, height);
        tCCmdTarget::SetBackboneTarget(&colours);
        ASSERT_EQ(popups.Init(), kResOk);
        host->popups = &popups;
    }
    void TearDown() override
    {
        popups.Clear();
        HostedPromptTest::TearDown();
    }
    // Presses a point of `widget` (its own coordinates) and holds the button still for `passes`
    // heartbeats before releasing it; the answer of the press.
    tResult HoldStill(CWidget* widget, tCPoint local, int passes)
    {
        PointAt(widget, local);
        int ticks = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&] {
            if (++ticks >= passes)
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            return kResOk;
        };
        tCPoint point = local;
        widget->LocalToRootPoint(&point);
        CWidget* takenBy = nullptr;
        const tResult answer = backdrop->DispatchLButtonDown(&takenBy, &point);
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return answer;
    }

    ColourController colours;
    CKS2PopupManager popups;
    CImage tracingImage{4, 4};
};
