// zorcli: the instrument table and display series of the local data directories, for
// scripts. Usage: zorcli <command> [options]; "zorcli help" lists the commands.
#include "zorcli.h"

#include <cmath>
#include <cstdlib>

#include "app/config.h"
#include "data/loaders.h"
#include "platform/file_io.h"
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
};

const char* kCommonUsage =
    "目录: --dat DIR 与 --lc1 DIR（任一或两者；相对路径以 zorcli 所在目录为基准）；都不给时读取 zorcli 旁的 zor.cfg。\n"
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
  err("[" + std::string(caption) + "] " + std::string(text));
  return HeadlessUi::messageBox(text, caption, flags);
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

bool setupSession(Session& s, const Options& opt, std::string& error) {
  AppState& app = s.app;
  app.exeDir = executableDirectory();
  if (opt.datGiven || opt.lc1Given) {
    app.datDirText = opt.dat;
    app.lc1DirText = opt.lc1;
    resolveDataDirs(app);
  } else {
    readConfig(app);
  }
  std::string mode = opt.get("mode", "1");
  if (mode != "0" && mode != "1") {
    error = "--mode 只能是 0 或 1: " + mode;
    return false;
  }
  app.tradeMode = mode == "0" ? 0 : 1;
  return true;
}

bool openSession(Session& s, const Options& opt) {
  std::string error;
  if (!setupSession(s, opt, error)) {
    err(error);
    return false;
  }
  return loadAllStocks(s.app);
}

int findInstrument(const AppState& app, std::string_view code) {
  int market = -1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sh")) market = 1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sz")) market = 0;
  if (market >= 0) return findStock(app.stocks, market, code);
  std::string bare = stripMarketPrefix(code);
  for (size_t i = 0; i < app.stocks.size(); ++i)
    if (app.stocks[i].code == bare) return int(i);
  return -1;
}

bool periodArgument(const Options& opt, int& period) {
  if (parsePeriod(opt.positional[1], period)) return true;
  err("未知周期: " + opt.positional[1]);
  return false;
}

DisplaySeriesPtr instrumentSeries(Session& s, const Options& opt, int period) {
  if (!openSession(s, opt)) return nullptr;
  int idx = loadInstrument(s.app, opt.positional[0]);
  if (idx < 0) return nullptr;
  return displaySeries(s.app.stocks[size_t(idx)], period, &s.app);
}

int loadInstrument(AppState& app, std::string_view code) {
  int idx = findInstrument(app, code);
  if (idx < 0) {
    err("代码不存在: " + std::string(code));
    return -1;
  }
  StockRecord& rec = app.stocks[size_t(idx)];
  loadDayBars(rec, app);
  loadMinuteBars(rec, app);
  return idx;
}

std::string csvNumber(double v) {
  if (!std::isfinite(v)) return {};
  if (v == std::floor(v) && std::fabs(v) < 1e15) return strPrintf("%.0f", v);
  bool isFloat = double(float(v)) == v;
  for (int p = isFloat ? 6 : 15; p <= 17; ++p) {
    std::string s = strPrintf("%.*g", p, v);
    double back = std::strtod(s.c_str(), nullptr);
    if (isFloat ? float(back) == float(v) : back == v) return s;
  }
  return strPrintf("%.17g", v);
}

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
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
