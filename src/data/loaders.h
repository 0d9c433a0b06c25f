// Loading the instrument table and an instrument's bars from the configured directories.
#pragma once

#include "data/market.h"

namespace zor {

// Builds `app.stocks` from the DAT and lc1 directories. Returns true when the table was
// replaced; on failure the table is left as it was and a message box has said why.
bool loadAllStocks(AppState& app);

// Loads one instrument's daily bars (DAT file and vipdoc .day), once.
void loadDayBars(StockRecord& rec, AppState& app);

// Loads one instrument's minute bars (DAT minute block, .lc1 or THS .min), once.
void loadMinuteBars(StockRecord& rec, AppState& app);

}  // namespace zor
