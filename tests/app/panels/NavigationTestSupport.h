#pragma once

#include <map>
#include <memory>
#include <vector>

#include "app/panels/PromptTestSupport.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ProjectFile.h"
#include "app/shell/BackboneMessages.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/imaging/CImage.h"

// A pane that only holds a root widget of a given size among the backdrop's children, and
// counts its shows: a neighbour of the pane under test.
class StandInRootPane : public CKS2Pane {
public:
    StandInRootPane(CWidget* backdrop, int32_t width, int32_t height)
    {
        m_root = new CWidget;
        m_root->SetSize(width, height, 0);
        EXPECT_EQ(backdrop->AddChild(m_root, 0), kResOk);
    }
    tResult Show(uint32_t transition, uint32_t, tMsgArg param1, tMsgArg param2, tCCmdTarget*) override
    {
        shows.push_back({transition, param1, param2});
        return showAnswer;
    }
    struct tShow {
        uint32_t transition;
        tMsgArg param1;
        tMsgArg param2;
    };
    std::vector<tShow> shows;
    tResult showAnswer = kResOk;
};

// The main backdrop with the host services the navigation panes use: its panes by root id, a
// popup manager and a counted tracing-image command; transitions off.
class NavigationHost : public CBackdrop, public IPaneHost {
public:
    uint32_t GetPaneTransitions() const override { return 0; }
    void UpdatePaneCursor(CWidget*) override {}
    CStringPrompt* GetTextPrompt() override { return nullptr; }
    int32_t FindMenuTitleAt(tCPoint) override { return -1; }
    CKS2Pane* FindPane(uint32_t rootId) const override
    {
        const auto found = panes.find(rootId);
        return found == panes.end() ? nullptr : found->second;
    }
    CKS2PopupManager* GetPopupManager() const override { return popups; }
    tResult LoadTracingImage() override
    {
        ++tracingLoads;
        return kResOk;
    }

    std::map<uint32_t, CKS2Pane*> panes;
    CKS2PopupManager* popups = nullptr;
    int tracingLoads = 0;
};

// A controller holding the tracing and layer state the panes ask about; it records every
// message with its apply flag and the records that live only through the call.
class TracingController : public tCCmdTarget {
public:
    struct tMessage {
        uint32_t message;
        tMsgArg b;
        uint32_t apply;
    };
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t apply) override
    {
        heard.push_back({message, b, apply});
        if (const auto fixed = answers.find(message); fixed != answers.end() && fixed->second != kResOk)
            return fixed->second;
        switch (message) {
        case kMsgGetTracingImage:
            *FromMsgArg<CImage*>(b) = image;
            break;
        case kMsgLayerCount:
            *FromMsgArg<uint32_t>(b) = layers;
            break;
        case kMsgCurrentLayer:
            if (!apply)
                *FromMsgArg<uint32_t>(b) = current;
            break;
        case kMsgTraceColourPick:
            apply ? void(picking = *FromMsgArg<uint32_t>(b)) : void(*FromMsgArg<uint32_t>(b) = picking);
            break;
        case kMsgTracingVisible:
            if (!apply)
                *FromMsgArg<uint32_t>(b) = shown;
            break;
        case kMsgLayerImageSize:
            apply ? void(thumbnailSizes.push_back(*FromMsgArg<tCPoint>(b))) : void(*FromMsgArg<tCPoint>(b) = thumbnail);
            break;
        case kMsgUpdateLayerImage:
            updates.push_back(*FromMsgArg<LayerViewUpdate>(b));
            break;
        case 0xFF001028:
            paneSizes.push_back(*FromMsgArg<tCPoint>(b));
            break;
        case kMsgProjectRecord:
            *FromMsgArg<CProjectInfo*>(b) = &project;
            break;
        case kMsgTracingMode:
            apply ? void(mode = *FromMsgArg<uint32_t>(b)) : void(*FromMsgArg<uint32_t>(b) = mode);
            break;
        case kMsgTracingScale:
            apply ? void(scales.push_back(scale = *FromMsgArg<float>(b))) : void(*FromMsgArg<float>(b) = scale);
            break;
        case kMsgTracingOpacity:
            apply ? void(opacities.push_back(opacity = *FromMsgArg<float>(b))) : void(*FromMsgArg<float>(b) = opacity);
            break;
        case kMsgTracingOffset:
            apply ? void(offsets.push_back(offset = *FromMsgArg<tCPoint>(b))) : void(*FromMsgArg<tCPoint>(b) = offset);
            break;
        case kMsgViewToCanvas: {
            auto* point = FromMsgArg<tCFPoint>(b);
            *point = {point->x / viewZoom, point->y / viewZoom};
            break;
        }
        case kMsgLoadTracingImage:
            loadedPaths.push_back(FromMsgArg<tCFPath>(b)->GetText().ToAnsi());
            break;
        default:
            break;
        }
        return kResOk;
    }
    int Count(uint32_t message, uint32_t apply = 1) const
    {
        int n = 0;
        for (const tMessage& m : heard)
            n += m.message == message && m.apply == apply;
        return n;
    }

    std::map<uint32_t, tResult> answers;
    std::vector<tMessage> heard;
    CImage* image = nullptr;
    uint32_t layers = 1;
    uint32_t current = 0;
    uint32_t picking = 0;
    uint32_t shown = 0;
    tCPoint thumbnail{80, 60};
    std::vector<tCPoint> thumbnailSizes;
    std::vector<LayerViewUpdate> updates;
    std::vector<tCPoint> paneSizes;
    CProjectInfo project{1200, 600, tCString(u"Test"), tCString(), nullptr};
    uint32_t mode = 0;
    float scale = 0.5f;
    float opacity = 0.4f;
    tCPoint offset{0, 0};
    float viewZoom = 1.0f;
    std::vector<float> scales;
    std::vector<float> opacities;
    std::vector<tCPoint> offsets;
    std::vector<std::string> loadedPaths;
};

// The navigation panes over the shipped resource files, in a host backdrop of 1000 x 700 whose
// controller is a TracingController.
class NavigationTest : public PromptTest {
protected:
    void StartNavigation(int32_t width = 1000, int32_t height = 700)
    {
        host = new NavigationHost;
        StartIn(host, &tracing, width, height);
        popups = std::make_unique<CKS2PopupManager>();
        ASSERT_EQ(popups->Init(), kResOk);
        host->popups = popups.get();
    }
    void TearDown() override
    {
        if (popups)
            popups->Clear();
        if (host)
            host->popups = nullptr;
        popups.reset();
        PromptTest::TearDown();
        for (CKS2Pane* pane : standIns)
            delete pane;
    }
    StandInRootPane* AddStandIn(uint32_t rootId, int32_t width, int32_t height = 40)
    {
        auto* pane = new StandInRootPane(backdrop, width, height);
        standIns.push_back(pane);
        host->panes[rootId] = pane;
        return pane;
    }
    // Holds the primary button on a point of `widget` (its own coordinates), moves the pointer
    // through `moves` (screen coordinates), one a heartbeat, then releases it.
    tResult PressAndMove(CWidget* widget, tCPoint local, const std::vector<tCPoint>& moves)
    {
        PointAt(widget, local);
        size_t next = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&] {
            w32::headless::AdvanceClock(1);
            if (next < moves.size()) {
                const tCPoint to = moves[next++];
                w32::headless::MoveMouse(to.x, to.y);
            } else {
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            }
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

    NavigationHost* host = nullptr;
    TracingController tracing;
    std::unique_ptr<CKS2PopupManager> popups;
    std::vector<CKS2Pane*> standIns;
};
