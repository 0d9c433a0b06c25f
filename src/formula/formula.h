// The formula engine's public face: a formula definition, its run input and its results as
// the charts consume them. The engine is pure: it depends on nothing outside src/formula and
// src/platform/text.
//
// Series are vectors of doubles, one element per bar, oldest first; `noValue` (the quiet NaN
// 0x7FF8000000000000, and any NaN) marks a missing element. Colours are 0xRRGGBB, -1 when a
// formula gave none.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

inline const double noValue = std::numeric_limits<double>::quiet_NaN();
inline bool isNoValue(double v) { return v != v; }

// One declared parameter of a formula. Names are upper case (the lexer upper-cases text).
struct FormulaParam {
  std::string name;  // at most 23 bytes
  double minimum = 0;
  double maximum = 0;
  double defaultValue = 0;
};

// Formula categories and draw methods, as stored in formula files.
enum FormulaType : int32_t { TypeTechnical = 0, TypeScreening = 1, TypeSystem = 2, TypeColourK = 3, TypeOther = 4 };
enum DrawMethod : int32_t {
  DrawSubPanel = 0,       // "副图"
  DrawMainOverlay = 1,    // "主图叠加"
  DrawSubWithK = 2,       // "副图叠加K线"
  DrawSubWithBars = 3,    // "副图叠加美国线"
  DrawSubWithClose = 4,   // "副图叠加收盘价"
  DrawMainReplace = 5,    // "主图替换"
};

// One formula definition, built-in or written by the user.
struct FormulaDef {
  std::string name;         // unique among user formulas, looked up ignoring ASCII case
  std::string description;
  int32_t type = TypeTechnical;
  int32_t drawMethod = DrawSubPanel;
  int32_t decimals = 2;
  std::vector<FormulaParam> params;
  std::string source;       // UTF-8
  std::string version;
  std::string usage;
  std::string password;     // empty, or the stored form of the edit password
  int32_t axis = 0;
  bool favourite = false;
  std::vector<double> yDividers;  // up to 4 extra horizontal divider levels
  bool builtin = false;     // one of the formulas shipped with the program
  bool temporary = false;   // imported for this run only; never saved
};

// The bars a formula runs over. close defines the bar count n; the other price series must
// have the same length. dates (yyyymmdd) and times (hhmm, 0 for day-based bars) may be empty,
// and then the date and time functions give noValue.
struct FormulaInput {
  std::vector<double> open, high, low, close, volume, amount;
  std::vector<int32_t> dates;
  std::vector<int32_t> times;
};

// Line styles set by the modifiers after a statement.
enum LineStyle : int32_t {
  StyleLine = 0,
  StyleColorStick = 1,
  StyleVolStick = 2,
  StyleStick = 3,
  StyleCircleDot = 4,
  StylePointDot = 5,
  StyleDotLine = 6,
  StyleCrossDot = 7,
  StyleNoDraw = 8,
};

// One output statement's values (NAME:expr), in statement order.
struct OutputLine {
  std::string name;
  std::vector<double> values;  // length n
  int32_t colour = -1;
  int32_t thickness = 1;       // 1..5
  int32_t style = StyleLine;
  bool polyline = false;       // the expression is a POLYLINE call: paint valid values joined
};

// (Enumerators are prefixed "Item" so that they never meet the Win32 macros of similar names.)
enum DrawingKind : int32_t {
  ItemIcon = 0,
  ItemText = 1,
  ItemSegment = 2,
  ItemStick = 3,       // a vertical bar between two prices
  ItemBandColumn = 4,
  ItemRelRect = 5,
  ItemBackground = 6,
  ItemVertLine = 7,    // a one-pixel line at the bar across the whole plot
};

// One item made by a drawing function, in the order the functions made them.
struct DrawingItem {
  int32_t kind = ItemIcon;
  int32_t bar = -1;       // bar index in the run's input; -1 for panel-relative items
  double value1 = 0;      // first price, or relative x (0..1)
  double value2 = 0;      // second price, or relative y (0..1)
  int32_t param = 0;      // icon number, end bar, width or alignment, by kind
  std::string text;
  int32_t colour = -1;
  double value3 = 0;      // relative right edge (kind 5)
  double value4 = 0;      // relative bottom edge (kind 5)
};

struct CompiledFormula;  // defined by the parser

// A compile error: the message as shown, and where in the text it points so that an editor can
// put the caret there. position is a byte offset in the text as the lexer normalises it
// (normalizeFormulaText: a full-width character there counts as one byte), the number the
// message prints where it prints one; for the unclosed comment and string it is the opening
// character, and it is -1 for errors about the text as a whole (too long, empty, no output).
struct FormulaError {
  std::string message;
  int64_t position = -1;
};

// Compiles `text` with its parameter table; on failure `error` holds one Chinese message.
bool compileFormula(const std::string& text, const std::vector<FormulaParam>& params, CompiledFormula& out,
                    std::string& error);
// The same, with the error's position beside its message.
bool compileFormula(const std::string& text, const std::vector<FormulaParam>& params, CompiledFormula& out,
                    FormulaError& error);

// Runs a compiled formula. paramValues are matched to the parameter table by position and may
// be shorter (the rest take their defaults). Outputs are cleared on entry; on failure `error`
// holds one message and the outputs must not be used.
bool runFormula(const CompiledFormula& compiled, const FormulaInput& input, const std::vector<double>& paramValues,
                std::vector<OutputLine>& outLines, std::vector<DrawingItem>& outDrawings, std::string& error);

// Hands the memory of results no longer needed back to the runs of this thread, so that the
// next run over as many bars writes into it instead of faulting in fresh pages. `lines` is
// left empty.
void recycleOutputLines(std::vector<OutputLine>& lines);

// Compiles def.source with def.params and runs it with the parameters' defaults.
bool compileAndRunFormula(const FormulaDef& def, const FormulaInput& input, std::vector<OutputLine>& outLines,
                          std::vector<DrawingItem>& outDrawings, std::string& error);

// True when `upperName` is a function of the library or a drawing function (an upper-case
// identifier such as "MA" or "STICKLINE"). Such names are never declared as parameters.
bool isLibraryFunctionName(std::string_view upperName);

}  // namespace zor
