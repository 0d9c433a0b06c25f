// The user formula store: one ordered list of FormulaDefs, read from userformula.txt beside the
// executable the first time a formula is needed and written back whole after every change.
// Looking a formula up by name searches this list first and the built-ins second, so a user
// formula hides a built-in of the same name. Names are compared without regard to ASCII case;
// duplicates may exist (a temporary import beside a saved formula) and lookups find the first.
//
// Saves go to "userformula.txt.tmp" and then replace the file, so a failed save never loses
// it. Formulas imported for this run only (temporary) sit in the list but are never written.
// When the file could not be read whole (a block without its end marker, a file too large to
// read), the first save copies it to "userformula.txt.bak" before replacing it.
//
// Pointers returned by the find functions stay valid until the list next changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/formula.h"
#include "platform/ui.h"

namespace zor {

constexpr size_t kFormulaNameMax = 31;  // bytes

inline constexpr std::string_view kFormulaSaveFailedText = "公式保存失败：无法写入 userformula.txt。";
inline constexpr std::string_view kFormulaSaveCaption = "保存公式";

struct FormulaStore {
  std::string path;                  // the user formula file
  std::vector<FormulaDef> formulas;  // in file order, temporary imports where they were added
  bool loaded = false;
  // The file was not read whole; it is copied aside before the first save replaces it.
  bool keepOriginal = false;
  // Files larger than this are not read (and are kept aside before a save).
  uint64_t maxFileBytes = 256ull << 20;
};

// The directory of the running executable followed by "userformula.txt".
std::string userFormulaPath();

// The process-wide store on userFormulaPath(), created on first use.
FormulaStore& userFormulaStore();

// Reads the file once per store; later calls do nothing. A missing or unreadable file leaves
// the list empty.
void loadUserFormulas(FormulaStore& store);

// Writes every formula except the temporary ones, in order, replacing the file. On failure a
// warning box says so (the list in memory keeps the change) and false is returned.
bool saveUserFormulas(FormulaStore& store, UiServices& ui);

// The first user formula of that name (loading the list if needed), or nullptr.
const FormulaDef* findUserFormula(FormulaStore& store, std::string_view name);
bool isUserFormula(FormulaStore& store, std::string_view name);

// The first user formula of that name, else the built-in of that name, else nullptr. The
// charts, the indicator dialogs and the formula manager find formulas this way.
const FormulaDef* findFormula(FormulaStore& store, std::string_view name);
const FormulaDef* findFormula(std::string_view name);  // in userFormulaStore()

// Replaces the first user formula of the same name or appends `def`, then saves. The stored
// copy is an ordinary saved user formula (neither built-in nor temporary), so saving a
// temporary import or a copy of a built-in makes it permanent. False when the save failed.
bool upsertUserFormula(FormulaStore& store, const FormulaDef& def, UiServices& ui);

// The same without saving, for callers that add many formulas and then save once.
void putUserFormula(FormulaStore& store, const FormulaDef& def);

// Removes the first user formula of that name, keeping the others' order, and saves. True
// when a formula was removed.
bool deleteUserFormula(FormulaStore& store, std::string_view name, UiServices& ui);

// Swaps the first user formula of that name with its neighbour before (up) or after it and
// saves. Nothing happens at either end of the list; true when it moved.
bool moveUserFormula(FormulaStore& store, std::string_view name, bool up, UiServices& ui);

// Appends `def` marked temporary, without saving: it lives for this run only.
void addTemporaryFormula(FormulaStore& store, const FormulaDef& def);

// Gives the first user formula named oldName the name newName and saves. Refused, with the
// reason in `error` and nothing changed, when no user formula has the old name, the new name
// is empty or longer than 31 bytes, or another formula (user or built-in) already has it.
// Changing only the letter case of a name is allowed.
bool renameUserFormula(FormulaStore& store, std::string_view oldName, std::string_view newName, UiServices& ui,
                       std::string& error);

// The formula manager's "加入常用": takes findFormula(name), inverts its favourite mark and
// stores the copy as a user formula (a built-in thus becomes a user formula of the same name).
// False when there is no such formula; nowFavourite receives the new mark.
bool toggleFavouriteFormula(FormulaStore& store, std::string_view name, UiServices& ui, bool& nowFavourite);

// Writes the blocks of `list` to `path`, replacing the file; false when it could not be
// written (the old file, if any, is left as it was).
bool exportFormulas(const std::vector<FormulaDef>& list, const std::string& path);

}  // namespace zor
