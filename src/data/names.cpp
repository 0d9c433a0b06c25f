#include "data/names.h"

#include <algorithm>

#include "data/formats.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr uint64_t kThsNameFileMax = 8ull << 20;
constexpr uint64_t kStockNamesMax = 16ull << 20;

struct BuiltinName {
  const char* code;
  const char* name;
};
const BuiltinName kBuiltinNames[] = {
    {"603876", "鼎胜新材"}, {"000001", "平安银行"}, {"000002", "万科A"},    {"000063", "中兴通讯"},
    {"600036", "招商银行"}, {"600519", "贵州茅台"}, {"600900", "长江电力"}, {"601318", "中国平安"},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Position of `c` in GBK text, skipping the second byte of every double-byte character: that
// byte may be 0x40..0x7E, the range of "@" and "|".
size_t findGbk(std::string_view s, char c) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string normaliseName(std::string_view s) {
  std::string out;
  out.reserve(std::min(s.size(), kNormalisedNameMax));
  for (size_t i = 0; i < s.size() && out.size() < kNormalisedNameMax;) {
    unsigned char b0 = static_cast<unsigned char>(s[i]);
    if (b0 == ' ') {
      ++i;
      continue;
    }
    if (i + 2 < s.size()) {
      unsigned char b1 = static_cast<unsigned char>(s[i + 1]), b2 = static_cast<unsigned char>(s[i + 2]);
      if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) {  // ideographic space
        i += 3;
        continue;
      }
      if (b0 == 0xEF && b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) {  // U+FF01..U+FF3F
        out += char(b2 - 0x60);
        i += 3;
        continue;
      }
      if (b0 == 0xEF && b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {  // U+FF40..U+FF5E
        out += char(b2 - 0x20);
        i += 3;
        continue;
      }
    }
    // Other characters are copied whole, so the limit never splits one.
    char32_t cp;
    size_t n = decodeUtf8(s, i, cp);
    if (out.size() + n > kNormalisedNameMax) break;
    out.append(s.substr(i, n));
    i += n;
  }
  return out;
}

void loadIndexNames(const std::string& datDir, NameMap& names) {
  if (datDir.empty() || !isDirectory(datDir)) return;
  std::string bytes;
  if (!readFile(joinPath(datDir, "index.dat"), bytes, 64ull << 20)) return;
  DatIndex index;
  if (!parseDatIndex(bytes, index)) return;
  for (const DatIndexEntry& e : index.entries) {
    // Trailing blanks of the name field are padding.
    std::string_view name = trim(e.name, " ");
    if (e.code.empty() || name.empty()) continue;
    names[e.code] = normaliseName(name);
  }
}

void parseStockNames(std::string_view text, NameMap& names) {
  text = stripUtf8Bom(text);
  std::string converted;
  if (!isValidUtf8(text)) {
    converted = gbkToUtf8(text);
    text = converted;
  }
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size() || line[i] == '#' || line[i] == '\r') continue;
    // The code: up to 15 non-blank bytes. What follows it, after any blanks, is the name:
    // up to 63 bytes before the line end.
    size_t codeStart = i;
    while (i < line.size() && !isSpace(line[i]) && i - codeStart < 15) ++i;
    std::string code(line.substr(codeStart, i - codeStart));
    while (i < line.size() && isSpace(line[i])) ++i;
    size_t nameStart = i;
    while (i < line.size() && line[i] != '\r' && line[i] != '\n') ++i;
    std::string name = cutUtf8(line.substr(nameStart, i - nameStart), 63);
    if (code.empty()) continue;
    names[code] = normaliseName(name);
  }
}

void loadExtraNames(const std::string& exeDir, NameMap& names) {
  for (const BuiltinName& b : kBuiltinNames) names[b.code] = b.name;
  std::string text;
  if (readFile(joinPath(exeDir, kStockNamesFile), text, kStockNamesMax)) parseStockNames(text, names);
}

void parseThsNameFile(std::string_view text, NameMap& names) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    line = trim(line, " \t\r\n");
    if (line.empty() || line[0] == '[' || startsWith(line, "ConfigVer=")) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = trim(line.substr(0, eq), " \t\r\n");
    std::string_view value = line.substr(eq + 1);
    size_t bar = findGbk(value, '|');
    if (bar != std::string_view::npos) value = value.substr(0, bar);
    size_t at = findGbk(value, '@');
    if (at != std::string_view::npos) value = value.substr(0, at);
    value = trim(value, " \t\r\n");
    if (key.empty() || value.empty()) continue;
    names.emplace(std::string(key), gbkToUtf8(value));  // the first definition stays
  }
}

void loadThsNames(const std::string& thsRoot, NameMap& names) {
  std::string dir = joinPath(joinPath(thsRoot, ".."), "stockname");
  if (!isDirectory(dir)) return;
  for (const char* prefix : {"stockname_16_", "stockname_32_", "stockname_144_"}) {
    for (const DirEntry& e : listDirectory(dir, std::string(prefix) + "*.txt")) {
      if (e.isDirectory) continue;
      std::string text;
      if (readFile(joinPath(dir, e.name), text, kThsNameFileMax)) parseThsNameFile(text, names);
    }
  }
}

}  // namespace zor
