#include "sample_market/market_writer.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

void putU16(std::string& out, uint16_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8));
}

void putU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

void putI32(std::string& out, int32_t v) { putU32(out, uint32_t(v)); }

void putF32(std::string& out, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  putU32(out, bits);
}

void putF64(std::string& out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) out.push_back(char((bits >> (8 * i)) & 0xFF));
}

void patchU32(std::string& bytes, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[offset + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

namespace {

// Copies `text` into a fixed field of `size` bytes, padding with `pad`.
void putField(std::string& out, std::string_view text, size_t size, char pad) {
  size_t n = text.size() < size ? text.size() : size;
  out.append(text.data(), n);
  out.append(size - n, pad);
}

// Rounds to the nearest integer, halves away from zero, saturating at the given bounds. The
// formats store cents and whole shares; values arrive as doubles that are already on the grid
// up to float noise.
int64_t roundClamp(double v, int64_t lo, int64_t hi) {
  if (!(v == v)) return 0;
  double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
  if (r < double(lo)) return lo;
  if (r > double(hi)) return hi;
  return int64_t(r);
}

int dateOf(const DayBar& b) { return b.dateInt(); }

}  // namespace

std::string indexDatBytes(const std::vector<IndexEntry>& entries, int entrySize) {
  bool wide = entrySize == kIndexEntry61;
  std::string out = "ZORI";
  putI32(out, int32_t(entries.size()));
  for (const IndexEntry& e : entries) {
    putField(out, e.code, 8, e.codePad);
    putField(out, e.name, 32, '\0');
    out.push_back(char(e.market));
    putF32(out, e.lastClose);
    if (wide) {
      putF32(out, e.prevClose);
      putI32(out, 0);
      putI32(out, e.lastDate);
      putI32(out, 0);
    } else {
      putI32(out, 0);
      putI32(out, e.lastDate);
      putI32(out, 0);
    }
  }
  return out;
}

std::string datFileName(int market, std::string_view code) {
  return std::to_string(market) + "." + std::string(code) + ".dat";
}

std::string datFileBytes(const std::vector<DayBar>& days, const std::vector<MinuteBar>& minutes) {
  std::string out = "ZO1M";
  out.append(41, '\0');
  putI32(out, int32_t(days.size()));
  putI32(out, int32_t(minutes.size()));
  out.reserve(out.size() + 36 * days.size() + 38 * minutes.size());
  for (const DayBar& d : days) {
    putU32(out, uint32_t(dateOf(d)));
    putF32(out, float(d.open));
    putF32(out, float(d.high));
    putF32(out, float(d.low));
    putF32(out, float(d.close));
    putF64(out, d.volume);
    putF64(out, d.amount);
  }
  for (const MinuteBar& m : minutes) {
    putI32(out, m.date);
    putU16(out, uint16_t(m.time));
    putF32(out, m.open);
    putF32(out, m.high);
    putF32(out, m.low);
    putF32(out, m.close);
    putF64(out, m.volume);
    putF64(out, m.amount);
  }
  return out;
}

std::string vipdocDayBytes(const std::vector<DayBar>& days) {
  std::string out;
  out.reserve(32 * days.size());
  const int64_t lo = INT32_MIN, hi = INT32_MAX;
  for (const DayBar& d : days) {
    putU32(out, uint32_t(dateOf(d)));
    putI32(out, int32_t(roundClamp(d.open * 100, lo, hi)));
    putI32(out, int32_t(roundClamp(d.high * 100, lo, hi)));
    putI32(out, int32_t(roundClamp(d.low * 100, lo, hi)));
    putI32(out, int32_t(roundClamp(d.close * 100, lo, hi)));
    putF32(out, float(d.amount));
    putI32(out, int32_t(roundClamp(d.volume, lo, hi)));
    putU32(out, 0);
  }
  return out;
}

uint16_t packLc1Date(int yyyymmdd) {
  int year = yyyymmdd / 10000;
  return uint16_t((year - 2004) * 2048 + yyyymmdd % 10000);
}

std::string vipdocLc1Bytes(const std::vector<MinuteBar>& minutes) {
  std::string out;
  out.reserve(32 * minutes.size());
  for (const MinuteBar& m : minutes) {
    putU16(out, packLc1Date(m.date));
    putU16(out, uint16_t(m.time));
    putF32(out, m.open);
    putF32(out, m.high);
    putF32(out, m.low);
    putF32(out, m.close);
    putF32(out, float(m.amount));
    putU32(out, uint32_t(roundClamp(m.volume, 0, UINT32_MAX)));
    putU32(out, 0);
  }
  return out;
}

uint32_t packThsDateTime(int yyyymmdd, int minutes) {
  uint32_t year = uint32_t(yyyymmdd / 10000 - 1900), month = uint32_t(yyyymmdd / 100 % 100);
  uint32_t day = uint32_t(yyyymmdd % 100), hour = uint32_t(minutes / 60), minute = uint32_t(minutes % 60);
  return year << 20 | month << 16 | day << 11 | hour << 6 | minute;
}

namespace {

constexpr double kPow10[8] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7};
constexpr double kMantissaLimit = double(1u << 28);  // exclusive

uint32_t packed(uint32_t exponent, double mantissa) { return exponent << 28 | uint32_t(mantissa); }

// The exponent field has 4 bits, so at most 7 fraction digits (e = 15) or a factor of 10^7.
// Tries fraction digits 0..7, then powers of ten 1..7, and takes the first that decodes to a
// value `exact` accepts; failing that, the most precise form that fits in 28 bits.
template <class Exact>
uint32_t packNumber(double v, Exact exact) {
  if (!(v > 0)) return 0;
  for (int d = 0; d <= 7; ++d) {
    double m = std::floor(v * kPow10[d] + 0.5);
    if (m >= kMantissaLimit) break;
    if (exact(m / kPow10[d])) return packed(d == 0 ? 0 : uint32_t(8 + d), m);
  }
  for (int e = 1; e <= 7; ++e) {
    double m = std::floor(v / kPow10[e] + 0.5);
    if (m < kMantissaLimit && exact(m * kPow10[e])) return packed(uint32_t(e), m);
  }
  if (v < kMantissaLimit) {
    for (int d = 7; d >= 0; --d) {
      double m = std::floor(v * kPow10[d] + 0.5);
      if (m < kMantissaLimit) return packed(d == 0 ? 0 : uint32_t(8 + d), m);
    }
  }
  for (int e = 1; e <= 7; ++e) {
    double m = std::floor(v / kPow10[e] + 0.5);
    if (m < kMantissaLimit) return packed(uint32_t(e), m);
  }
  return packed(7, kMantissaLimit - 1);
}

}  // namespace

uint32_t packThsNumber(double value) {
  return packNumber(value, [value](double decoded) { return decoded == value; });
}

uint32_t packThsPrice(float value) {
  return packNumber(double(value), [value](double decoded) { return float(decoded) == value; });
}

std::string thsMinBytes(const std::vector<MinuteBar>& minutes, const ThsMinOptions& options) {
  const size_t columns = options.columns.size();
  size_t recordLen = size_t(options.extraRecordBytes);
  for (const ThsColumn& c : options.columns) recordLen += size_t(c.width);
  const size_t headerLen = 16 + 4 * columns + size_t(options.extraHeaderBytes);

  std::string out = "hd1.0";
  out.push_back('\0');
  putI32(out, int32_t(minutes.size()));
  putU16(out, uint16_t(headerLen));
  putU16(out, uint16_t(recordLen));
  putU16(out, uint16_t(columns));
  for (const ThsColumn& c : options.columns) putU32(out, uint32_t(c.width & 0xFF) << 24 | (c.id & 0xFFFFFF));
  out.append(size_t(options.extraHeaderBytes), '\0');
  out.reserve(out.size() + recordLen * minutes.size());

  for (const MinuteBar& m : minutes) {
    for (const ThsColumn& c : options.columns) {
      if (c.width != 4) {
        out.append(size_t(c.width), char(options.fill));
        continue;
      }
      switch (c.id) {
        case kThsDateTime: putU32(out, packThsDateTime(m.date, m.time)); break;
        case kThsOpen: putU32(out, packThsPrice(m.open)); break;
        case kThsHigh: putU32(out, packThsPrice(m.high)); break;
        case kThsLow: putU32(out, packThsPrice(m.low)); break;
        case kThsClose: putU32(out, packThsPrice(m.close)); break;
        case kThsVolume: putU32(out, packThsNumber(m.volume)); break;
        case kThsAmount: putU32(out, packThsNumber(m.amount)); break;
        default: out.append(4, char(options.fill)); break;
      }
    }
    out.append(size_t(options.extraRecordBytes), '\0');
  }
  return out;
}

std::string thsNameFileBytes(const std::vector<NameEntry>& entries, std::string_view section, std::string_view extra) {
  std::string text = "ConfigVer=1.0\n[" + std::string(section) + "]\n";
  for (const NameEntry& e : entries) text += e.code + "=" + e.name + "|" + std::string(extra) + "\n";
  return utf8ToGbk(text);
}

std::string stockNamesBytes(const std::vector<NameEntry>& entries) {
  std::string text = "# code<TAB>name\n";
  for (const NameEntry& e : entries) text += e.code + "\t" + e.name + "\n";
  return text;
}

int datMarket(Exchange ex) { return ex == Exchange::Shanghai ? 1 : 0; }
const char* vipdocFolder(Exchange ex) { return ex == Exchange::Shanghai ? "sh" : "sz"; }
const char* vipdocPrefix(Exchange ex) {
  return ex == Exchange::Shanghai ? "sh" : ex == Exchange::Beijing ? "bj" : "sz";
}
const char* thsFolder(Exchange ex) {
  return ex == Exchange::Shanghai ? "shase" : ex == Exchange::Beijing ? "stb" : "sznse";
}

bool writeBinaryFile(const std::string& path, std::string_view bytes) {
  std::u8string u8(path.begin(), path.end());
  std::ofstream f(std::filesystem::path(u8), std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(bytes.data(), std::streamsize(bytes.size()));
  f.close();
  return !f.fail();
}

namespace {

struct MarketWriter {
  WriteStats stats;
  std::string error;

  bool dir(const std::string& path) {
    if (createDirectory(path)) return true;
    error = "无法创建目录 " + path;
    return false;
  }
  // Creates `base` and each of the relative components in turn.
  bool dirs(const std::string& base, std::initializer_list<const char*> parts) {
    std::string path = base;
    if (!dir(path)) return false;
    for (const char* p : parts) {
      path = joinPath(path, p);
      if (!dir(path)) return false;
    }
    return true;
  }
  // Removes the files of `dir` matching `pattern` left by an earlier market, so that the
  // folder ends up holding this market only.
  bool clear(const std::string& dir, std::string_view pattern) {
    for (const DirEntry& e : listDirectory(dir, pattern)) {
      std::string path = joinPath(dir, e.name);
      if (!e.isDirectory && !removeFile(path)) {
        error = "无法删除 " + path;
        return false;
      }
    }
    return true;
  }
  bool file(const std::string& path, std::string_view bytes) {
    if (!writeBinaryFile(path, bytes)) {
      error = "无法写入 " + path;
      return false;
    }
    stats.files += 1;
    stats.bytes += bytes.size();
    return true;
  }
};

bool writeDat(MarketWriter& w, const std::string& root, const std::vector<SampleInstrument>& list, int entrySize) {
  std::string datDir = joinPath(root, "dat");
  if (!w.dirs(datDir, {}) || !w.clear(datDir, "*.dat")) return false;
  std::vector<IndexEntry> entries;
  for (const SampleInstrument& s : list) {
    IndexEntry e;
    e.code = s.code;
    e.name = s.name;
    e.market = datMarket(s.exchange);
    if (!s.days.empty()) {
      e.lastClose = float(s.days.back().close);
      e.prevClose = float(s.days.size() > 1 ? s.days[s.days.size() - 2].close : s.days.back().close);
      e.lastDate = s.days.back().dateInt();
    }
    entries.push_back(e);
    if (!w.file(joinPath(datDir, datFileName(e.market, s.code)), datFileBytes(s.days, s.minutes))) return false;
  }
  return w.file(joinPath(datDir, "index.dat"), indexDatBytes(entries, entrySize));
}

bool writeVipdoc(MarketWriter& w, const std::string& root, const std::vector<SampleInstrument>& list) {
  std::string vip = joinPath(root, "vipdoc");
  for (const char* folder : {"sh", "sz"}) {
    std::string base = joinPath(vip, folder);
    if (!w.dirs(vip, {folder, "lday"}) || !w.dirs(vip, {folder, "minline"}) ||
        !w.clear(joinPath(base, "lday"), "*.day") || !w.clear(joinPath(base, "minline"), "*.lc1"))
      return false;
  }
  for (const SampleInstrument& s : list) {
    std::string base = joinPath(vip, vipdocFolder(s.exchange));
    std::string stem = std::string(vipdocPrefix(s.exchange)) + s.code;
    if (!s.days.empty() && !w.file(joinPath(joinPath(base, "lday"), stem + ".day"), vipdocDayBytes(s.days)))
      return false;
    if (!s.minutes.empty() &&
        !w.file(joinPath(joinPath(base, "minline"), stem + ".lc1"), vipdocLc1Bytes(s.minutes)))
      return false;
  }
  return true;
}

// THS keeps one name file per market group; the number in the file name orders them.
struct ThsNameGroup {
  Exchange exchange;
  const char* fileName;
  const char* section;
};
constexpr ThsNameGroup kThsNameGroups[] = {
    {Exchange::Shanghai, "stockname_16_0.txt", "SH"},
    {Exchange::Shenzhen, "stockname_32_0.txt", "SZ"},
    {Exchange::Beijing, "stockname_144_0.txt", "BJ"},
};

bool writeThs(MarketWriter& w, const std::string& root, const std::vector<SampleInstrument>& list) {
  std::string ths = joinPath(root, "ths");
  std::string history = joinPath(ths, "history");
  for (const char* folder : {"shase", "sznse", "stb"})
    if (!w.dirs(ths, {"history", folder, "min"}) || !w.clear(joinPath(joinPath(history, folder), "min"), "*.min"))
      return false;
  for (const SampleInstrument& s : list) {
    if (s.minutes.empty()) continue;
    std::string path = joinPath(joinPath(joinPath(history, thsFolder(s.exchange)), "min"), s.code + ".min");
    if (!w.file(path, thsMinBytes(s.minutes))) return false;
  }
  std::string names = joinPath(ths, "stockname");
  if (!w.dirs(names, {}) || !w.clear(names, "stockname_*.txt")) return false;
  for (const ThsNameGroup& g : kThsNameGroups) {
    std::vector<NameEntry> entries;
    for (const SampleInstrument& s : list)
      if (s.exchange == g.exchange) entries.push_back({s.code, s.name});
    if (!w.file(joinPath(names, g.fileName), thsNameFileBytes(entries, g.section))) return false;
  }
  return true;
}

}  // namespace

bool writeMarket(const std::string& dir, const std::vector<SampleInstrument>& instruments,
                 const MarketLayouts& layouts, WriteStats* stats, std::string* error) {
  MarketWriter w;
  bool ok = w.dirs(dir, {});
  if (ok && layouts.dat) ok = writeDat(w, dir, instruments, layouts.datEntrySize);
  if (ok && layouts.vipdoc) ok = writeVipdoc(w, dir, instruments);
  if (ok && layouts.ths) ok = writeThs(w, dir, instruments);
  if (ok && layouts.stockNames) {
    // The names file is keyed by code alone: the first instrument with a code names it.
    std::vector<NameEntry> entries;
    std::set<std::string> seen;
    for (const SampleInstrument& s : instruments)
      if (seen.insert(s.code).second) entries.push_back({s.code, s.name});
    ok = w.file(joinPath(dir, "stock_names.txt"), stockNamesBytes(entries));
  }
  if (stats) *stats = w.stats;
  if (error) *error = w.error;
  return ok;
}

}  // namespace zor
