// Parameter completion. Formulas copied from elsewhere often use N, M, SHORT, LONG ... without
// declaring them. compileWithParamCompletion finds each name a formula uses but nobody
// defines, declares it with a conventional default, and proves by a trial run on synthetic
// bars that the formula then runs. The formula editor and the importer use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formula/formula.h"

namespace zor {

// Passes of the completion: each pass finds at most one name (a run stops at its first
// undefined identifier), so up to eight undeclared names can be completed.
constexpr int kParamCompletionPasses = 9;
constexpr double kCompletedParamMin = 1;
constexpr double kCompletedParamMax = 250;

// Conventional default of a parameter found undeclared: N 9; M, M1, M2, M3 3; P 2; SHORT 12;
// LONG 26; MID 9; any other name 5. Names are compared exactly (upper case).
double defaultParamValue(std::string_view name);

// n synthetic bars around 10 yuan: close wanders by 0.35*sin(0.37*i), each open is the previous
// close, dates count up from 20260101 by plain addition (trial only), times are 0.
FormulaInput makeTrialInput(int n);

// The name between "未定义的标识符 '" and the next "'" of a run error; nothing when the
// message is not of that form or the name is empty.
std::optional<std::string> undefinedIdentifierIn(std::string_view message);

// True for a name the completion may declare: 1 to 23 bytes of ASCII letters, digits and _,
// and not the name of a library or drawing function. Prose (Chinese words) or a misspelt
// function name is never turned into a parameter.
bool isDeclarableParamName(std::string_view name);

// Compiles and trial-runs `source`, declaring undefined names in `params` (minimum 1, maximum
// 250, defaultParamValue) as it goes; `added` receives the names declared, in the order they
// were found. On failure `error` holds one message and `params` may already hold the names
// declared before it. The source is never changed.
bool compileWithParamCompletion(const std::string& source, std::vector<FormulaParam>& params,
                                std::vector<std::string>& added, std::string& error);

// The names joined by "、" as the completion reports show them.
std::string joinNames(const std::vector<std::string>& names, std::string_view separator = "、");

}  // namespace zor
