#pragma once

#include <cstdint>
#include <initializer_list>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/widgets/WidgetEvents.h"

class CWidget;
struct CWidgetLayout;

// What the prompts' buttons share: each button carries the time step of its glow as user object
// 0; the glow is a front gradient effect of the prompt's root that fades towards a lit opacity
// while the pointer is over the button and back to 0 when it leaves.
inline constexpr float kGlowRiseStepTime = 2.6f;
inline constexpr float kGlowFallStepTime = 3.6f;

// Gives the button its glow's time step and the heartbeat and press callbacks (context = the
// pane); 24 when memory fails.
tResult HookPromptButton(CWidget* button, tHeartbeatProc heartbeat, tPointProc press, tMsgArg pane);
// Hooks each of the root's buttons named by `ids` so; 22 when the layout lacks one.
tResult HookPromptButtons(CWidget* root, std::initializer_list<uint32_t> ids, tHeartbeatProc heartbeat,
                          tPointProc press, tMsgArg pane);
// Starts the glow again from 0 and takes the effect's opacity to 0 without presenting.
void ResetPromptGlow(CWidget* button, CWidget* root, int32_t effect);
// One heartbeat of a glow: aims at `lit` while the backdrop's rollover widget is the button, at 0
// otherwise, and shows the time step's value as the effect's opacity.
void StepPromptGlow(CWidget* button, CWidget* root, int32_t effect, float lit);
// Sets the effect's blend mode to 1 and leaves it only the part of the root inside `keep`.
void ClipPromptGlow(CWidget* root, int32_t effect, const tCRect& keep, uint32_t present);
// The press loop of a prompt button: the button is modal while the primary button is held;
// true when it is released over the button.
bool CapturePromptPress(CWidget* button);
// The left-button-down callback of the text prompt's buttons (context = the pane): released over
// the button, sound 0 and a hide with a transition and the button's id as the result.
tResult PromptButtonPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
// Puts a prompt's root at (x, y) of the backdrop, or back at the layout's own place `layoutPlace`
// when either is -1, so that the place of an earlier request never stays.
void PlacePromptRoot(CWidget* root, const CWidgetLayout& layoutPlace, int32_t x, int32_t y);
// Asks the backdrop for interface sound `index` on behalf of `pane`.
void PlayPromptSound(tMsgArg pane, uint32_t index);
