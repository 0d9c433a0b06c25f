// Import of formula text and files.
//
// Free text is read line by line. Outside brace comments and parentheses, a line is left out
// when it is commentary (empty, a link, a name label such as "公式名称：", or a note such as
// "作者：") and kept when it looks like a statement (begins with '{', holds ':' or ends with ';'
// or ','). Inside a brace comment or an open parenthesis every line is kept as it stands, so
// statements and comments that span lines stay whole. Parentheses are counted only in kept
// lines and never inside quotes or after "//", so an unbalanced "(" in a note cannot swallow
// the statements after it.
#include "formula/formula_import.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "formula/formula_file.h"
#include "formula/formula_params.h"
#include "formula/parser.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {
namespace {

constexpr uint64_t kMaxImportBytes = 64ull << 20;
constexpr const char* kImportCaption = "导入公式";
constexpr const char* kInsertCaption = "引入公式";

const char* const kNameLabels[] = {"名称", "公式名称", "指标名称", "指标名", "公式名"};
const char* const kNoteWords[] = {"作者", "来源", "说明", "用法", "注意",     "简介",
                                  "适用", "版本", "版权", "指标说明", "公式说明", "使用方法"};

// Blank at a line's ends: control bytes and space, and the two spaces the lexer also reads
// as blanks (U+3000 ideographic space, U+00A0 no-break space), which pasted text often
// carries as indentation.
std::string_view trimBlank(std::string_view s) {
  for (;;) {
    if (!s.empty() && (unsigned char)s.front() <= 32) s.remove_prefix(1);
    else if (startsWith(s, "\xE3\x80\x80")) s.remove_prefix(3);
    else if (startsWith(s, "\xC2\xA0")) s.remove_prefix(2);
    else break;
  }
  for (;;) {
    if (!s.empty() && (unsigned char)s.back() <= 32) s.remove_suffix(1);
    else if (endsWith(s, "\xE3\x80\x80")) s.remove_suffix(3);
    else if (endsWith(s, "\xC2\xA0")) s.remove_suffix(2);
    else break;
  }
  return s;
}

// True when the trimmed line is commentary; `name` receives the name a label line carries.
bool isCommentaryLine(std::string_view line, std::string& name) {
  name.clear();
  if (line.empty()) return true;
  if (line.find("http://") != std::string_view::npos || line.find("https://") != std::string_view::npos ||
      line.find("www.") != std::string_view::npos)
    return true;
  for (const char* label : kNameLabels) {
    size_t at = line.find(label);
    if (at == std::string_view::npos || at >= 3) continue;
    size_t colon = line.find(':', at + std::string_view(label).size());
    if (colon == std::string_view::npos) continue;
    name = std::string(trimBlank(line.substr(colon + 1)));
    return true;
  }
  for (const char* word : kNoteWords)
    if (startsWith(line, word)) return true;
  // A heading such as "源码：" or "参数表：": words ending in a colon with nothing after it.
  // Taken as a statement it would have no expression and fail the whole import.
  if (line.back() == ':') {
    bool ascii = false;
    for (size_t i = 0; i + 1 < line.size(); ++i) ascii = ascii || (unsigned char)line[i] < 0x80;
    if (!ascii) return true;
  }
  return false;
}

// Parameter values that pasted text gives outside the formula, in two shapes:
//  - a row of a parameter table, "N1  1  100  5": an ASCII name, then minimum, maximum and
//    default, separated by blanks, tabs or commas;
//  - assignments such as "参数：N=12，M=26" or "N=12 M=26": name=value pairs, optionally after
//    a Chinese label and a colon; each value is a default, the range 1..250 widened to hold it.
// Such lines are no statements (at most a comparison without effect), so they are left out.
bool parseParamHints(std::string_view line, std::vector<FormulaParam>& out) {
  std::string s(line);
  size_t colon = s.find(':');
  if (colon != std::string::npos && colon > 0) {
    bool label = true;
    for (size_t i = 0; i < colon; ++i) label = label && (unsigned char)s[i] >= 0x80;
    if (label) s = s.substr(colon + 1);
  }
  for (size_t p; (p = s.find("\xE3\x80\x81")) != std::string::npos;) s.replace(p, 3, " ");  // 、
  for (char& c : s)
    if (c == ',' || c == ';' || c == '\t') c = ' ';
  const char* q = s.c_str();
  auto skipBlanks = [&] {
    while (*q == ' ') ++q;
  };
  auto readName = [&] {
    const char* b = q;
    while ((*q >= 'A' && *q <= 'Z') || (*q >= 'a' && *q <= 'z') || (*q >= '0' && *q <= '9') || *q == '_') ++q;
    std::string name = toUpperAscii(std::string_view(b, size_t(q - b)));
    return (name.empty() || (name[0] >= '0' && name[0] <= '9')) ? std::string() : name;
  };
  auto readNumber = [&](double& v) {
    char* end = nullptr;
    v = std::strtod(q, &end);
    if (end == q || !std::isfinite(v)) return false;
    q = end;
    return true;
  };
  std::vector<FormulaParam> found;
  skipBlanks();
  std::string first = readName();
  if (first.empty()) return false;
  skipBlanks();
  if (*q != '=') {
    double v[3];
    for (double& x : v) {
      if (!readNumber(x)) return false;
      skipBlanks();
    }
    if (*q != '\0' || !isDeclarableParamName(first)) return false;
    out.push_back({first, v[0], v[1], v[2]});
    return true;
  }
  for (std::string name = first;;) {
    if (*q != '=') return false;
    ++q;
    skipBlanks();
    double v = 0;
    if (!readNumber(v)) return false;
    found.push_back({name, std::min(kCompletedParamMin, v), std::max(kCompletedParamMax, v), v});
    skipBlanks();
    if (*q == '\0') break;
    name = readName();
    if (name.empty()) return false;
    skipBlanks();
  }
  for (const FormulaParam& p : found)
    if (!isDeclarableParamName(p.name)) return false;
  out.insert(out.end(), found.begin(), found.end());
  return true;
}

bool isStatementLine(std::string_view line) {
  if (line.empty()) return false;
  return line.front() == '{' || line.find(':') != std::string_view::npos || line.back() == ';' ||
         line.back() == ',';
}

// The text's first "NAME.FIELD" reference to another indicator's output (KDJ.K), or empty.
std::string indicatorReferenceIn(std::string_view s) {
  auto identByte = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           (unsigned char)c >= 0x80;
  };
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (unsigned char)c >= 0x80; };
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    if (s[i] != '.' || !identByte(s[i - 1]) || !letter(s[i + 1])) continue;
    size_t b = i;
    while (b > 0 && identByte(s[b - 1])) --b;
    if (!letter(s[b])) continue;  // "1.5E" is a number
    size_t e = i + 1;
    while (e < s.size() && identByte(s[e])) ++e;
    return std::string(s.substr(b, e - b));
  }
  return {};
}

std::string withoutCarriageReturns(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

bool readImportFile(const std::string& path, std::string& text) {
  std::string bytes;
  if (!readFile(path, bytes, kMaxImportBytes)) return false;
  text = withoutCarriageReturns(decodeFormulaFileText(bytes));
  return true;
}

std::string paramListText(const std::vector<FormulaParam>& params) {
  std::string out;
  for (size_t i = 0; i < params.size(); ++i) {
    if (i) out += ' ';
    out += params[i].name + "=" + strPrintf("%g", params[i].defaultValue);
  }
  return out;
}

// Names the completion declared that the text gives values for elsewhere take those values,
// and are no longer reported as given no value. The formula is run once more with them, and
// keeps the conventional values if it then fails.
void takeValuesFromHints(const std::vector<FormulaParam>& rows, ImportResult& r) {
  if (rows.empty()) return;
  std::vector<FormulaParam> params = r.params;
  std::vector<std::string> added;
  for (const std::string& name : r.added) {
    const FormulaParam* row = nullptr;
    for (const FormulaParam& p : rows)
      if (p.name == name && !row) row = &p;
    if (!row) {
      added.push_back(name);
      continue;
    }
    for (FormulaParam& p : params)
      if (p.name == name) p = *row;
  }
  if (added.size() == r.added.size()) return;
  FormulaDef def;
  def.source = r.source;
  def.params = params;
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  if (!compileAndRunFormula(def, makeTrialInput(60), lines, drawings, error)) return;
  r.params = std::move(params);
  r.added = std::move(added);
}

struct ImportCandidate {
  FormulaDef def;
  std::vector<std::string> added;  // as the report lists them
};

}  // namespace

std::string cleanFormulaText(std::string_view text) {
  // Indexed by the third byte of EF BC xx, 0x81..0x9E; 0 keeps the sequence.
  static const char kAscii[] = "!\0\0\0\0\0\0()*+,-./\0\0\0\0\0\0\0\0\0\0:;<=>";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (i + 2 < text.size() && (unsigned char)text[i] == 0xEF && (unsigned char)text[i + 1] == 0xBC) {
      unsigned b = (unsigned char)text[i + 2];
      if (b >= 0x81 && b <= 0x9E && kAscii[b - 0x81] != '\0') {
        out += kAscii[b - 0x81];
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

ImportResult extractFormulaFromText(std::string_view text, std::string_view defaultName, bool completeParams) {
  ImportResult r;
  std::string cleaned = withoutCarriageReturns(cleanFormulaText(text));
  std::string_view all(cleaned);
  std::string foundName;
  std::vector<FormulaParam> hints;
  bool inComment = false;
  int depth = 0;
  size_t pos = 0;
  while (pos <= all.size()) {
    size_t nl = all.find('\n', pos);
    size_t end = nl == std::string_view::npos ? all.size() : nl;
    std::string_view line = all.substr(pos, end - pos);
    pos = end + 1;
    if (nl == std::string_view::npos && line.empty()) break;

    bool kept = false;
    if (!inComment && depth < 1) {
      std::string_view t = trimBlank(line);
      std::string labelName;
      if (isCommentaryLine(t, labelName)) {
        if (!labelName.empty() && foundName.empty()) foundName = labelName;
      } else if (parseParamHints(t, hints)) {
        // values for names the completion would otherwise declare with conventional defaults
      } else if (isStatementLine(t)) {
        kept = true;
      }
    } else {
      kept = true;
    }
    if (kept) {
      r.source.append(line);
      r.source += '\n';
    }

    char quote = 0;
    bool lineComment = false;
    for (size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (inComment) {
        if (c == '}') inComment = false;
        continue;
      }
      if (c == '{') {
        inComment = true;
        continue;
      }
      if (!kept || lineComment) continue;
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
        lineComment = true;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && depth > 0) {
        --depth;
      }
    }
  }

  bool onlyBlanks = true;
  for (char c : r.source)
    if ((unsigned char)c >= '!') {
      onlyBlanks = false;
      break;
    }
  // Names longer than a name field holds are cut at a character boundary: the indicator
  // windows and the editor refuse longer names.
  std::string name = !foundName.empty() ? foundName : !defaultName.empty() ? std::string(defaultName) : "导入公式";
  r.name = cutUtf8(name, kFormulaNameMax);
  if (onlyBlanks) {
    r.error = "没找到公式语句（文件里可能只有说明文字）";
    return r;
  }
  if (completeParams) {
    r.ok = compileWithParamCompletion(r.source, r.params, r.added, r.error);
    if (r.ok) takeValuesFromHints(hints, r);
  } else {
    CompiledFormula compiled;
    r.ok = compileFormula(r.source, r.params, compiled, r.error);
  }
  if (!r.ok && startsWith(r.error, "无法识别的字符 '.'")) {
    std::string ref = indicatorReferenceIn(r.source);
    if (!ref.empty())
      r.error += "\n（" + ref + " 是对其他指标输出的引用，本程序不支持这种写法；请把所引用指标的计算语句写进公式里。）";
  }
  return r;
}

std::string formulaNameFromPath(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot != 0) base = base.substr(0, dot);
  return std::string(base);
}

int importFormulaFile(FormulaStore& store, const std::string& path, bool permanent, UiServices& ui) {
  std::string text;
  if (!readImportFile(path, text)) {
    ui.messageBox("文件打不开。", kImportCaption, MsgWarning | MsgOk);
    return 0;
  }

  std::vector<ImportCandidate> candidates;
  std::string failures;
  if (!hasFormulaBlock(text)) {
    ImportResult r = extractFormulaFromText(text, formulaNameFromPath(path), true);
    if (r.ok) {
      ImportCandidate c;
      c.def.name = r.name;
      c.def.description = "导入";
      c.def.params = r.params;
      c.def.source = r.source;
      c.added = r.added;
      std::string problem = formulaSaveProblem(c.def);
      if (!problem.empty()) {
        r.ok = false;
        r.error = problem;
      } else {
        candidates.push_back(std::move(c));
      }
    }
    if (!r.ok) {
      ui.messageBox("没能从文件里识别出公式，原因：\n\n" + r.error, kImportCaption, MsgWarning | MsgOk);
      return 0;
    }
  } else {
    std::string_view all(text);
    for (const FormulaBlockSpan& span : findFormulaBlocks(all)) {
      ImportCandidate c;
      c.def = parseFormulaBlock(all.substr(span.begin, span.end - span.begin));
      if (c.def.name.empty()) continue;
      if (span.atEnd) {
        // A block cut off by the end of the file may have lost its tail.
        failures += "【" + c.def.name + "】缺少结束标记 ###END###（文件可能不完整）\n";
        continue;
      }
      std::vector<std::string> added;
      std::string error;
      if (!compileWithParamCompletion(c.def.source, c.def.params, added, error)) {
        failures += "【" + c.def.name + "】" + error + "\n";
        continue;
      }
      for (const std::string& p : added) c.added.push_back(c.def.name + "." + p);
      candidates.push_back(std::move(c));
    }
  }

  // A permanent import asks once before it replaces user formulas of the same names.
  bool skipped = false;
  if (permanent) {
    std::vector<std::string> clashes;
    for (const ImportCandidate& c : candidates) {
      if (!isUserFormula(store, c.def.name)) continue;
      bool listed = false;
      for (const std::string& n : clashes) listed = listed || equalsIgnoreCase(n, c.def.name);
      if (!listed) clashes.push_back(c.def.name);
    }
    if (!clashes.empty()) {
      std::string question = "以下公式与已有的用户公式同名：\n  " + joinNames(clashes) +
                             "\n\n【是】全部替换    【否】跳过这些公式";
      if (ui.messageBox(question, kImportCaption, MsgQuestion | MsgYesNo) != ResultYes) {
        std::vector<ImportCandidate> kept;
        for (ImportCandidate& c : candidates)
          if (!isUserFormula(store, c.def.name)) kept.push_back(std::move(c));
        skipped = kept.size() != candidates.size();
        candidates = std::move(kept);
      }
    }
  }

  std::vector<std::string> addedNames;
  for (const ImportCandidate& c : candidates) {
    if (permanent) putUserFormula(store, c.def);
    else addTemporaryFormula(store, c.def);
    addedNames.insert(addedNames.end(), c.added.begin(), c.added.end());
  }
  if (permanent && !candidates.empty()) saveUserFormulas(store, ui);

  int count = int(candidates.size());
  if (count == 0 && !failures.empty()) {
    ui.messageBox(failures, "导入失败", MsgWarning | MsgOk);
  } else if (count == 0 && !skipped) {
    ui.messageBox("文件里没有可用的公式。", kImportCaption, MsgWarning | MsgOk);
  } else {
    std::string msg = strPrintf("已导入 %d 条公式。", count);
    if (!permanent) msg += "\n（临时导入：仅本次运行有效，退出后不保存）";
    if (!addedNames.empty())
      msg += "\n\n以下参数在网上原文里没给值，已按岳衡舟惯例自动补上，可以到「公式管理器 → 修改」里改：\n  " +
             joinNames(addedNames);
    if (!failures.empty()) msg += "\n\n以下公式未能导入：\n" + failures;
    ui.messageBox(msg, kImportCaption, MsgInfo | MsgOk);
  }
  return count;
}

bool insertFormulaFromFile(const std::string& path, UiServices& ui,
                           const std::function<void(const std::string&)>& insertAtCaret) {
  std::string text;
  if (!readImportFile(path, text)) {
    ui.messageBox("文件打不开。", kInsertCaption, MsgWarning | MsgOk);
    return false;
  }
  std::string name, source;
  std::vector<FormulaParam> params;
  if (hasFormulaBlock(text)) {
    std::vector<FormulaBlockSpan> spans = findFormulaBlocks(text);
    FormulaDef def = parseFormulaBlock(std::string_view(text).substr(spans[0].begin, spans[0].end - spans[0].begin));
    name = def.name;
    source = def.source;
    params = def.params;
  } else {
    ImportResult r = extractFormulaFromText(text, formulaNameFromPath(path), true);
    if (!r.ok) {
      ui.messageBox("没能从文件里识别出公式：\n\n" + r.error, kInsertCaption, MsgWarning | MsgOk);
      return false;
    }
    name = r.name;
    source = r.source;
    params = r.params;
  }
  if (source.empty()) {
    ui.messageBox("文件里没有公式内容。", kInsertCaption, MsgWarning | MsgOk);
    return false;
  }
  insertAtCaret(source);
  std::string msg = "已把「" + name + "」的公式内容插入到编辑区。";
  if (!params.empty())
    msg += strPrintf("\n\n原公式带 %d 个参数：", int(params.size())) + paramListText(params) +
           "\n需要的话点「参数精灵」可以自动填进参数表。";
  ui.messageBox(msg, kInsertCaption, MsgInfo | MsgOk);
  return true;
}

}  // namespace zor
