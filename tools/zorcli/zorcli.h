// Shared pieces of zorcli's commands: the option parser, the session that reads the market the
// way the program does, instrument lookup and CSV output.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/config.h"
#include "data/market.h"
#include "data/series.h"
#include "formula/formula.h"
#include "platform/csv.h"
#include "platform/ui.h"

namespace zor {
struct FileReport;
}

namespace zor::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // unknown code, no data, unreadable directory
constexpr int kExitUsage = 2;

// The command line after the command name. --dat DIR and --lc1 DIR choose the directories
// (either or both; a relative one is taken relative to the current directory); without them
// zor.cfg beside zorcli is read and its directories are taken as the program takes them
// (relative to zorcli's own directory). Other "--name value" or "--name=value" options are
// kept for the command; everything else is positional.
struct Options {
  std::string dat, lc1;
  bool datGiven = false, lc1Given = false;
  std::vector<std::string> positional;
  std::map<std::string, std::string> named;

  bool has(const std::string& name) const { return named.count(name) != 0; }
  std::string get(const std::string& name, const std::string& fallback = {}) const {
    auto it = named.find(name);
    return it == named.end() ? fallback : it->second;
  }
};

bool parseOptions(const std::vector<std::string>& args, size_t first, Options& out, std::string& error);

// A period as its code 0..11, its label ("日线", "60分钟"), its tab label ("60分") or an ASCII
// name (day, week, month, 60m, 30m, 15m, 5m, 1m, 10d, 45d, quarter, year).
bool parsePeriod(std::string_view text, int& period);

// Message boxes of the core, printed to stderr as "zorcli: text" on one line.
class StderrUi : public HeadlessUi {
 public:
  int messageBox(std::string_view text, std::string_view caption, unsigned flags) override;
};

// The configuration and market of one command: the directories (options or zor.cfg), message
// boxes to stderr, and the trade mode of the series (`--mode 0` real-time: minute periods
// without synthetic days; the default is the replay and training mode).
struct Session {
  StderrUi ui;
  Config config;
  Market market;
  TradeMode mode = TradeMode::History;
};
bool setupSession(Session& s, const Options& opt, std::string& error);
// setupSession, then the instrument table; false (with the error printed) when there is no
// usable directory or no instrument.
bool openSession(Session& s, const Options& opt);

// Index of the instrument with a bare (600000) or prefixed (sh600000) code; -1 when none.
int findInstrument(const Market& m, std::string_view code);
// findInstrument, then its daily and minute bars; prints the error and returns -1 for an
// unknown code.
int loadInstrument(Session& s, std::string_view code);

// The two positional arguments CODE PERIOD of the series commands: parses PERIOD (printing
// the error; false for a bad one).
bool periodArgument(const Options& opt, int& period);
// openSession, loadInstrument of CODE, then the display series of `period`; null (with the
// error printed) when the table or the instrument cannot be had.
DisplaySeriesPtr instrumentSeries(Session& s, const Options& opt, int period);

// Numbers in CSV: the shortest decimal text that reads back to the same value (at float
// precision when the value is a float, as minute prices are), whole numbers without a
// fraction; an empty field for values that are not finite.
void appendCsvNumber(std::string& line, double v);
std::string csvNumber(double v);
// A text field, quoted when it holds a comma, a quote or a line break.
using zor::csvField;

// Writes a line to stdout or stderr (UTF-8).
void out(std::string_view line);
void err(std::string_view line);

// Standard output for large tables: lines gather in a buffer written in large pieces.
class OutBuffer {
 public:
  ~OutBuffer() { flush(); }
  std::string& line() { return line_; }  // the line being built; `endLine` emits it
  void endLine();
  void flush();

 private:
  std::string line_, buf_;
};

// Platform set-up: the arguments as UTF-8 and a console that shows UTF-8.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// The commands. Each returns the exit status.
int cmdList(const Options& opt);
int cmdBars(const Options& opt);
int cmdCalc(const Options& opt);
int cmdFormulas(const Options& opt);
int cmdImport(const Options& opt);
int cmdAccount(const Options& opt);
int cmdOrders(const Options& opt);

// The trading-file commands: the file's name without its directory; reading it whole up to
// maxBytes (printing the error); the losses of a damaged file on stderr.
std::string fileBaseName(const std::string& path);
bool readTradingFile(const std::string& path, uint64_t maxBytes, std::string& bytes);
void reportLosses(const std::string& path, const FileReport& report);

// The formula of `calc --formula NAME`: from the file of --formula-file when it has one of
// that name, else the built-in; --params then sets the defaults of its parameters by name.
// Returns kExitOk, or an exit status with the message in `error`.
int calcFormulaFromOptions(const Options& opt, FormulaDef& def, std::string& error);

}  // namespace zor::cli
