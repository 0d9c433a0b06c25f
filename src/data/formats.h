// Decoders of the outside binary formats, working on bytes already read: index.dat and the
// per-instrument DAT files of the converted directory, vipdoc .day and .lc1 records, and THS
// .min files. The loaders read files and hand the bytes here; the fuzz targets and the tests
// call the same functions.
//
// Every count and length is checked against the bytes present (in 64-bit arithmetic) before
// anything is allocated or read. Records with a date that is not a real calendar date in
// 19900101..21001231, or with a time of day above 1439, are dropped; records whose prices fail
// the format's test are kept with NO_PRICE prices (THS records are dropped instead); volumes
// and amounts that are negative or not finite become 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"

namespace zor {

// ---- little-endian fields ----
uint16_t readU16(const char* p);
uint32_t readU32(const char* p);
float readF32(const char* p);
double readF64(const char* p);

// Volume or amount as stored in memory: 0 for negative or non-finite values.
double cleanQuantity(double v);

// ---- index.dat ----
constexpr size_t kDatIndexHeader = 8;
constexpr int kMaxEntries = 200000;  // cap of every record count read from a file

struct DatIndexEntry {
  std::string code;  // first 6 bytes up to a space or NUL
  std::string name;  // UTF-8, at most kNameMax bytes (GBK bytes are converted)
  int market = 0;
  double lastClose = 0;
  double prevClose = 0;  // the stored previous close when > 0 (61-byte layout), else lastClose
  int lastDate = 0;
};

struct DatIndex {
  int recSize = 0;       // (size - 8) / N, the figure that selects the layout
  bool hasPrev = false;  // 61-byte layout
  std::vector<DatIndexEntry> entries;
};

// False when the file is shorter than 12 bytes or does not start with "ZORI". The entry size
// comes from `fileSize`; entries are taken from `bytes` (the file's first bytes) as far as
// they are complete.
bool parseDatIndex(std::string_view bytes, uint64_t fileSize, DatIndex& out);
inline bool parseDatIndex(std::string_view bytes, DatIndex& out) { return parseDatIndex(bytes, bytes.size(), out); }
// Bytes of index.dat worth reading for a file of `fileSize` bytes whose count field is `n`.
uint64_t datIndexReadLength(int32_t n, uint64_t fileSize);

// ---- per-instrument DAT file ----
constexpr size_t kDatHeader = 53;
constexpr size_t kDatDayRecord = 36;
constexpr size_t kDatMinuteRecord = 38;

struct DatHeader {
  int32_t dayCount = 0;     // D at offset 45
  int32_t minuteCount = 0;  // M at offset 49, as stored
};

// False when fewer than 53 bytes or the magic is not "ZO1M".
bool parseDatHeader(std::string_view bytes, DatHeader& out);
// Appends the daily records (36 bytes each; a partial record at the end is ignored).
void decodeDatDays(std::string_view records, std::vector<DayBar>& out);
// Appends the minute records (38 bytes each); returns the number of whole records seen.
size_t decodeDatMinutes(std::string_view records, std::vector<MinuteBar>& out);

// ---- vipdoc ----
constexpr size_t kVipdocRecord = 32;

void decodeDayRecords(std::string_view records, std::vector<DayBar>& out);
void decodeLc1Records(std::string_view records, std::vector<MinuteBar>& out);
// The raw date (yyyymmdd) and close of one .lc1 record, without the price test.
void lc1DateAndClose(const char* rec, int& date, int& time, double& close);

// ---- THS .min ----
constexpr uint64_t kThsMinSize = 32;
constexpr uint64_t kThsMaxSize = 64ull << 20;

// Where the decoded columns sit inside a record; -1 when absent (or not 4 bytes wide).
struct ThsLayout {
  uint32_t headerLen = 0;
  uint32_t recordLen = 0;
  int64_t count = 0;  // records present, capped
  int dateOff = -1, openOff = -1, highOff = -1, lowOff = -1, closeOff = -1, volOff = -1, amountOff = -1;
};

// Header checks of a whole file (`probe` false) or of the probe's first bytes (`probe` true,
// `head` the first min(size, 4096) bytes of a file of `fileSize` bytes).
bool parseThsHeader(std::string_view head, uint64_t fileSize, bool probe, ThsLayout& out);
// The decoded value of a packed THS number.
double thsNumber(uint32_t v);
// Date and time of a packed THS stamp; false when not a valid date and time.
bool thsStamp(uint32_t v, int& date, int& time);
// Appends the valid records of a whole .min file; true when at least one was read.
bool decodeThsMin(std::string_view bytes, std::vector<MinuteBar>& out);
// The last close and the close of the day before it, from the trailing records
// (`tail` holds whole records, the last record of the file last).
bool thsCloses(std::string_view tail, const ThsLayout& layout, double& last, double& prev);
// The byte range of the trailing records the probe reads.
void thsTailRange(const ThsLayout& layout, uint64_t& offset, uint64_t& length);

}  // namespace zor
