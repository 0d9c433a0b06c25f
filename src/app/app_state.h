// The one application-state object. Every subsystem reads and changes it through its own
// operations; it lives for the whole process and is never copied.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/market.h"
#include "platform/ui.h"
#include "trading/trading_state.h"
#include "training/train_state.h"

namespace zor {

// Text limits of the configuration fields, in bytes.
constexpr size_t kPathMax = 259;
constexpr size_t kHostMax = 63;
constexpr size_t kUserNameMax = 31;
constexpr size_t kUserAcctMax = 23;
constexpr size_t kFsNameMax = 15;
constexpr size_t kUrlMax = 255;
constexpr size_t kStatusMax = 255;

constexpr const char* kProgramTitle = "澄川K线回放训练软件";
constexpr const char* kDefaultUserName = "模拟交易";
constexpr const char* kDefaultUserAcct = "6602130418";
constexpr const char* kDefaultUpdateUrl = "https://update.zorterminal.cn/zor/";

// A clickable rectangle registered while painting; clicks are dispatched by kind.
struct HitArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  int kind = 0;
  int index = 0;
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The intraday chart settings kept in zor.cfg. Two copies live in AppState: the one read from
// the file and the live one the chart changes.
struct IntradaySettings {
  std::array<int, 4> ma = {5, 10, 20, 60};
  int subCount = 1;
  std::string sub1;  // at most kFsNameMax bytes
  std::string sub2;
  std::array<int, 4> sub1Param = {0, 0, 0, 0};
  std::array<int, 4> sub2Param = {0, 0, 0, 0};
  int avg = 1;       // stored copy: the integer read; live copy: 0 or 1
  std::string mainInd = "MA";

  // The stored copy shows MACD in its first sub-panel until a file says otherwise.
  static IntradaySettings storedDefaults() {
    IntradaySettings s;
    s.sub1 = "MACD";
    return s;
  }
};

// A chart view saved per tab group (real-time tabs, training tabs, the rest).
struct SavedView {
  int barCount = 0;
  int scrollBack = 0;
};

struct AppState {
  // ---- paths and configuration (zor.cfg) ----
  std::string exeDir;  // ends in the path separator
  std::string serverHost;
  int serverPort = 0;
  int dataMode = 0;    // 2 when the DAT directory is set, plus 1 when the lc1 directory is set
  // The directories as configured (relative texts stay relative) and as used (resolved
  // against exeDir). zor.cfg and the data dialog show the configured texts.
  std::string lc1DirText, datDirText;
  std::string lc1Dir, datDir;
  std::string userName = kDefaultUserName;
  std::string userAcct = kDefaultUserAcct;
  int winX = 0, winY = 0, winW = 0, winH = 0, winMax = 0;
  IntradaySettings fsStored = IntradaySettings::storedDefaults();
  IntradaySettings fsLive;
  std::string updateUrl = kDefaultUpdateUrl;

  // ---- market data and view ----
  std::vector<StockRecord> stocks;
  MarketDataState data;  // THS root, name maps and the minute-array clock of the loaders
  int curIdx = 0;
  int period = PeriodMin1;
  bool trend = false;      // intraday chart instead of the K-line chart
  bool listView = true;    // full-window quote list
  bool tradeView = false;  // chart with the trading panel below
  int barCount = 0;        // bars shown, 0 automatic
  int scrollBack = 0;      // bars scrolled back from the newest

  // ---- mode ----
  int tradeMode = 1;  // 1 history replay and training, 0 real-time trading
  int tradeTab = 0;   // 0 history, 1 records, 2-3 K-line training, 4 real-time, 5 real-time records
  bool tPlusOne = true;

  // ---- real-time ----
  int liveStockIdx = -1;
  bool liveOK = false;

  // ---- training and replay ----
  bool training = false;
  TrainState train;
  int trainMin = 0;
  int cursor = 0;
  int frames = 0;
  int trainDi = -1;
  bool dateView = false;
  int replayStockIdx = -1;  // the replayed instrument, -1 without a replay
  int replayIntervalMs = 2000;

  // ---- trading ----
  Account histAccount;
  Account trainAccount;
  Account liveAccount;
  std::vector<Order> orders;
  int64_t nextOrderNo = 1;

  // ---- main window ----
  void* mainWnd = nullptr;  // the platform's window handle
  int clientW = 0, clientH = 0;
  std::vector<HitArea> hitAreas;  // emptied at the start of every paint
  int hoverHit = -1;              // kind * 16 + index
  int pressedHit = -1;
  std::array<HitArea, 7> menuRects{};  // the menu-bar items as last painted
  int openMenu = -1;
  int hoverMenu = -1;
  std::array<bool, 3> captionHover{};    // minimise, maximise/restore, close
  std::array<bool, 3> captionPressed{};
  std::array<HitArea, 3> captionRects{};
  bool maximized = false;
  int mouseX = 0, mouseY = 0;
  bool mouseInside = false;
  bool blink = false;
  bool panelFieldFocused = false;
  int tradeFocus = 0;       // focused trading-panel field, 0 none
  bool trainFieldFocused = false;
  bool tradePanelClosed = false;
  int listTop = 0;          // first visible quote-list row (a view position)
  int listHeight = 0, listWidth = 0;  // the quote list's rectangle as last painted, pixels
  std::vector<int> listOrder;  // instrument index of each view position; empty = load order
  int sortColumn = 0;
  bool sortAscending = true;
  std::string codeEntry;    // the quote list's code-entry text
  std::string statusText;   // one-line confirmations and errors of commands
  std::array<SavedView, 3> savedViews{};
  bool modeDialogOpen = false;
  int screenW = 1280;            // width of the whole display in pixels (quote-list column scale)
  bool inSizeMove = false;       // the user is dragging or sizing the window
  bool placementDirty = false;   // a placement change waits for the end of that drag

  // ---- platform services ----
  UiServices* ui = &headlessUi;
  HeadlessUi headlessUi;

  AppState() = default;
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;
};

// Makes the instrument at `index` the selected one; nothing for an index outside `stocks`.
void selectStock(AppState& app, int index);

// Writes `text` into statusText (cut to its limit) and asks for a repaint.
void setStatus(AppState& app, std::string_view text);

}  // namespace zor
