// render/ holds what a render shares with the dialog that runs it: interruption and the memory kept between previews.
// How a running render learns that it should stop: the host's abort
// callback in a final render, newer parameter changes in a preview render.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>

// Tick at which the dialog started the current preview render; 0 while no
// dialog run is in progress, which marks a render as final.
extern uint32_t g_nRenderStartTick;
// A parameter changed since the current preview render started.
extern bool g_bPreviewDirty;

// Milliseconds a preview render may run on after a parameter changed.
constexpr uint32_t kPreviewPatience = 200;

// 0 to go on, -128 when aborted or overtaken, -1 when the message pump met
// a quit message (re-posted for the dialog's own loop).
int16_t CheckRenderInterrupt(const FilterRecord* pFilterRecord);
