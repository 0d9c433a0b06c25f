// The user formula list and its file.
#include "formula/formula_store.h"

#include "formula/builtin_formulas.h"
#include "formula/formula_file.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {
namespace {

FormulaDef* findMutable(FormulaStore& store, std::string_view name, size_t* index = nullptr) {
  loadUserFormulas(store);
  for (size_t i = 0; i < store.formulas.size(); ++i)
    if (equalsIgnoreCase(store.formulas[i].name, name)) {
      if (index) *index = i;
      return &store.formulas[i];
    }
  return nullptr;
}

std::string fileText(const std::vector<FormulaDef>& list, bool skipTemporary) {
  std::string out;
  for (const FormulaDef& def : list)
    if (!(skipTemporary && def.temporary)) out += formulaBlockText(def);
  return out;
}

}  // namespace

std::string userFormulaPath() { return executableDirectory() + "userformula.txt"; }

FormulaStore& userFormulaStore() {
  static FormulaStore store = [] {
    FormulaStore s;
    s.path = userFormulaPath();
    return s;
  }();
  return store;
}

void loadUserFormulas(FormulaStore& store) {
  if (store.loaded) return;
  store.loaded = true;
  store.formulas.clear();
  uint64_t size = 0;
  if (!fileSize(store.path, size)) return;  // no file yet: an empty list
  std::string bytes;
  if (size > store.maxFileBytes || !readFile(store.path, bytes, store.maxFileBytes)) {
    // The file exists but was not read: a save must not replace it unseen.
    store.keepOriginal = true;
    return;
  }
  FormulaFileContent content = parseFormulaFile(bytes);
  store.formulas = std::move(content.formulas);
  store.keepOriginal = content.damaged;
}

bool saveUserFormulas(FormulaStore& store, UiServices& ui) {
  loadUserFormulas(store);
  bool ok = true;
  if (store.keepOriginal && fileExists(store.path)) ok = copyFile(store.path, store.path + ".bak");
  if (ok) ok = writeFileAtomic(store.path, fileText(store.formulas, true));
  if (!ok) {
    ui.messageBox(kFormulaSaveFailedText, kFormulaSaveCaption, MsgWarning | MsgOk);
    return false;
  }
  // The original is safe in the .bak copy; later saves may replace the file freely.
  store.keepOriginal = false;
  return true;
}

const FormulaDef* findUserFormula(FormulaStore& store, std::string_view name) { return findMutable(store, name); }

bool isUserFormula(FormulaStore& store, std::string_view name) { return findMutable(store, name) != nullptr; }

const FormulaDef* findFormula(FormulaStore& store, std::string_view name) {
  if (const FormulaDef* def = findMutable(store, name)) return def;
  return findBuiltinFormula(name);
}

const FormulaDef* findFormula(std::string_view name) { return findFormula(userFormulaStore(), name); }

void putUserFormula(FormulaStore& store, const FormulaDef& def) {
  FormulaDef copy = def;
  copy.builtin = false;
  copy.temporary = false;
  if (FormulaDef* existing = findMutable(store, def.name)) *existing = std::move(copy);
  else store.formulas.push_back(std::move(copy));
}

bool upsertUserFormula(FormulaStore& store, const FormulaDef& def, UiServices& ui) {
  putUserFormula(store, def);
  return saveUserFormulas(store, ui);
}

bool deleteUserFormula(FormulaStore& store, std::string_view name, UiServices& ui) {
  size_t index = 0;
  if (!findMutable(store, name, &index)) return false;
  store.formulas.erase(store.formulas.begin() + ptrdiff_t(index));
  saveUserFormulas(store, ui);
  return true;
}

bool moveUserFormula(FormulaStore& store, std::string_view name, bool up, UiServices& ui) {
  size_t index = 0;
  if (!findMutable(store, name, &index)) return false;
  if (up ? index == 0 : index + 1 >= store.formulas.size()) return false;
  size_t other = up ? index - 1 : index + 1;
  std::swap(store.formulas[index], store.formulas[other]);
  saveUserFormulas(store, ui);
  return true;
}

void addTemporaryFormula(FormulaStore& store, const FormulaDef& def) {
  loadUserFormulas(store);
  FormulaDef copy = def;
  copy.builtin = false;
  copy.temporary = true;
  store.formulas.push_back(std::move(copy));
}

bool renameUserFormula(FormulaStore& store, std::string_view oldName, std::string_view newName, UiServices& ui,
                       std::string& error) {
  error.clear();
  FormulaDef* def = findMutable(store, oldName);
  if (!def) {
    error = "没有名为「" + std::string(oldName) + "」的用户公式。";
    return false;
  }
  if (trim(newName).empty()) {
    error = "公式名称不能为空。";
    return false;
  }
  if (newName.size() > kFormulaNameMax) {
    error = "公式名称不能超过 31 个字节（约 10 个汉字）。";
    return false;
  }
  const FormulaDef* clash = findFormula(store, newName);
  if (clash && clash != def) {
    error = "已存在名为「" + std::string(newName) + "」的公式。";
    return false;
  }
  def->name = std::string(newName);
  return saveUserFormulas(store, ui);
}

bool toggleFavouriteFormula(FormulaStore& store, std::string_view name, UiServices& ui, bool& nowFavourite) {
  const FormulaDef* found = findFormula(store, name);
  if (!found) return false;
  FormulaDef copy = *found;
  copy.favourite = !copy.favourite;
  nowFavourite = copy.favourite;
  upsertUserFormula(store, copy, ui);
  return true;
}

bool exportFormulas(const std::vector<FormulaDef>& list, const std::string& path) {
  return writeFileAtomic(path, fileText(list, false));
}

}  // namespace zor
