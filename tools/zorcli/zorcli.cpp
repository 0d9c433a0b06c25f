// zorcli: the instrument table and display series of the local data directories, for
// scripts. Usage: zorcli <command> [options]; "zorcli help" lists the commands.
#include "zorcli.h"

#include <cmath>
#include <cstdlib>

#include "app/config.h"
#include "data/loaders.h"
#include "platform/file_io.h"
#include "platform/number_text.h"
#include "platform/text.h"

namespace zor::cli {

namespace {

struct Command {
  const char* name;
  int (*run)(const Options&);
  const char* usage;
};

// One line per command; keep "help" last.
const Command kCommands[] = {
    {"list", cmdList,
     "zorcli list [--dat DIR] [--lc1 DIR]\n"
     "  标的表 CSV: index,code,market,name,board,lastPrice,prevClose"},
    {"bars", cmdBars,
     "zorcli bars [--dat DIR] [--lc1 DIR] [--mode 0|1] CODE PERIOD\n"
     "  显示序列 CSV: date,open,high,low,close,volume,amount（无有效价格的K线价格栏为空）\n"
     "  CODE: 600000 或 sh600000；PERIOD: 0..11、日线/周线/.../60分钟、60分、day/week/month/60m/30m/15m/5m/1m/10d/45d/quarter/year\n"
     "  --mode 1（默认）回放与训练：分钟周期含合成日；--mode 0 实盘：只含真实分钟"},
    {"calc", cmdCalc,
     "zorcli calc [--dat DIR] [--lc1 DIR] [--mode 0|1] CODE PERIOD --text 公式 [--params N=5,M=3]\n"
     "  公式输出 CSV: date,各输出线名称（缺失值为空栏；数值为读回不变的最短十进制文本）；公式有错时打印错误并以 1 退出\n"
     "  或 --formula 名称 [--formula-file 公式文件]：内置公式或公式文件中的公式（文件优先），--params 按名称改参数缺省值"},
    {"import", cmdImport,
     "zorcli import FILE...\n"
     "  按公式管理器的导入处理文件（公式块文件或网上复制的文字：清理、补参数、拒绝时给出原因），把得到的公式块打印到标准输出；提示与拒绝原因打印到标准错误，没有公式的文件以 1 退出"},
    {"formulas", cmdFormulas,
     "zorcli formulas [FILE]\n"
     "  公式表 CSV: origin,name,description,type,draw,group,params（内置公式，再加 FILE 中的公式）"},
    {"account", cmdAccount,
     "zorcli account FILE\n"
     "  账户文件 CSV（按程序启动时的读法）：每段第一行为表头，每行第一栏为段名\n"
     "  account,file,magic,cash,baseline,positions,deals / position,index,market,code,name,qty,avgCost,buyDate,replayDate,lastPrice /\n"
     "  deal,index,orderNo,date,time,code,name,side,price,qty,amount,fee；cash、baseline、amount、fee 为精确到分的两位小数；\n"
     "  文件损坏时在标准错误上列出未能载入的内容"},
    {"orders", cmdOrders,
     "zorcli orders FILE\n"
     "  委托记录 trade_orders.dat CSV：book,file,magic,orders,nextOrderNo / order,orderNo,code,name,side,price,refPrice,qty,\n"
     "  filledQty,filledAmount,status,statusText,date,time,mode,holderText,channelText；filledAmount 为精确到分的两位小数；\n"
     "  文件损坏时在标准错误上列出未能载入的内容"},
};

const char* kCommonUsage =
    "目录: --dat DIR 与 --lc1 DIR（任一或两者；相对路径以当前目录为基准）；都不给时读取 zorcli 旁的 zor.cfg（其中的相对路径以 zorcli 所在目录为基准）。\n"
    "数字: 读回后数值不变的最短十进制文本（float 数据按 float 精度），整数不带小数。\n"
    "退出码: 0 成功，1 代码不存在或无数据，2 用法错误。";

void printUsage() {
  err("用法:");
  for (const Command& c : kCommands) err(c.usage);
  err(kCommonUsage);
}

}  // namespace

void out(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

void err(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

int StderrUi::messageBox(std::string_view text, std::string_view caption, unsigned flags) {
  // A box's blank lines and line breaks read as one line on a terminal.
  std::string line = "zorcli: ";
  bool gap = false;
  for (char c : text) {
    if (c == '\n') {
      gap = true;
      continue;
    }
    if (gap && line.back() != ' ' && line.back() != ':') line += ' ';
    gap = false;
    line += c;
  }
  err(line);
  return HeadlessUi::messageBox(text, caption, flags);
}

void OutBuffer::endLine() {
  buf_ += line_;
  buf_ += '\n';
  line_.clear();
  if (buf_.size() >= (1u << 20)) flush();
}

void OutBuffer::flush() {
  if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), stdout);
  buf_.clear();
  std::fflush(stdout);
}

bool parseOptions(const std::vector<std::string>& args, size_t first, Options& o, std::string& error) {
  for (size_t i = first; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!startsWith(a, "--") || a.size() == 2) {
      o.positional.push_back(a);
      continue;
    }
    std::string name = a.substr(2), value;
    size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = "选项缺少取值: " + a;
      return false;
    }
    if (name == "dat") {
      o.dat = value, o.datGiven = true;
    } else if (name == "lc1") {
      o.lc1 = value, o.lc1Given = true;
    } else {
      o.named[name] = value;
    }
  }
  return true;
}

bool parsePeriod(std::string_view text, int& period) {
  static const char* const ascii[kPeriodCount] = {"day", "week", "month", "60m", "30m",     "15m",
                                                  "5m",  "1m",   "10d",   "45d", "quarter", "year"};
  for (int p = 0; p < kPeriodCount; ++p) {
    if (text == std::to_string(p) || text == periodLabel(p) || equalsIgnoreCase(text, ascii[p]) ||
        (p < 8 && text == periodShortLabel(p))) {
      period = p;
      return true;
    }
  }
  return false;
}

namespace {

// A directory given on the command line: a relative one is taken relative to the current
// directory, as every command-line tool takes paths.
std::string commandLineDir(const std::string& text) {
  if (text.empty() || isAbsolutePath(text)) return text;
  return joinPath(currentDirectory(), text);
}

}  // namespace

bool setupSession(Session& s, const Options& opt, std::string& error) {
  Config& cfg = s.config;
  cfg.exeDir = executableDirectory();
  if (opt.datGiven || opt.lc1Given) {
    cfg.datDirText = cfg.datDir = commandLineDir(opt.dat);
    cfg.lc1DirText = cfg.lc1Dir = commandLineDir(opt.lc1);
  } else {
    readConfig(cfg);
  }
  std::string mode = opt.get("mode", "1");
  if (mode != "0" && mode != "1") {
    error = "--mode 只能是 0 或 1: " + mode;
    return false;
  }
  s.mode = mode == "0" ? TradeMode::RealTime : TradeMode::History;
  return true;
}

bool openSession(Session& s, const Options& opt) {
  std::string error;
  if (!setupSession(s, opt, error)) {
    err(error);
    return false;
  }
  const Config& cfg = s.config;
  bool datOk = !cfg.datDir.empty() && isDirectory(cfg.datDir);
  bool lc1Ok = !cfg.lc1Dir.empty() && isDirectory(cfg.lc1Dir);
  if (!datOk && !lc1Ok) {
    std::string where = opt.datGiven || opt.lc1Given ? "命令行给出的目录" : "zorcli 旁的 zor.cfg 中的目录";
    err("zorcli: 没有可用的数据目录（" + where + "不存在或未给出）。请用 --dat DIR 或 --lc1 DIR 指定。");
    if (!cfg.datDir.empty()) err("  DAT 目录: " + cfg.datDir);
    if (!cfg.lc1Dir.empty()) err("  lc1 目录: " + cfg.lc1Dir);
    return false;
  }
  return loadAllStocks(s.market, cfg.dataDirs(), s.mode, s.ui);
}

int findInstrument(const Market& m, std::string_view code) {
  int market = -1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sh")) market = 1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sz")) market = 0;
  if (market >= 0) return findStock(m.stocks, market, code);
  std::string bare = stripMarketPrefix(code);
  for (size_t i = 0; i < m.stocks.size(); ++i)
    if (m.stocks[i].code == bare) return int(i);
  return -1;
}

bool periodArgument(const Options& opt, int& period) {
  if (parsePeriod(opt.positional[1], period)) return true;
  err("未知周期: " + opt.positional[1]);
  return false;
}

DisplaySeriesPtr instrumentSeries(Session& s, const Options& opt, int period) {
  if (!openSession(s, opt)) return nullptr;
  int idx = loadInstrument(s, opt.positional[0]);
  if (idx < 0) return nullptr;
  return displaySeries(s.market.stocks[size_t(idx)], period, s.mode);
}

int loadInstrument(Session& s, std::string_view code) {
  int idx = findInstrument(s.market, code);
  if (idx < 0) {
    err("代码不存在: " + std::string(code));
    return -1;
  }
  StockRecord& rec = s.market.stocks[size_t(idx)];
  loadDayBars(s.market, rec, s.mode);
  loadMinuteBars(s.market, rec, s.mode);
  return idx;
}

void appendCsvNumber(std::string& line, double v) {
  // A value that is exactly a float (a minute price widened) prints at float precision.
  float f = float(v);
  if (std::isfinite(f) && double(f) == v)
    appendNumber(line, f);
  else
    appendNumber(line, v);
}

std::string csvNumber(double v) {
  std::string s;
  appendCsvNumber(s, v);
  return s;
}

}  // namespace zor::cli

int main(int argc, char** argv) {
  using namespace zor::cli;
  std::vector<std::string> args = utf8Arguments(argc, argv);
  if (args.size() < 2 || args[1] == "help" || args[1] == "--help" || args[1] == "-h") {
    printUsage();
    return args.size() < 2 ? kExitUsage : kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[1] != c.name) continue;
    Options opt;
    std::string error;
    if (!parseOptions(args, 2, opt, error)) {
      err(error);
      err(c.usage);
      return kExitUsage;
    }
    return c.run(opt);
  }
  err("未知命令: " + args[1]);
  printUsage();
  return kExitUsage;
}
