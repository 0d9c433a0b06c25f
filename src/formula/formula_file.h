// The formula file: UTF-8 text holding any number of blocks, one formula each. The same format
// serves userformula.txt, exports and imports.
//
//   ###FORMULA###
//   NAME:<name>
//   DESC:<description>
//   TYPE:<int>  DRAW:<int>  DEC:<int>       (one key per line)
//   VER:<version>                            only when not empty
//   AXIS:<int>
//   FAV:1                                    only for a favourite
//   PWD:<stored password>                    only when a password is set
//   PARAM:<name>,<min>,<max>,<default>       one line per parameter
//   YDIV:<v1>,<v2>,...                       only when there are dividers (at most 4)
//   TEXT:
//   <source lines>
//   USAGE:                                   only when the usage note is not empty
//   <usage lines>
//   ###END###
//
// Text outside blocks is ignored; carriage returns are dropped on reading; keys are matched at
// the start of a line and are case-sensitive; unknown header lines are ignored. The two marker
// lines, "TEXT:" and "USAGE:" count only as whole lines (trailing spaces and tabs allowed), so
// a source may mention them inside a line. A block also ends where the next "###FORMULA###"
// line begins, so a lost end marker costs no other formula.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula/formula.h"

namespace zor {

inline constexpr std::string_view kFormulaBeginMarker = "###FORMULA###";
inline constexpr std::string_view kFormulaEndMarker = "###END###";
constexpr size_t kFormulaParamNameMax = 23;  // bytes
constexpr size_t kFormulaYDividerMax = 4;

// The bytes of a formula file as UTF-8: a leading byte-order mark is dropped; pure ASCII and
// valid UTF-8 are taken as they are; anything else is read as GBK (code page 936).
std::string decodeFormulaFileText(std::string_view bytes);

// True when `line` (without its line feed) equals `word` once trailing spaces and tabs are
// removed.
bool isWholeLine(std::string_view line, std::string_view word);

// The block of one formula, exactly as the file holds it (LF line ends).
std::string formulaBlockText(const FormulaDef& def);

// Reads one block: the text from its "###FORMULA###" line up to (not including) its end
// marker. Missing keys keep their defaults (type 0, draw method 0, decimals 2, axis 0).
// Parameter names are cut to 23 bytes at a character boundary and upper-cased.
FormulaDef parseFormulaBlock(std::string_view text);

// Where one block sits in a text: [begin, end) is the block text for parseFormulaBlock.
struct FormulaBlockSpan {
  size_t begin = 0;
  size_t end = 0;
  bool complete = true;   // ended by its own "###END###" line
  bool atEnd = false;     // cut short by the end of the text (a truncated file)
};

// The blocks of a text whose carriage returns are already dropped. A block without its end
// marker ends at the next "###FORMULA###" line (complete = false) or at the end of the text
// (complete = false, atEnd = true).
std::vector<FormulaBlockSpan> findFormulaBlocks(std::string_view text);

// True when the text holds a whole-line "###FORMULA###".
bool hasFormulaBlock(std::string_view text);

// A whole formula file read from its bytes.
struct FormulaFileContent {
  std::vector<FormulaDef> formulas;  // blocks with a name, in file order
  bool damaged = false;              // some block lacked its end marker
};

// Blocks cut short by the next block are read; a block cut short by the end of the text may be
// missing its tail and is left out. Blocks without a name are skipped.
FormulaFileContent parseFormulaFile(std::string_view bytes);

// Number text of PARAM and YDIV lines: "%g" when that reads back to the same value, else
// "%.17g", so no digit is lost.
std::string formulaNumberText(double v);

// The stored form of an edit password typed as UTF-8: byte j xor ((j*7) mod 31 + 90), written
// as two lower-case hex digits each. This only keeps the password from being read at a glance.
std::string storedPasswordForm(std::string_view utf8Password);

// Empty when the formula can be written to a formula file and read back unchanged; otherwise
// the message why not: the source holds a line equal to a marker or to "USAGE:", or the usage
// note a line equal to a marker.
std::string formulaSaveProblem(const FormulaDef& def);

}  // namespace zor
