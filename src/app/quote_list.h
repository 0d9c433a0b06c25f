// The full-window quote list: its columns, the sort of its view order, the header click, and
// its painting with the code-entry box. Sorting orders the list's view (QuoteListView), never
// the instrument table, so every instrument index held elsewhere keeps naming its instrument.
#pragma once

#include <string>
#include <vector>

#include "chart/view_state.h"
#include "data/market.h"
#include "platform/canvas.h"

namespace zor {

struct AppState;
struct LastPainted;

constexpr int kQuoteListHeaderHeight = 22;
constexpr int kQuoteListRowHeight = 22;

// Rows a quote list of `height` pixels shows: max(1, (height - 22) / 22). The painter, the
// row refresh and the keyboard all use this one count.
int quoteListRows(int height);

// The large-number format: "%.2f亿", "%.1f万", "%.0f", or "" for 0 and less.
std::string largeNumberText(double v);

// The text of column `column` (0..13) of an instrument's row; `rowNumber` fills column 0.
// Empty where the value cannot be formed or is not positive.
std::string quoteCellText(const StockRecord& s, int column, int rowNumber);

// The sort key of columns 3..13: the value the cell shows, or -1e30 where it cannot be formed
// (a change without a previous close, an average outside half to one and a half times the
// last price), so that such rows go last in descending order.
double quoteSortKey(const StockRecord& s, int column);

// Orders the view by `column`: 0 the load order, 1 and 2 code and name as bytes, 3..13 the
// keys above; equal keys keep the load order in both directions. The first row is shown
// again (listTop 0); the selected instrument stays selected.
void sortQuoteList(QuoteListView& list, const std::vector<StockRecord>& stocks, int column, bool ascending);

// A click on the header of `column`: column 0 restores the load order, the sorted column
// reverses, any other column sorts descending.
void clickSortColumn(QuoteListView& list, const std::vector<StockRecord>& stocks, int column);

// The header column under (x, y) as last painted, -1 outside the header.
int listHeaderColumnAt(const LastPainted& painted, int x, int y);

// The list in `area`: header with the sort mark, one row per view position from `listTop`,
// each registering a QuoteRow area with its instrument index; records the list's geometry
// (rectangle, rows, header, column edges) in `out`.
void paintQuoteList(const AppState& app, Canvas& c, const Rect& area, LastPainted& out);

// The code being typed on the list, in a small box at the lower right of the client area;
// nothing while the text is empty.
void paintCodeEntryBox(const AppState& app, Canvas& c);

}  // namespace zor
