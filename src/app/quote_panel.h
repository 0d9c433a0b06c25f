// The quote panel beside the chart: a simulated five-level book and the quote figures of the
// shown instrument, then the training score card. Where the data have no book or turnover the
// panel shows figures drawn from a sequence seeded by the code: the same instrument always
// shows the same decoration, and nothing else reads it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/canvas.h"

namespace zor {

struct AppState;

// The instrument the panel shows: the game's on the training tabs while a game runs, the
// selected one during a replay, the live one in real-time mode, else the selected one; -1
// when that is not a valid index.
int quotePanelInstrument(const AppState& app);

// The decoration sequence of a code: s[0] is the code's hash (h = h * 33 + byte from 5381),
// s[k] the k-th state of s -> 1103515245 s + 12345 (mod 2^32).
std::array<uint32_t, 21> decorationSequence(std::string_view code);

struct SimulatedBook {
  double askPrice[5], bidPrice[5];  // level 1..5 away from the reference price
  long askVolume[5], bidVolume[5];  // lots, slot 1..5
  double ratio;                     // 委比, percent
  long difference;                  // 委差, lots
};
// The book around reference price `ref` with the code's price `step`.
SimulatedBook simulatedBook(std::string_view code, double ref, double step);

// 0.001 for fund codes (51, 56, 58, 15, 16 after any letter prefix), else 0.01.
double priceStep(std::string_view code);

// Paints the panel into `area` (the side panel region).
void paintQuotePanel(const AppState& app, Canvas& c, const Rect& area);

}  // namespace zor
