// Import of formula text: files written by the export (blocks between "###FORMULA###" and
// "###END###") and free text copied from web pages, forums and documents, where statements sit
// among titles, author lines, usage notes and links. Free text is cleaned (full-width
// punctuation to ASCII), its statement lines are picked out, a name is found, and the names it
// uses without declaring become parameters with conventional defaults (formula_params.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formula/formula.h"
#include "formula/formula_store.h"
#include "platform/ui.h"

namespace zor {

// One free-text extraction.
struct ImportResult {
  std::string name;    // found in the text, else the caller's default, else "导入公式"
  std::string source;  // the selected lines, each followed by one line feed
  std::vector<FormulaParam> params;  // declared by the completion
  std::vector<std::string> added;    // names declared by the completion, in order
  bool ok = false;     // compiled (with completion when asked for)
  std::string error;   // the message when not ok
};

// Full-width ！（）＊＋，－．／：；＜＝＞ become their ASCII characters; all other bytes are
// copied unchanged.
std::string cleanFormulaText(std::string_view text);

// Picks the formula statements out of free text and compiles them (with parameter completion
// when completeParams is set).
ImportResult extractFormulaFromText(std::string_view text, std::string_view defaultName, bool completeParams);

// The file name without directory and extension: the part after the last '\' or '/', cut
// before its last '.' unless that is its first character.
std::string formulaNameFromPath(std::string_view path);

// The formula manager's "导入公式" (permanent) and "临时导入" (temporary, for this run only):
// reads a block file or free text, adds what compiles to the store and reports in message
// boxes. Returns the number of formulas imported.
int importFormulaFile(FormulaStore& store, const std::string& path, bool permanent, UiServices& ui);

// The formula editor's "引入公式": reads the first formula of a file (a block as it stands, or
// free text with completion) and hands its source to insertAtCaret; reports in message boxes.
// The editor's parameter table is not changed. False when nothing was inserted.
bool insertFormulaFromFile(const std::string& path, UiServices& ui,
                           const std::function<void(const std::string&)>& insertAtCaret);

}  // namespace zor
