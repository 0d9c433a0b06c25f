// The actions of the toolbar, the tab bar's chart buttons, the training bar and the quote
// list's header. They join here with the painters of those bars.
#include "app/app_state.h"
#include "app/hit_dispatch.h"

namespace zor {

bool runPanelAction(AppState& app, const HitArea& h) { return false; }

bool clickListHeader(AppState& app, int x, int y) { return false; }

}  // namespace zor
