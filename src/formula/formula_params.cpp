// Parameter completion by trial runs.
#include "formula/formula_params.h"

#include <algorithm>
#include <cmath>

#include "platform/text.h"

namespace zor {
namespace {

constexpr std::string_view kUndefinedPrefix = "未定义的标识符 '";

}  // namespace

double defaultParamValue(std::string_view name) {
  struct Rule {
    const char* name;
    double value;
  };
  static const Rule kRules[] = {{"N", 9},   {"M", 3},      {"M1", 3},    {"M2", 3},  {"M3", 3},
                                {"P", 2},   {"SHORT", 12}, {"LONG", 26}, {"MID", 9}};
  for (const Rule& r : kRules)
    if (name == r.name) return r.value;
  return 5;
}

FormulaInput makeTrialInput(int n) {
  FormulaInput in;
  double o = 10;
  for (int i = 0; i < n; ++i) {
    double c = o + 0.35 * std::sin(0.37 * i) + 0.02;
    double vol = double(i % 17) * 5000 + 100000;
    in.open.push_back(o);
    in.close.push_back(c);
    in.high.push_back(std::max(o, c) + 0.15);
    in.low.push_back(std::min(o, c) - 0.15);
    in.volume.push_back(vol);
    in.amount.push_back(c * vol * 100);
    in.dates.push_back(20260101 + i);
    in.times.push_back(0);
    o = c;
  }
  return in;
}

std::optional<std::string> undefinedIdentifierIn(std::string_view message) {
  size_t at = message.find(kUndefinedPrefix);
  if (at == std::string_view::npos) return std::nullopt;
  size_t start = at + kUndefinedPrefix.size();
  size_t end = message.find('\'', start);
  if (end == std::string_view::npos || end == start) return std::nullopt;
  return std::string(message.substr(start, end - start));
}

bool isDeclarableParamName(std::string_view name) {
  if (name.empty() || name.size() > 23) return false;
  for (char c : name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return !isLibraryFunctionName(toUpperAscii(name));
}

bool compileWithParamCompletion(const std::string& source, std::vector<FormulaParam>& params,
                                std::vector<std::string>& added, std::string& error) {
  error.clear();
  const FormulaInput trial = makeTrialInput(60);
  FormulaDef def;
  def.source = source;
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string runError;
  for (int pass = 0; pass < kParamCompletionPasses; ++pass) {
    def.params = params;
    // Compile errors never name an undefined identifier, so one call serves both steps: any
    // message that does not name one ends the completion with that message.
    if (compileAndRunFormula(def, trial, lines, drawings, runError)) return true;
    std::optional<std::string> name = undefinedIdentifierIn(runError);
    if (!name || !isDeclarableParamName(*name)) {
      error = runError;
      return false;
    }
    params.push_back({*name, kCompletedParamMin, kCompletedParamMax, defaultParamValue(*name)});
    added.push_back(*name);
  }
  // The last declaration was never proved: name what still fails.
  error = "自动补参数后仍然无法运行（" + runError + "）";
  return false;
}

std::string joinNames(const std::vector<std::string>& names, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out += separator;
    out += names[i];
  }
  return out;
}

}  // namespace zor
