// Reading and writing formula blocks. The writer's byte sequence is fixed (older files and
// exports rely on it); the reader is lenient: it never fails, it keeps what each block holds.
#include "formula/formula_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace zor {
namespace {

// Calls fn(line, lineStart) for every line of `text` (split at '\n', without it). A text
// ending in '\n' has no empty last line.
template <typename Fn>
void forEachLine(std::string_view text, Fn&& fn) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    if (!fn(text.substr(pos, end - pos), pos)) return;
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
  }
}

std::string dropCarriageReturns(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

void dropTrailingLineFeeds(std::string& s) {
  while (!s.empty() && s.back() == '\n') s.pop_back();
}

// The decimal integer at the start of `s` as "%d" reads it (leading blanks, a sign); 0 when
// there is none. Values beyond 32 bits are held at the nearest limit.
int32_t leadingInt(std::string_view s) {
  std::string tmp(s);
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(tmp.c_str(), &end, 10);
  if (end == tmp.c_str()) return 0;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

// "name,minimum,maximum,default" as "%31[^,],%lf,%lf,%lf" reads it: a line that does not
// yield all four fields gives false.
bool parseParamLine(std::string_view rest, FormulaParam& out) {
  std::string tmp(rest);
  char name[32] = {};
  double lo = 0, hi = 0, def = 0;
  if (std::sscanf(tmp.c_str(), "%31[^,],%lf,%lf,%lf", name, &lo, &hi, &def) != 4) return false;
  out.name = toUpperAscii(cutUtf8(name, kFormulaParamNameMax));
  out.minimum = lo;
  out.maximum = hi;
  out.defaultValue = def;
  return true;
}

// Numbers separated by commas; reading stops at the first piece that is not a number.
std::vector<double> parseDividers(std::string_view rest) {
  std::vector<double> out;
  std::string tmp(rest);
  const char* p = tmp.c_str();
  while (out.size() < kFormulaYDividerMax) {
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p) break;
    out.push_back(v);
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != ',') break;
    p = end + 1;
  }
  return out;
}

void applyHeaderLine(std::string_view line, FormulaDef& def) {
  auto key = [&](std::string_view k, std::string_view& rest) {
    if (!startsWith(line, k)) return false;
    rest = line.substr(k.size());
    return true;
  };
  std::string_view rest;
  if (key("NAME:", rest)) def.name = std::string(rest);
  else if (key("DESC:", rest)) def.description = std::string(rest);
  else if (key("TYPE:", rest)) def.type = leadingInt(rest);
  else if (key("DRAW:", rest)) def.drawMethod = leadingInt(rest);
  else if (key("DEC:", rest)) def.decimals = leadingInt(rest);
  else if (key("VER:", rest)) def.version = std::string(rest);
  else if (key("AXIS:", rest)) def.axis = leadingInt(rest);
  else if (key("FAV:", rest)) def.favourite = leadingInt(rest) != 0;
  else if (key("PWD:", rest)) def.password = std::string(rest);
  else if (key("PARAM:", rest)) {
    FormulaParam p;
    if (parseParamLine(rest, p)) def.params.push_back(std::move(p));
  } else if (key("YDIV:", rest)) {
    def.yDividers = parseDividers(rest);
  }
}

// Offset of the first whole line equal to `word` in `text`, or npos.
size_t findWholeLine(std::string_view text, std::string_view word) {
  size_t found = std::string_view::npos;
  forEachLine(text, [&](std::string_view line, size_t start) {
    if (!isWholeLine(line, word)) return true;
    found = start;
    return false;
  });
  return found;
}

// Offset just after the line starting at `lineStart`.
size_t afterLine(std::string_view text, size_t lineStart) {
  size_t nl = text.find('\n', lineStart);
  return nl == std::string_view::npos ? text.size() : nl + 1;
}

}  // namespace

std::string decodeFormulaFileText(std::string_view bytes) {
  if (bytes.size() >= 3 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
      (unsigned char)bytes[2] == 0xBF)
    return std::string(bytes.substr(3));
  bool ascii = true;
  for (char c : bytes)
    if ((unsigned char)c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii || isValidUtf8(bytes)) return std::string(bytes);
  return gbkToUtf8(bytes);
}

bool isWholeLine(std::string_view line, std::string_view word) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line == word;
}

std::string formulaBlockText(const FormulaDef& def) {
  std::string out;
  out.reserve(def.source.size() + def.usage.size() + 160);
  out += kFormulaBeginMarker;
  out += '\n';
  out += "NAME:" + def.name + "\n";
  out += "DESC:" + def.description + "\n";
  out += strPrintf("TYPE:%d\nDRAW:%d\nDEC:%d\n", int(def.type), int(def.drawMethod), int(def.decimals));
  if (!def.version.empty()) out += "VER:" + def.version + "\n";
  out += strPrintf("AXIS:%d\n", int(def.axis));
  if (def.favourite) out += "FAV:1\n";
  if (!def.password.empty()) out += "PWD:" + def.password + "\n";
  for (const FormulaParam& p : def.params)
    out += "PARAM:" + p.name + "," + formulaNumberText(p.minimum) + "," + formulaNumberText(p.maximum) + "," +
           formulaNumberText(p.defaultValue) + "\n";
  if (!def.yDividers.empty()) {
    out += "YDIV:";
    for (size_t i = 0; i < def.yDividers.size() && i < kFormulaYDividerMax; ++i) {
      if (i) out += ',';
      out += formulaNumberText(def.yDividers[i]);
    }
    out += '\n';
  }
  out += "TEXT:\n" + def.source + "\n";
  if (!def.usage.empty()) out += "USAGE:\n" + def.usage + "\n";
  out += kFormulaEndMarker;
  out += '\n';
  return out;
}

FormulaDef parseFormulaBlock(std::string_view blockText) {
  FormulaDef def;
  std::string text = dropCarriageReturns(blockText);
  std::string_view all(text);
  size_t textLine = findWholeLine(all, "TEXT:");
  std::string_view header = textLine == std::string_view::npos ? all : all.substr(0, textLine);
  forEachLine(header, [&](std::string_view line, size_t) {
    applyHeaderLine(line, def);
    return true;
  });
  if (textLine == std::string_view::npos) return def;

  std::string_view body = all.substr(afterLine(all, textLine));
  size_t usageLine = findWholeLine(body, "USAGE:");
  if (usageLine == std::string_view::npos) {
    def.source = std::string(body);
  } else {
    def.source = std::string(body.substr(0, usageLine));
    def.usage = std::string(body.substr(afterLine(body, usageLine)));
  }
  dropTrailingLineFeeds(def.source);
  dropTrailingLineFeeds(def.usage);
  return def;
}

std::vector<FormulaBlockSpan> findFormulaBlocks(std::string_view text) {
  std::vector<FormulaBlockSpan> out;
  bool inside = false;
  size_t start = 0;
  forEachLine(text, [&](std::string_view line, size_t lineStart) {
    if (isWholeLine(line, kFormulaBeginMarker)) {
      if (inside) out.push_back({start, lineStart, false, false});
      inside = true;
      start = lineStart;
    } else if (inside && isWholeLine(line, kFormulaEndMarker)) {
      out.push_back({start, lineStart, true, false});
      inside = false;
    }
    return true;
  });
  if (inside) out.push_back({start, text.size(), false, true});
  return out;
}

bool hasFormulaBlock(std::string_view text) {
  return findWholeLine(text, kFormulaBeginMarker) != std::string_view::npos;
}

FormulaFileContent parseFormulaFile(std::string_view bytes) {
  FormulaFileContent out;
  std::string text = dropCarriageReturns(decodeFormulaFileText(bytes));
  std::string_view all(text);
  for (const FormulaBlockSpan& span : findFormulaBlocks(all)) {
    if (!span.complete) out.damaged = true;
    if (span.atEnd) continue;
    FormulaDef def = parseFormulaBlock(all.substr(span.begin, span.end - span.begin));
    if (!def.name.empty()) out.formulas.push_back(std::move(def));
  }
  return out;
}

std::string formulaNumberText(double v) {
  std::string shortForm = strPrintf("%g", v);
  if (std::strtod(shortForm.c_str(), nullptr) == v) return shortForm;
  return strPrintf("%.17g", v);
}

std::string storedPasswordForm(std::string_view utf8Password) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8Password.size() * 2);
  for (size_t j = 0; j < utf8Password.size(); ++j) {
    unsigned b = (unsigned char)utf8Password[j] ^ unsigned((j * 7) % 31 + 90);
    out += kHex[(b >> 4) & 15];
    out += kHex[b & 15];
  }
  return out;
}

std::string formulaSaveProblem(const FormulaDef& def) {
  bool bad = false;
  forEachLine(def.source, [&](std::string_view line, size_t) {
    bad = isWholeLine(line, kFormulaBeginMarker) || isWholeLine(line, kFormulaEndMarker) ||
          isWholeLine(line, "USAGE:");
    return !bad;
  });
  if (!bad)
    forEachLine(def.usage, [&](std::string_view line, size_t) {
      bad = isWholeLine(line, kFormulaBeginMarker) || isWholeLine(line, kFormulaEndMarker);
      return !bad;
    });
  if (!bad) return {};
  return "公式无法保存：源码中不能有单独成行的 ###FORMULA###、###END### 或 USAGE:，"
         "注释中不能有单独成行的 ###FORMULA### 或 ###END###。";
}

}  // namespace zor
