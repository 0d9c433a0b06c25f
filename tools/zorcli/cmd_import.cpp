// zorcli import: the formula manager's import run on files as a user would bring them (blocks
// written by the export, or free text copied from a web page), printing the formula blocks
// that result. The import cleans the text, picks out the statements, declares the parameters
// the text uses without declaring them, and refuses what it cannot use; its message boxes
// (the report, the refusals) go to stderr as "[caption] text". Nothing is saved: the formulas
// go to a store of their own, as a temporary import does.
#include "formula/formula_file.h"
#include "formula/formula_import.h"
#include "formula/formula_store.h"
#include "zorcli.h"

namespace zor::cli {

int cmdImport(const Options& opt) {
  if (opt.positional.empty()) {
    err("用法: zorcli import FILE...");
    return kExitUsage;
  }
  StderrUi ui;
  int status = kExitOk;
  for (const std::string& path : opt.positional) {
    FormulaStore store;
    store.loaded = true;  // no user formula file: the import's formulas only
    if (importFormulaFile(store, path, false, ui) == 0) status = kExitFailure;
    for (const FormulaDef& def : store.formulas) {
      std::string block = formulaBlockText(def);
      std::fwrite(block.data(), 1, block.size(), stdout);
    }
  }
  return status;
}

}  // namespace zor::cli
