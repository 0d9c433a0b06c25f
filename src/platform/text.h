// Text helpers shared by every subsystem. Texts are UTF-8 byte strings; GBK (code page 936)
// arrives from outside files and is converted when read.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace zor {

// True when `s` is well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view s);

// The longest prefix of `s` of at most maxBytes bytes that does not end inside a UTF-8
// character. Bytes that are not UTF-8 are treated one byte at a time.
std::string cutUtf8(std::string_view s, size_t maxBytes);

// Copies `s` into a fixed text field: cut to maxBytes at a character boundary.
inline void setText(std::string& field, std::string_view s, size_t maxBytes) { field = cutUtf8(s, maxBytes); }

// GBK to UTF-8. Unassigned or broken pairs become U+FFFD; ASCII is copied.
std::string gbkToUtf8(std::string_view s);
// UTF-8 to GBK; characters without a GBK form become '?'.
std::string utf8ToGbk(std::string_view s);

// Drops a leading UTF-8 byte-order mark.
std::string_view stripUtf8Bom(std::string_view s);

// UTF-8 to the platform's wide strings (UTF-16 on Windows). False for malformed UTF-8.
bool utf8ToWide(std::string_view s, std::wstring& out);
bool wideToUtf8(std::wstring_view s, std::string& out);

// Decodes one UTF-8 character at s[i]; returns its length (1 for a malformed byte, with cp set
// to that byte's value).
size_t decodeUtf8(std::string_view s, size_t i, char32_t& cp);
void appendUtf8(std::string& out, char32_t cp);

bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
// ASCII case-insensitive comparison.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view s, std::string_view prefix);
std::string toUpperAscii(std::string_view s);
// Removes leading and trailing bytes found in `chars`.
std::string_view trim(std::string_view s, std::string_view chars = " \t\r\n");

// Lets the compiler check printf-style arguments. mingw formats through its own C99 printf
// (so %zu and %lld work), which its headers name with __MINGW_PRINTF_FORMAT.
#if defined(__MINGW32__)
#define ZOR_PRINTF_LIKE(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__)
#define ZOR_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define ZOR_PRINTF_LIKE(f, a)
#endif

// printf into a std::string.
std::string strPrintf(const char* fmt, ...) ZOR_PRINTF_LIKE(1, 2);

}  // namespace zor
