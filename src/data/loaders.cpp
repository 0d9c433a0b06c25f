// Placeholder loaders until the directory readers exist: an instrument simply has no bars.
#include "data/loaders.h"

#include "app/app_state.h"

namespace zor {

bool loadAllStocks(AppState& app) { return false; }

void loadDayBars(StockRecord& rec, AppState& app) { rec.dayLoaded = true; }

void loadMinuteBars(StockRecord& rec, AppState& app) { rec.minLoaded = true; }

}  // namespace zor
