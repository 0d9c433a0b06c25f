// The main window's keyboard: key-down and character input, checked in a fixed order (the
// first rule whose condition holds takes the key). Key codes are those of platform/keys.h.
#pragma once

#include <cstdint>

#include "platform/keys.h"

namespace zor {

struct AppState;

// A key-down; true when the key was taken (the window then repaints).
bool onKeyDown(AppState& app, int key, unsigned mods);
// A typed character (after the platform's translation); true when taken.
bool onChar(AppState& app, char32_t ch);

// Resolves the quote list's code entry: empty opens the selected instrument; otherwise the
// first instrument whose code equals the text (a sh/sz/bj prefix ignored on both sides), else
// the first whose code starts with it; else nothing. True when an instrument opened.
bool commitCodeEntry(AppState& app);
// Keeps the selected instrument within the quote list's visible rows.
void scrollSelectionIntoView(AppState& app);
// Selects the instrument `step` view positions away from the selected one (the list's order).
void selectNeighbour(AppState& app, int step);

}  // namespace zor
