#pragma once

#include <cstdint>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/imaging/CImage16.h"
#include "toolkit/widgets/CImWidget.h"

class CTransitionWidget;

// A transition step: writes the frame for `progress` into the widget's picture; answers a
// result code. `data` is the user data installed with it.
using tTransitionFn = tResult (*)(tMsgArg data, CTransitionWidget* widget, float progress);

// The transition widget: animates the change from one picture of the interface to another. It
// captures a widget's rendered subtree as a start picture and/or an end picture, and for each
// progress from 0 to 1 writes a frame into its own picture with the installed step: a
// cross-fade, a spin or a noise dissolve (Transitions.h). Type tag 'xnwg'.
class CTransitionWidget : public CImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("xnwg");
    enum : int32_t { kStart = 0, kEnd = 1 };

    CTransitionWidget() : CImWidget(kType, kLoadTexts) {}
    ~CTransitionWidget() override;

    uint32_t GetWidgetType() const override { return kType; }
    // A frame starts out transparent: the steps write only the parts they cover.
    tResult RenderImage() override;

    // Renders `widget`'s subtree, effects included, into picture `which` (kStart or kEnd),
    // keeping its alpha, and records where the picture lies in this widget's picture. The
    // widget's parent, visibility, the blend hooks and the picture's origin are restored also
    // when drawing fails; the drawing failure is returned. A null widget deletes the picture.
    // Both widgets should hang under one root.
    tResult CaptureWidget(CWidget* widget, int32_t which);
    // Makes sure the picture has the widget's size (5 or the picture's failure otherwise), runs
    // the step with `progress` when a step and a capture exist (its failure is returned and the
    // progress is not stored), presents with `redraw`, and stores the progress.
    tResult SetProgress(float progress, uint32_t redraw);
    float GetProgress() const { return m_progress; }

    void SetTransition(tTransitionFn function, tMsgArg data);
    tTransitionFn GetTransitionFunction() const { return m_function; }
    tMsgArg GetTransitionData() const { return m_data; }

    CImage* GetStartImage() const { return m_start; }
    CImage* GetEndImage() const { return m_end; }
    tCPoint GetStartOffset() const { return m_startOffset; }
    tCPoint GetEndOffset() const { return m_endOffset; }
    const tCRect& GetLastFrameRect() const { return m_lastFrame; }
    // Invalidates the union of the last frame rect and `rect` (only `rect` when the last is
    // empty) without presenting, and keeps `rect` as the last.
    tResult FinishFrame(const tCRect& rect);

    // The dissolve's noise field, which the widget owns; a new one replaces (deletes) the old.
    CImage16* GetNoiseImage() const { return m_noise; }
    void SetNoiseImage(CImage16* noise);
    float GetNoiseScale() const { return m_noiseScale; }
    float GetNoiseEdge() const { return m_noiseEdge; }

private:
    tResult DrawCapture(CWidget* widget, const tCRect& clip, CImage* image);

    CImage* m_start = nullptr;
    CImage* m_end = nullptr;
    tTransitionFn m_function = nullptr;
    tCRect m_lastFrame;
    float m_progress = -1.0f;
    tMsgArg m_data = 0;
    tCPoint m_startOffset;
    tCPoint m_endOffset;
    CImage16* m_noise = nullptr;
    float m_noiseScale = 0.25f;
    float m_noiseEdge = 0.04f;
};
