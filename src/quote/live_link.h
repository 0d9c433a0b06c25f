// The quote link's part of the application state: which instrument the real-time fetch keeps
// fresh.
#pragma once

namespace zor {

struct LiveLink {
  int liveStockIdx = -1;  // index of the live instrument in Market::stocks, -1 for none
  bool liveOK = false;    // the live instrument was entered through the connection dialog
};

}  // namespace zor
