// Writers for the market-data files the program reads: the converted DAT directory (index.dat
// and one "%d.%s.dat" file per instrument), the vipdoc .day and .lc1 files, the THS .min files
// with their name files, and stock_names.txt.
//
// Every function takes plain values and returns the exact bytes of one file, so that tests can
// write a good file, then damage single fields by editing the returned string. writeMarket puts
// a whole market into a directory in the chosen layouts.
//
// All numbers are little-endian, floats IEEE 754, records packed without padding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"

namespace zor {

// ---- little-endian helpers (also handy for tests that patch bytes) ----

void putU16(std::string& out, uint16_t v);
void putU32(std::string& out, uint32_t v);
void putI32(std::string& out, int32_t v);
void putF32(std::string& out, float v);
void putF64(std::string& out, double v);
// Overwrites 4 bytes at `offset` (which must lie inside `bytes`).
void patchU32(std::string& bytes, size_t offset, uint32_t v);

// ---- converted DAT directory ----

// Size of one index.dat entry: the reader picks the layout from (file size - 8) / count.
constexpr int kIndexEntry57 = 57;
constexpr int kIndexEntry61 = 61;

struct IndexEntry {
  std::string code;       // up to 8 bytes, padded with codePad
  std::string name;       // UTF-8, up to 32 bytes copied, NUL-padded
  int market = 0;         // 1 Shanghai, 0 Shenzhen
  float lastClose = 0;
  float prevClose = 0;    // stored only in the 61-byte layout
  int32_t lastDate = 0;   // yyyymmdd
  char codePad = ' ';     // ' ' or '\0'
};

// "ZORI", int32 count, then the entries in the 57- or 61-byte layout. Fields the reader does
// not use are zero.
std::string indexDatBytes(const std::vector<IndexEntry>& entries, int entrySize = kIndexEntry61);

// "%d.%s.dat" (market, code), e.g. 1.600000.dat.
std::string datFileName(int market, std::string_view code);

// "ZO1M", 41 unused bytes, int32 D, int32 M, D daily records of 36 bytes (uint32 date, float32
// open high low close, float64 volume amount), M minute records of 38 bytes (int32 date, uint16
// time, float32 open high low close, float64 volume amount).
std::string datFileBytes(const std::vector<DayBar>& days, const std::vector<MinuteBar>& minutes);

// ---- vipdoc ----

// 32-byte records: uint32 date, int32 open/high/low/close in cents (rounded), float32 amount,
// int32 volume (rounded), 4 unused bytes.
std::string vipdocDayBytes(const std::vector<DayBar>& days);

// (year - 2004) * 2048 + month * 100 + day; only years 2004..2035 fit.
uint16_t packLc1Date(int yyyymmdd);

// 32-byte records: uint16 packed date, uint16 minutes after midnight, float32 open high low
// close amount, uint32 volume (rounded), 4 unused bytes.
std::string vipdocLc1Bytes(const std::vector<MinuteBar>& minutes);

// ---- THS ----

// Column identifiers of the .min format.
constexpr uint32_t kThsDateTime = 0x3001;
constexpr uint32_t kThsOpen = 0x7007;
constexpr uint32_t kThsHigh = 0x7008;
constexpr uint32_t kThsLow = 0x7009;
constexpr uint32_t kThsClose = 0x700B;
constexpr uint32_t kThsVolume = 0x700D;
constexpr uint32_t kThsAmount = 0x7013;

// (year - 1900) << 20 | month << 16 | day << 11 | hour << 6 | minute.
uint32_t packThsDateTime(int yyyymmdd, int minutes);

// Packed number: low 28 bits mantissa m, high 4 bits exponent e; the value is m * 10^e for
// e < 8 and m / 10^(e - 8) for e >= 8. The exponent is chosen so that the value decodes
// exactly; when no exponent can hold it exactly the nearest representable value is used.
// Negative values pack as 0.
uint32_t packThsNumber(double value);
// Prices are floats: the packed value is exact when it converts back to the same float.
uint32_t packThsPrice(float value);

struct ThsColumn {
  uint32_t id = 0;
  int width = 4;  // 1..255 bytes; the descriptor stores it in its high byte
};

struct ThsMinOptions {
  // Known columns of width 4 get their values; any other column is filled with `fill`.
  std::vector<ThsColumn> columns = {{kThsDateTime, 4}, {kThsOpen, 4},   {kThsHigh, 4},  {kThsLow, 4},
                                    {kThsClose, 4},    {kThsVolume, 4}, {kThsAmount, 4}};
  int extraHeaderBytes = 0;  // zero bytes between the descriptors and the first record
  int extraRecordBytes = 0;  // zero bytes after the columns of each record
  uint8_t fill = 0;
};

// "hd1.0", a zero byte, int32 n, uint16 header length, uint16 record length, uint16 column
// count, the uint32 column descriptors (width << 24 | id), then the records.
std::string thsMinBytes(const std::vector<MinuteBar>& minutes, const ThsMinOptions& options = {});

struct NameEntry {
  std::string code;
  std::string name;  // UTF-8
};

// A THS name file in GBK: a "ConfigVer=" line, a "[section]" line, then one line
// "code=name|extra" per entry, LF line ends.
std::string thsNameFileBytes(const std::vector<NameEntry>& entries, std::string_view section,
                             std::string_view extra = "0");

// stock_names.txt: a comment line, then "code\tname" lines in UTF-8, LF line ends.
std::string stockNamesBytes(const std::vector<NameEntry>& entries);

// ---- a whole market ----

enum class Exchange { Shenzhen, Shanghai, Beijing };

struct SampleInstrument {
  std::string code;  // six digits, no prefix
  std::string name;  // UTF-8, at most 31 bytes
  Exchange exchange = Exchange::Shanghai;
  std::vector<DayBar> days;         // ascending by date
  std::vector<MinuteBar> minutes;   // ascending by (date, time)
};

// Where an instrument goes in each layout. Beijing instruments have no market number of their
// own: the DAT index files them under 0, vipdoc under "sz" with a "bj" prefix, THS under "stb".
int datMarket(Exchange ex);
const char* vipdocFolder(Exchange ex);  // "sh" or "sz"
const char* vipdocPrefix(Exchange ex);  // "sh", "sz" or "bj"
const char* thsFolder(Exchange ex);     // "shase", "sznse" or "stb"

struct MarketLayouts {
  bool dat = true;
  bool vipdoc = true;
  bool ths = true;
  int datEntrySize = kIndexEntry61;
  bool stockNames = true;  // DIR/stock_names.txt
};

struct WriteStats {
  int files = 0;
  uint64_t bytes = 0;
};

// Writes the market below `dir` (created when missing):
//   dir/dat/index.dat, dir/dat/<market>.<code>.dat
//   dir/vipdoc/{sh,sz}/lday/<prefix><code>.day, dir/vipdoc/{sh,sz}/minline/<prefix><code>.lc1
//   dir/ths/history/{shase,sznse,stb}/min/<code>.min, dir/ths/stockname/stockname_*.txt
//   dir/stock_names.txt
// Minute files are written only for instruments that have minute bars. Files of the chosen
// layouts that an earlier market left in these folders (*.dat, *.day, *.lc1, *.min,
// stockname_*.txt) are removed first, so the folders hold this market only; nothing else is
// touched. Returns false with a message naming the file when something cannot be written.
bool writeMarket(const std::string& dir, const std::vector<SampleInstrument>& instruments,
                 const MarketLayouts& layouts, WriteStats* stats, std::string* error);

// Writes `bytes` to a UTF-8 path with a plain binary write (no temporary file: the directory is
// a fresh sample, and thousands of flushed renames would only make it slow).
bool writeBinaryFile(const std::string& path, std::string_view bytes);

}  // namespace zor
