#include "data/formats.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/text.h"

namespace zor {

uint16_t readU16(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return uint16_t(b[0] | (b[1] << 8));
}

uint32_t readU32(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

float readF32(const char* p) { return std::bit_cast<float>(readU32(p)); }

double readF64(const char* p) {
  uint64_t v = uint64_t(readU32(p)) | (uint64_t(readU32(p + 4)) << 32);
  return std::bit_cast<double>(v);
}

double cleanQuantity(double v) { return (std::isfinite(v) && v > 0) ? v : 0.0; }

namespace {

bool inPriceRange(double p) { return p >= 0.01 && p <= 10000.0; }

// The DAT and .lc1 test: each price in [0.01, 10000], high the highest and low the lowest.
bool consistentPrices(double o, double h, double l, double c) {
  return inPriceRange(o) && inPriceRange(h) && inPriceRange(l) && inPriceRange(c) && h >= std::max(o, c) &&
         l <= std::min(o, c);
}

void setPrices(DayBar& b, double o, double h, double l, double c) {
  if (consistentPrices(o, h, l, c)) {
    b.open = o, b.high = h, b.low = l, b.close = c;
  } else {
    b.open = b.high = b.low = b.close = NO_PRICE;
  }
}

void setPrices(MinuteBar& m, float o, float h, float l, float c) {
  if (consistentPrices(o, h, l, c)) {
    m.open = o, m.high = h, m.low = l, m.close = c;
  } else {
    m.open = m.high = m.low = m.close = NO_PRICE_F;
  }
}

// Name bytes of index.dat are meant to be UTF-8; a converter that wrote GBK is read as such
// rather than handing malformed text to the display.
// Drops a UTF-8 sequence at the end of `s` that the end of its field cut short.
std::string_view dropCutSequence(std::string_view s) {
  for (size_t back = 1; back <= 3 && back <= s.size(); ++back) {
    unsigned char c = static_cast<unsigned char>(s[s.size() - back]);
    if ((c & 0xC0) == 0x80) continue;
    size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return need > back ? s.substr(0, s.size() - back) : s;
  }
  return s;
}

// `field` is the name field up to its first NUL; its first 31 bytes are the name.
std::string indexName(std::string_view field) {
  std::string_view raw = field.substr(0, kNameMax);
  std::string_view utf8 = dropCutSequence(raw);
  if (isValidUtf8(utf8)) return std::string(utf8);
  return cutUtf8(gbkToUtf8(raw), kNameMax);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// index.dat

namespace {

// Entry stride by the size rule: (size - 8) / N, 57 bytes up to 60, else 61.
uint64_t indexRecSize(int32_t n, uint64_t fileSize) {
  uint64_t body = fileSize - kDatIndexHeader;
  return n <= 0 ? body : body / uint64_t(n);
}

}  // namespace

uint64_t datIndexReadLength(int32_t n, uint64_t fileSize) {
  if (fileSize < 12 || n <= 0) return std::min<uint64_t>(fileSize, 12);
  uint64_t stride = indexRecSize(n, fileSize) <= 60 ? 57 : 61;
  return std::min<uint64_t>(fileSize, kDatIndexHeader + std::min<uint64_t>(uint64_t(n), kMaxEntries) * stride);
}

bool parseDatIndex(std::string_view b, uint64_t fileSize, DatIndex& out) {
  out = DatIndex();
  if (fileSize < b.size()) fileSize = b.size();
  if (fileSize < 12 || b.size() < 8 || std::memcmp(b.data(), "ZORI", 4) != 0) return false;
  int32_t n = int32_t(readU32(b.data() + 4));
  uint64_t r = indexRecSize(n, fileSize);
  out.recSize = int(std::min<uint64_t>(r, 0x7fffffff));
  size_t stride = r <= 60 ? 57 : 61;
  out.hasPrev = stride == 61;
  uint64_t count = n <= 0 ? 0 : std::min<uint64_t>(uint64_t(n), kMaxEntries);
  // Only entries completely inside the bytes read.
  count = std::min<uint64_t>(count, (b.size() - kDatIndexHeader) / stride);
  out.entries.reserve(size_t(count));
  for (uint64_t i = 0; i < count; ++i) {
    const char* e = b.data() + kDatIndexHeader + i * stride;
    DatIndexEntry d;
    size_t codeLen = 0;
    while (codeLen < 6 && e[codeLen] != ' ' && e[codeLen] != '\0') ++codeLen;
    d.code.assign(e, codeLen);
    size_t nameLen = 0;
    while (nameLen < 32 && e[8 + nameLen] != '\0') ++nameLen;
    d.name = indexName(std::string_view(e + 8, nameLen));
    d.market = static_cast<unsigned char>(e[40]);
    d.lastClose = readF32(e + 41);
    d.prevClose = d.lastClose;
    if (out.hasPrev) {
      double prev = readF32(e + 45);
      if (prev > 0) d.prevClose = prev;
      d.lastDate = int32_t(readU32(e + 53));
    } else {
      d.lastDate = int32_t(readU32(e + 49));
    }
    out.entries.push_back(std::move(d));
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Per-instrument DAT file

bool parseDatHeader(std::string_view b, DatHeader& out) {
  out = DatHeader();
  if (b.size() < kDatHeader || std::memcmp(b.data(), "ZO1M", 4) != 0) return false;
  out.dayCount = int32_t(readU32(b.data() + 45));
  out.minuteCount = int32_t(readU32(b.data() + 49));
  return true;
}

void decodeDatDays(std::string_view records, std::vector<DayBar>& out) {
  size_t n = records.size() / kDatDayRecord;
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    const char* r = records.data() + i * kDatDayRecord;
    uint32_t date = readU32(r);
    if (date > 0x7fffffffu || !isPlausibleDate(int(date))) continue;
    DayBar b;
    b.setDate(int(date));
    setPrices(b, readF32(r + 4), readF32(r + 8), readF32(r + 12), readF32(r + 16));
    b.volume = cleanQuantity(readF64(r + 20));
    b.amount = cleanQuantity(readF64(r + 28));
    out.push_back(b);
  }
}

size_t decodeDatMinutes(std::string_view records, std::vector<MinuteBar>& out) {
  size_t n = records.size() / kDatMinuteRecord;
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    const char* r = records.data() + i * kDatMinuteRecord;
    int32_t date = int32_t(readU32(r));
    int time = readU16(r + 4);
    if (!isPlausibleDate(date) || time > 1439) continue;
    MinuteBar m;
    m.date = date;
    m.time = time;
    setPrices(m, readF32(r + 6), readF32(r + 10), readF32(r + 14), readF32(r + 18));
    m.volume = cleanQuantity(readF64(r + 22));
    m.amount = cleanQuantity(readF64(r + 30));
    out.push_back(m);
  }
  return n;
}

// ---------------------------------------------------------------------------------------------
// vipdoc

void decodeDayRecords(std::string_view records, std::vector<DayBar>& out) {
  size_t n = records.size() / kVipdocRecord;
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    const char* r = records.data() + i * kVipdocRecord;
    uint32_t date = readU32(r);
    if (date > 0x7fffffffu || !isPlausibleDate(int(date))) continue;
    DayBar b;
    b.setDate(int(date));
    double o = int32_t(readU32(r + 4)) / 100.0, h = int32_t(readU32(r + 8)) / 100.0;
    double l = int32_t(readU32(r + 12)) / 100.0, c = int32_t(readU32(r + 16)) / 100.0;
    setPrices(b, o, h, l, c);
    b.amount = cleanQuantity(readF32(r + 20));
    b.volume = cleanQuantity(double(int32_t(readU32(r + 24))));
    out.push_back(b);
  }
}

void lc1DateAndClose(const char* r, int& date, int& time, double& close) {
  uint32_t packed = readU16(r);
  date = int(packed / 2048) * 10000 + int(packed % 2048) + 20040000;
  time = readU16(r + 2);
  close = readF32(r + 16);
}

void decodeLc1Records(std::string_view records, std::vector<MinuteBar>& out) {
  size_t n = records.size() / kVipdocRecord;
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    const char* r = records.data() + i * kVipdocRecord;
    int date = 0, time = 0;
    double close = 0;
    lc1DateAndClose(r, date, time, close);
    if (!isPlausibleDate(date) || time > 1439) continue;
    MinuteBar m;
    m.date = date;
    m.time = time;
    setPrices(m, readF32(r + 4), readF32(r + 8), readF32(r + 12), float(close));
    m.amount = cleanQuantity(readF32(r + 20));
    m.volume = double(readU32(r + 24));
    out.push_back(m);
  }
}

// ---------------------------------------------------------------------------------------------
// THS .min

namespace {

constexpr uint32_t kColStamp = 0x3001, kColOpen = 0x7007, kColHigh = 0x7008, kColLow = 0x7009,
                   kColClose = 0x700B, kColVolume = 0x700D, kColAmount = 0x7013;

}  // namespace

bool parseThsHeader(std::string_view head, uint64_t fileSize, bool probe, ThsLayout& out) {
  out = ThsLayout();
  if (head.size() < 16 || std::memcmp(head.data(), "hd1.0", 5) != 0) return false;
  int32_t n = int32_t(readU32(head.data() + 6));
  uint32_t h = readU16(head.data() + 10);
  uint32_t r = readU16(head.data() + 12);
  uint32_t c = readU16(head.data() + 14);
  if (c < 1 || c > 96 || r < 1 || r > 512) return false;
  if (head.size() < 4ull * c + 16) return false;
  if (probe) {
    if (h > head.size()) return false;
  } else if (h < 16 || h >= fileSize) {
    return false;
  }
  if (n <= 0 || h >= fileSize) return false;
  int64_t present = int64_t((fileSize - h) / r);
  out.count = std::min<int64_t>({int64_t(n), present, int64_t(kMaxEntries)});
  if (out.count <= 0) return false;
  out.headerLen = h;
  out.recordLen = r;
  // Columns follow one another from the record's first byte; the walk ends at the first
  // column that would reach beyond the record. Of two columns with one identifier the first
  // counts, whatever its width.
  uint32_t offset = 0;
  bool seen[7] = {};
  int* slots[7] = {&out.dateOff, &out.openOff, &out.highOff, &out.lowOff, &out.closeOff, &out.volOff, &out.amountOff};
  const uint32_t ids[7] = {kColStamp, kColOpen, kColHigh, kColLow, kColClose, kColVolume, kColAmount};
  for (uint32_t i = 0; i < c; ++i) {
    uint32_t d = readU32(head.data() + 16 + 4 * i);
    uint32_t width = (d >= 0x01000000u && d <= 0x08FFFFFFu) ? (d >> 24) : 4;
    if (offset + width > r) break;
    uint32_t id = d & 0xFFFFFFu;
    for (int k = 0; k < 7; ++k) {
      if (id != ids[k] || seen[k]) continue;
      seen[k] = true;
      if (width == 4) *slots[k] = int(offset);
    }
    offset += width;
  }
  return true;
}

double thsNumber(uint32_t v) {
  static const double pow10[8] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7};
  double mantissa = double(v & 0x0FFFFFFFu);
  uint32_t e = v >> 28;
  return e < 8 ? mantissa * pow10[e] : mantissa / pow10[e - 8];
}

bool thsStamp(uint32_t v, int& date, int& time) {
  int year = int(v >> 20) + 1900, month = int((v >> 16) & 0xF), day = int((v >> 11) & 0x1F);
  int hour = int((v >> 6) & 0x1F), minute = int(v & 0x3F);
  if (month < 1 || month > 12 || day == 0 || hour > 23 || minute > 59) return false;
  date = year * 10000 + month * 100 + day;
  time = hour * 60 + minute;
  return isPlausibleDate(date);
}

namespace {

double column(const char* rec, int off) { return off < 0 ? 0.0 : thsNumber(readU32(rec + off)); }

bool decodeThsRecord(const char* rec, const ThsLayout& l, MinuteBar& m) {
  if (l.dateOff < 0 || l.closeOff < 0) return false;
  int date = 0, time = 0;
  if (!thsStamp(readU32(rec + l.dateOff), date, time)) return false;
  double o = column(rec, l.openOff), h = column(rec, l.highOff), lo = column(rec, l.lowOff),
         c = column(rec, l.closeOff);
  auto ok = [](double p) { return p > 0 && p < 1000000.0; };
  if (!ok(o) || !ok(h) || !ok(lo) || !ok(c) || h < std::max(o, c) || lo > std::min(o, c)) return false;
  m.date = date;
  m.time = time;
  m.open = float(o), m.high = float(h), m.low = float(lo), m.close = float(c);
  m.volume = column(rec, l.volOff);
  m.amount = column(rec, l.amountOff);
  return true;
}

}  // namespace

bool decodeThsMin(std::string_view bytes, std::vector<MinuteBar>& out) {
  if (bytes.size() < kThsMinSize || bytes.size() > kThsMaxSize) return false;
  ThsLayout l;
  if (!parseThsHeader(bytes, bytes.size(), false, l)) return false;
  out.reserve(out.size() + size_t(l.count));
  size_t before = out.size();
  for (int64_t i = 0; i < l.count; ++i) {
    MinuteBar m;
    if (decodeThsRecord(bytes.data() + l.headerLen + uint64_t(i) * l.recordLen, l, m)) out.push_back(m);
  }
  return out.size() > before;
}

void thsTailRange(const ThsLayout& l, uint64_t& offset, uint64_t& length) {
  uint64_t k = uint64_t(std::min<int64_t>(l.count, 300));
  offset = l.headerLen + uint64_t(l.count - int64_t(k)) * l.recordLen;
  length = k * l.recordLen;
}

bool thsCloses(std::string_view tail, const ThsLayout& l, double& last, double& prev) {
  last = prev = 0;
  if (l.dateOff < 0 || l.closeOff < 0 || l.recordLen == 0) return false;
  size_t n = tail.size() / l.recordLen;
  int lastDate = 0;
  bool havePrev = false;
  for (size_t i = n; i-- > 0 && !havePrev;) {
    const char* rec = tail.data() + i * l.recordLen;
    int date = 0, time = 0;
    if (!thsStamp(readU32(rec + l.dateOff), date, time)) continue;
    double c = thsNumber(readU32(rec + l.closeOff));
    if (!(c > 0 && c < 1000000.0)) continue;
    if (last <= 0) {
      last = c;
      lastDate = date;
    } else if (date != lastDate) {
      prev = c;
      havePrev = true;
    }
  }
  if (last <= 0) return false;
  if (!havePrev) prev = last;
  return true;
}

}  // namespace zor
