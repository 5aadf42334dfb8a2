// What practice, pack and map runs add to the keys: Escape asks before leaving a level, m mutes
// the music, and a held u or Backspace goes on undoing.
#pragma once

#include <cstdint>

#include "app/SceneLoop.h"

// In frames, about 125 a second: a short wait, then about ten undos a second.
constexpr int32_t undoRepeatDelay = 50;
constexpr int32_t undoRepeatEvery = 12;

extern const char leaveQuestion[];

// Before the key table: true when the event was used up here.
bool takeComfortKey(LoopState& state);
// Before the board runs: an undo for each repeat of the held key.
void repeatUndo(LoopState& state);
// After the board has drawn: the question, over it.
void drawComfort(LoopState& state, const Stage& stage);
