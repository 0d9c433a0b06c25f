#include "chart/view_state.h"

#include <algorithm>

namespace zor {

std::vector<int> instrumentsInView(const QuoteListView& list, int count, int top, int rows) {
  std::vector<int> out;
  top = std::clamp(top, 0, std::max(0, count));
  int end = std::min(count, top + std::max(0, rows));
  for (int pos = top; pos < end; ++pos) {
    int idx = instrumentAtViewPos(list, count, pos);
    if (idx >= 0) out.push_back(idx);
  }
  return out;
}

}  // namespace zor
