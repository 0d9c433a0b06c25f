#include "app/app_state.h"

#include "platform/text.h"

namespace zor {

void selectStock(AppState& app, int index) {
  if (index < 0 || size_t(index) >= app.stocks.size()) return;
  app.curIdx = index;
  app.codeEntry = app.stocks[size_t(index)].code;
  // A new instrument starts with the automatic zoom at the newest bar.
  app.barCount = 0;
  app.scrollBack = 0;
  loadStockOnDemand(app, index);
}

void setStatus(AppState& app, std::string_view text) {
  app.statusText = cutUtf8(text, kStatusMax);
  app.ui->requestRepaint();
}

}  // namespace zor
