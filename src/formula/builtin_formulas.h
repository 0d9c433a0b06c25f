// The 36 indicator formulas that ship with the program. They are ordinary FormulaDefs (type 0
// "技术指标", decimals 2, builtin set) drawn through compileAndRunFormula like user formulas;
// they cannot be edited or deleted, and a user formula of the same name hides one of them
// wherever formulas are looked up by name (findFormula in formula_store.h).
#pragma once

#include <string_view>
#include <vector>

#include "formula/formula.h"

namespace zor {

constexpr int kBuiltinFormulaCount = 36;

// The built-ins in their fixed order (MA, MA2, BBI, ... MCST). Created on first use and never
// changed afterwards, so references into it stay valid for the whole run.
const std::vector<FormulaDef>& builtinFormulas();

// The first built-in whose name equals `name` with ASCII letters compared without regard to
// case; other bytes must match exactly (唐奇安). nullptr when there is none.
const FormulaDef* findBuiltinFormula(std::string_view name);

// The group under which the formula manager files a formula of this name and draw method:
// "均线型", "路径型", "停损型", "趋势型", "超买超卖型", "能量型", "成交量型" or "其他类型".
// Names are compared exactly (formula names of the built-ins are upper case), so a sub-chart
// BOLL is "其他类型".
const char* formulaGroup(std::string_view name, int drawMethod);

// The eight groups in the order the formula manager lists them.
const std::vector<const char*>& formulaGroupOrder();

}  // namespace zor
