// zorcli formulas: the built-in formulas and those of a formula file, with their parameters;
// and the lookup of `calc --formula NAME [--formula-file FILE]`.
#include <cstdlib>

#include "formula/builtin_formulas.h"
#include "formula/formula_file.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "zorcli.h"

namespace zor::cli {

namespace {

// Formula files are small; a bigger file is surely something else.
constexpr uint64_t kMaxFormulaFileBytes = 256ull << 20;

bool readFormulaFile(const std::string& path, FormulaFileContent& content, std::string& error) {
  std::string bytes;
  if (!readFile(path, bytes, kMaxFormulaFileBytes)) {
    error = "公式文件打不开: " + path;
    return false;
  }
  content = parseFormulaFile(bytes);
  if (content.damaged) err("注意: " + path + " 中有缺少 ###END### 的公式块");
  return true;
}

std::string paramsText(const FormulaDef& def) {
  std::string out;
  for (const FormulaParam& p : def.params)
    out += (out.empty() ? "" : " ") + p.name + "=" + formulaNumberText(p.defaultValue) + "(" +
           formulaNumberText(p.minimum) + ".." + formulaNumberText(p.maximum) + ")";
  return out;
}

void printFormula(const char* origin, const FormulaDef& def) {
  out(strPrintf("%s,%s,%s,%d,%d,%s,%s", origin, csvField(def.name).c_str(), csvField(def.description).c_str(),
                int(def.type), int(def.drawMethod), formulaGroup(def.name, def.drawMethod),
                csvField(paramsText(def)).c_str()));
}

}  // namespace

int cmdFormulas(const Options& opt) {
  if (opt.positional.size() > 1) {
    err("用法: zorcli formulas [FILE]");
    return kExitUsage;
  }
  FormulaFileContent content;
  std::string error;
  if (!opt.positional.empty() && !readFormulaFile(opt.positional[0], content, error)) {
    err(error);
    return kExitFailure;
  }
  out("origin,name,description,type,draw,group,params");
  for (const FormulaDef& def : builtinFormulas()) printFormula("系统", def);
  for (const FormulaDef& def : content.formulas) printFormula("文件", def);
  return kExitOk;
}

int calcFormulaFromOptions(const Options& opt, FormulaDef& def, std::string& error) {
  std::string name = opt.get("formula");
  const FormulaDef* found = nullptr;
  FormulaFileContent content;
  if (opt.has("formula-file")) {
    if (!readFormulaFile(opt.get("formula-file"), content, error)) return kExitFailure;
    // The file's formulas hide the built-ins of the same name, as user formulas do.
    for (const FormulaDef& d : content.formulas)
      if (!found && equalsIgnoreCase(d.name, name)) found = &d;
  }
  if (!found) found = findBuiltinFormula(name);
  if (!found) {
    error = "未找到公式: " + name;
    return kExitFailure;
  }
  def = *found;
  // --params N1=5,N2=10 replaces the defaults of declared parameters by name.
  std::string text = opt.get("params");
  for (size_t p = 0; p < text.size();) {
    size_t comma = text.find(',', p);
    std::string item = text.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
    p = comma == std::string::npos ? text.size() : comma + 1;
    size_t eq = item.find('=');
    std::string param = toUpperAscii(trim(item.substr(0, eq == std::string::npos ? 0 : eq)));
    std::string value(trim(eq == std::string::npos ? std::string() : item.substr(eq + 1)));
    char* end = nullptr;
    double v = std::strtod(value.c_str(), &end);
    if (eq == std::string::npos || param.empty() || value.empty() || *end != '\0') {
      error = "参数格式应为 名称=数值,名称=数值: " + item;
      return kExitUsage;
    }
    bool set = false;
    for (FormulaParam& fp : def.params)
      if (fp.name == param) fp.defaultValue = v, set = true;
    if (!set) {
      error = "公式 " + def.name + " 没有参数 " + param;
      return kExitUsage;
    }
  }
  return kExitOk;
}

}  // namespace zor::cli
