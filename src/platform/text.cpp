#include "platform/text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace zor {

namespace {

// Code page 936 double-byte pairs, indexed by (lead - 0x81) * 191 + (trail - 0x40).
const uint16_t kGbkTable[] = {
#include "platform/gbk_table.inc"
};
constexpr int kGbkTrailCount = 191;

}  // namespace

size_t decodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  unsigned char c = (unsigned char)s[i];
  cp = c;
  if (c < 0x80) return 1;
  size_t len;
  char32_t v, minimum;
  if ((c & 0xE0) == 0xC0) {
    len = 2, v = c & 0x1F, minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, v = c & 0x0F, minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, v = c & 0x07, minimum = 0x10000;
  } else {
    return 1;
  }
  if (i + len > s.size()) return 1;
  for (size_t k = 1; k < len; ++k) {
    unsigned char t = (unsigned char)s[i + k];
    if ((t & 0xC0) != 0x80) return 1;
    v = (v << 6) | (t & 0x3F);
  }
  if (v < minimum || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 1;
  cp = v;
  return len;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool isValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    size_t n = decodeUtf8(s, i, cp);
    if (n == 1 && (unsigned char)s[i] >= 0x80) return false;
    i += n;
  }
  return true;
}

std::string cutUtf8(std::string_view s, size_t maxBytes) {
  if (s.size() <= maxBytes) return std::string(s);
  size_t end = 0;
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    size_t n = decodeUtf8(s, i, cp);
    if (i + n > maxBytes) break;
    i += n;
    end = i;
  }
  return std::string(s.substr(0, end));
}

std::string gbkToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = (unsigned char)s[i];
    if (c < 0x80) {
      out += char(c);
    } else if (c == 0x80) {
      appendUtf8(out, 0x20AC);  // the euro sign, cp936's single high byte
    } else if (c <= 0xFE && i + 1 < s.size()) {
      unsigned char t = (unsigned char)s[i + 1];
      uint16_t u = 0;
      if (t >= 0x40 && t <= 0xFE) u = kGbkTable[(c - 0x81) * kGbkTrailCount + (t - 0x40)];
      if (u != 0) {
        appendUtf8(out, u);
        ++i;
      } else {
        appendUtf8(out, 0xFFFD);
        if (t >= 0x40) ++i;  // a broken pair swallows its trail byte, an ASCII byte stays
      }
    } else {
      appendUtf8(out, 0xFFFD);
    }
  }
  return out;
}

std::string utf8ToGbk(std::string_view s) {
  static std::once_flag once;
  static std::unordered_map<char32_t, uint16_t>* reverse;
  std::call_once(once, [] {
    reverse = new std::unordered_map<char32_t, uint16_t>();
    for (size_t k = 0; k < sizeof kGbkTable / sizeof kGbkTable[0]; ++k) {
      if (kGbkTable[k] == 0) continue;
      uint16_t code = uint16_t(((0x81 + k / kGbkTrailCount) << 8) | (0x40 + k % kGbkTrailCount));
      reverse->emplace(kGbkTable[k], code);  // the first (lowest) code wins
    }
  });
  std::string out;
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    size_t n = decodeUtf8(s, i, cp);
    i += n;
    if (cp < 0x80) {
      out += char(cp);
      continue;
    }
    auto it = reverse->find(cp);
    if (it == reverse->end()) {
      out += '?';
    } else {
      out += char(it->second >> 8);
      out += char(it->second & 0xFF);
    }
  }
  return out;
}

std::string_view stripUtf8Bom(std::string_view s) {
  if (s.size() >= 3 && (unsigned char)s[0] == 0xEF && (unsigned char)s[1] == 0xBB && (unsigned char)s[2] == 0xBF)
    return s.substr(3);
  return s;
}

bool utf8ToWide(std::string_view s, std::wstring& out) {
  out.clear();
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    size_t n = decodeUtf8(s, i, cp);
    if (n == 1 && (unsigned char)s[i] >= 0x80) return false;
    i += n;
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
      cp -= 0x10000;
      out += wchar_t(0xD800 + (cp >> 10));
      out += wchar_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += wchar_t(cp);
    }
  }
  return true;
}

bool wideToUtf8(std::wstring_view s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = char32_t(s[i]);
    if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 >= s.size()) return false;
      char32_t lo = char32_t(s[i + 1]);
      if (lo < 0xDC00 || lo > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      return false;
    }
    appendUtf8(out, cp);
  }
  return true;
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

static char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

std::string toUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = upperAscii(c);
  return out;
}

std::string_view trim(std::string_view s, std::string_view chars) {
  size_t b = s.find_first_not_of(chars);
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(chars);
  return s.substr(b, e - b + 1);
}

std::string strPrintf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  char buf[512];
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::string out;
  if (n < 0) {
    va_end(ap2);
    return out;
  }
  if (size_t(n) < sizeof buf) {
    out.assign(buf, size_t(n));
  } else {
    out.resize(size_t(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, ap2);
    out.resize(size_t(n));
  }
  va_end(ap2);
  return out;
}

}  // namespace zor
