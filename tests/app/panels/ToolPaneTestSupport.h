#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "app/panels/PromptTestSupport.h"
#include "app/shell/BackboneMessages.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"

// A controller for the tool panes: it keeps a size, a current tool with its property list and
// values, a clean-brush switch and option and a colour, answers their queries, takes what is
// applied, and records everything it hears with the pass of the press loop it came in.
class ToolController : public RecordingTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        heard.push_back({message, a, b, c});
        if (message == kMsgToolSize && apply)
            sizes.push_back({pass, *FromMsgArg<float>(b)});
        if (message == kMsgPickTool && apply)
            picks.push_back(int32_t(b));
        if (answers.count(message))
            return answers[message];
        switch (message) {
        case kMsgToolSize:
            apply ? void(size = *FromMsgArg<float>(b)) : void(*FromMsgArg<float>(b) = size);
            break;
        case kMsgToolPropertyList:
            for (const auto& [id, kind] : properties)
                FromMsgArg<tCArray<CToolProperty*>>(b)->Add(new CToolProperty(id, kind));
            break;
        case kMsgToolPropertyValue: {
            auto* record = FromMsgArg<ToolPropertyValue>(b);
            apply ? void(values[record->textId] = record->value) : void(record->value = values[record->textId]);
            break;
        }
        case kMsgCleanBrush:
            apply ? void(cleanBrush = *FromMsgArg<uint32_t>(b)) : void(*FromMsgArg<uint32_t>(b) = cleanBrush);
            break;
        case kMsgUsesCleanBrush:
            *FromMsgArg<uint32_t>(b) = hasCleanBrush;
            break;
        case kMsgPaintColour:
            *FromMsgArg<uint32_t>(b) = colour;
            break;
        default:
            break;
        }
        return kResOk;
    }

    float size = 0.5f;
    std::vector<std::pair<uint32_t, uint32_t>> properties;
    std::map<uint32_t, float> values;
    uint32_t cleanBrush = 0;
    uint32_t hasCleanBrush = 1;
    uint32_t colour = 0xFF000000;
    // Answers that replace the normal handling of a message.
    std::map<uint32_t, tResult> answers;
    // The pass of the press loop, counted by the test's script.
    int pass = 0;
    std::vector<std::pair<int, float>> sizes;
    std::vector<int32_t> picks;
};

// The tool panes over the shipped resource files with a ToolController.
class ToolPaneTest : public PromptTest {
protected:
    void StartPanes(int32_t width = 1000, int32_t height = 700)
    {
        Start(width, height);
        tCCmdTarget::SetBackboneTarget(&tools);
    }
    // Holds the primary button on `widget` at `local` (its own coordinates); on each pass of the
    // press loop the clock moves 1 ms and `move(pass)` may move the pointer (screen) or end the
    // hold by answering false; a pass the pointer does not move rests on to the next tick. The
    // answer of the press.
    tResult Hold(CWidget* widget, tCPoint local, const std::function<bool(int)>& move)
    {
        PointAt(widget, local);
        tools.pass = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&] {
            w32::headless::AdvanceClock(1);
            if (!move(++tools.pass))
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
    // A message the panes hear from the controller's echo.
    void Echo(CKS2Pane* pane, uint32_t message, tMsgArg b, uint32_t apply = kMsgApply, tMsgArg sender = 0)
    {
        (void)pane->OnMessage(message, sender ? sender : ToMsgArg(&tools), b, 0, apply);
    }

    ToolController tools;
};
