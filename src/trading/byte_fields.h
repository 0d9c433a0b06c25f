// Little-endian fixed-layout fields of the trading files: integers, IEEE doubles and NUL-padded
// text fields, written into a string and read back with every read checked against the bytes
// present.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace zor {

struct ByteWriter {
  std::string& out;

  void u64(uint64_t v) {
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = char((v >> (8 * i)) & 0xFF);
    out.append(b, 8);
  }
  void u32(uint32_t v) {
    char b[4];
    for (int i = 0; i < 4; ++i) b[i] = char((v >> (8 * i)) & 0xFF);
    out.append(b, 4);
  }
  void i32(int32_t v) { u32(uint32_t(v)); }
  void i64(int64_t v) { u64(uint64_t(v)); }
  void f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    u64(bits);
  }
  void raw(std::string_view bytes) { out.append(bytes.data(), bytes.size()); }
  // A text field of `size` bytes: the text cut to size - 1 bytes at a character boundary,
  // then NUL bytes.
  void text(std::string_view s, size_t size) {
    std::string t = cutUtf8(s, size - 1);
    out.append(t);
    out.append(size - t.size(), '\0');
  }
};

struct ByteReader {
  std::string_view data;
  size_t pos = 0;

  size_t left() const { return data.size() - pos; }
  bool has(uint64_t n) const { return n <= left(); }

  uint64_t u64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t(uint8_t(data[pos + size_t(i)])) << (8 * i);
    pos += 8;
    return v;
  }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(data[pos + size_t(i)])) << (8 * i);
    pos += 4;
    return v;
  }
  int32_t i32() { return int32_t(u32()); }
  int64_t i64() { return int64_t(u64()); }
  double f64() {
    uint64_t bits = u64();
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
  }
  std::string_view raw(size_t n) {
    std::string_view s = data.substr(pos, n);
    pos += n;
    return s;
  }
  // A text field of `size` bytes: what stands before its first NUL, the last byte always
  // counting as NUL, without a character cut off at its end (a writer that filled the field
  // may have cut one).
  std::string text(size_t size) {
    std::string_view f = raw(size).substr(0, size - 1);
    size_t nul = f.find('\0');
    if (nul != std::string_view::npos) f = f.substr(0, nul);
    std::string s(f);
    while (dropCutCharacter(s)) {
    }
    return s;
  }

  // Removes the lead byte and continuation bytes of a multibyte character that ends `s`
  // unfinished; true when something was removed.
  static bool dropCutCharacter(std::string& s) {
    size_t i = s.size(), cont = 0;
    while (i > 0 && cont < 3 && (uint8_t(s[i - 1]) & 0xC0) == 0x80) --i, ++cont;
    if (i == 0) return false;
    uint8_t lead = uint8_t(s[i - 1]);
    size_t need = (lead >= 0xF0 && lead <= 0xF4) ? 3 : (lead >= 0xE0 && lead <= 0xEF) ? 2 : (lead >= 0xC2 && lead <= 0xDF) ? 1 : 0;
    if (need <= cont) return false;
    s.resize(i - 1);
    return true;
  }
};

}  // namespace zor
