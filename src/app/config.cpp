#include "app/config.h"

#include <climits>
#include <array>
#include <functional>
#include <vector>

#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr size_t kMaxLine = 511;  // longer lines are read in pieces of this size

// Decimal integer from the start of `v` in the manner of atoi: optional blanks and sign, then
// digits; no digits give 0. Values beyond the int range are held at its ends.
int parseLeadingInt(std::string_view v) {
  size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  bool neg = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) neg = v[i++] == '-';
  long long x = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
    x = x * 10 + (v[i] - '0');
    if (x > (long long)INT_MAX + 1) x = (long long)INT_MAX + 1;
  }
  if (neg) x = -x;
  if (x > INT_MAX) x = INT_MAX;
  if (x < INT_MIN) x = INT_MIN;
  return int(x);
}

// Reads one integer at `i` as "%d" does (blanks, sign, at least one digit); advances `i`.
bool scanInt(std::string_view v, size_t& i, int& out) {
  size_t j = i;
  while (j < v.size() && (v[j] == ' ' || v[j] == '\t')) ++j;
  size_t signAt = j;
  if (j < v.size() && (v[j] == '+' || v[j] == '-')) ++j;
  size_t digits = j;
  while (j < v.size() && v[j] >= '0' && v[j] <= '9') ++j;
  if (j == digits) return false;
  out = parseLeadingInt(v.substr(signAt, j - signAt));
  i = j;
  return true;
}

// Four comma-separated integers ("%d,%d,%d,%d"); trailing text is ignored.
bool parseFour(std::string_view v, std::array<int, 4>& out) {
  std::array<int, 4> r{};
  size_t i = 0;
  for (int k = 0; k < 4; ++k) {
    if (k > 0) {
      if (i >= v.size() || v[i] != ',') return false;
      ++i;
    }
    if (!scanInt(v, i, r[size_t(k)])) return false;
  }
  out = r;
  return true;
}

std::string fourText(const std::array<int, 4>& a) { return strPrintf("%d,%d,%d,%d", a[0], a[1], a[2], a[3]); }

// What reading one file collects beyond the configuration fields.
struct ReadState {
  int fsVer = 0;
};

// One key of the file, in the writer's order (the reader tries them in the same order).
struct ConfigKey {
  const char* key;  // without "="
  std::function<void(Config&, ReadState&, std::string_view)> read;
  std::function<std::string(const Config&)> write;
};

void setIfFits(std::string& text, std::string_view v) {
  // A directory longer than a path field cannot be shortened without naming another
  // directory, so such a value counts as absent.
  if (v.size() <= kPathMax) text = std::string(v);
}

const std::vector<ConfigKey>& configKeys() {
  static const std::vector<ConfigKey> keys = {
      {"SERVER",
       [](Config& a, ReadState&, std::string_view v) {
         size_t colon = v.find(':');
         if (colon == std::string_view::npos) return;
         a.serverHost = cutUtf8(v.substr(0, colon), kHostMax);
         a.serverPort = parseLeadingInt(v.substr(colon + 1));
       },
       [](const Config& a) { return strPrintf("%s:%d", a.serverHost.c_str(), a.serverPort); }},
      {"DATAMODE", [](Config& a, ReadState&, std::string_view v) { a.dataMode = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.dataMode); }},
      {"LC1_DIR", [](Config& a, ReadState&, std::string_view v) { setIfFits(a.lc1DirText, v); },
       [](const Config& a) { return a.lc1DirText; }},
      {"DAT_DIR", [](Config& a, ReadState&, std::string_view v) { setIfFits(a.datDirText, v); },
       [](const Config& a) { return a.datDirText; }},
      {"USER_NAME",
       [](Config& a, ReadState&, std::string_view v) {
         if (!v.empty()) a.userName = cutUtf8(v, kUserNameMax);
       },
       [](const Config& a) { return a.userName; }},
      {"USER_ACCT",
       [](Config& a, ReadState&, std::string_view v) {
         if (!v.empty()) a.userAcct = cutUtf8(v, kUserAcctMax);
       },
       [](const Config& a) { return a.userAcct; }},
      {"WIN_X", [](Config& a, ReadState&, std::string_view v) { a.winX = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.winX); }},
      {"WIN_Y", [](Config& a, ReadState&, std::string_view v) { a.winY = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.winY); }},
      {"WIN_W", [](Config& a, ReadState&, std::string_view v) { a.winW = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.winW); }},
      {"WIN_H", [](Config& a, ReadState&, std::string_view v) { a.winH = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.winH); }},
      {"WIN_MAX", [](Config& a, ReadState&, std::string_view v) { a.winMax = parseLeadingInt(v); },
       [](const Config& a) { return std::to_string(a.winMax); }},
      {"FS_MA",
       [](Config& a, ReadState&, std::string_view v) {
         if (parseFour(v, a.fsStored.ma)) a.fsLive.ma = a.fsStored.ma;
       },
       [](const Config& a) { return fourText(a.fsLive.ma); }},
      {"FS_SUBCNT", [](Config& a, ReadState&, std::string_view v) { a.fsStored.subCount = parseLeadingInt(v); },
       // Derived from the live panel names, so that reading the file back gives the same count.
       [](const Config& a) {
         return std::to_string(1 + int(!a.fsLive.sub1.empty()) + int(!a.fsLive.sub2.empty()));
       }},
      {"FS_SUB1",
       [](Config& a, ReadState&, std::string_view v) { a.fsStored.sub1 = a.fsLive.sub1 = cutUtf8(v, kFsNameMax); },
       [](const Config& a) { return a.fsLive.sub1; }},
      {"FS_SUB2",
       [](Config& a, ReadState&, std::string_view v) { a.fsStored.sub2 = a.fsLive.sub2 = cutUtf8(v, kFsNameMax); },
       [](const Config& a) { return a.fsLive.sub2; }},
      {"FS_SUB1P",
       [](Config& a, ReadState&, std::string_view v) {
         if (parseFour(v, a.fsStored.sub1Param)) a.fsLive.sub1Param = a.fsStored.sub1Param;
       },
       [](const Config& a) { return fourText(a.fsLive.sub1Param); }},
      {"FS_SUB2P",
       [](Config& a, ReadState&, std::string_view v) {
         if (parseFour(v, a.fsStored.sub2Param)) a.fsLive.sub2Param = a.fsStored.sub2Param;
       },
       [](const Config& a) { return fourText(a.fsLive.sub2Param); }},
      {"FS_AVG",
       [](Config& a, ReadState&, std::string_view v) {
         a.fsStored.avg = parseLeadingInt(v);
         a.fsLive.avg = a.fsStored.avg != 0 ? 1 : 0;
       },
       [](const Config& a) { return std::to_string(a.fsLive.avg != 0 ? 1 : 0); }},
      {"FS_MAININD",
       [](Config& a, ReadState&, std::string_view v) { a.fsLive.mainInd = cutUtf8(v, kFsNameMax); },
       [](const Config& a) { return a.fsLive.mainInd; }},
      {"FS_VER", [](Config&, ReadState& r, std::string_view v) { r.fsVer = parseLeadingInt(v); },
       [](const Config&) { return std::string("3"); }},
      {"UPDATE_URL", [](Config& a, ReadState&, std::string_view v) { a.updateUrl = cutUtf8(v, kUrlMax); },
       [](const Config& a) { return a.updateUrl.empty() ? std::string(kDefaultUpdateUrl) : a.updateUrl; }},
  };
  return keys;
}

void applyLine(Config& cfg, ReadState& rs, std::string_view line) {
  for (const ConfigKey& k : configKeys()) {
    std::string_view key = k.key;
    if (line.size() > key.size() && startsWith(line, key) && line[key.size()] == '=') {
      k.read(cfg, rs, line.substr(key.size() + 1));
      return;
    }
  }
}

std::string resolveDir(const Config& cfg, const std::string& text) {
  if (text.empty() || cfg.exeDir.empty() || isAbsolutePath(text)) return text;
  std::string out = cfg.exeDir;
  if (!endsWithSeparator(out)) out += pathSeparator();
  return out + text;
}

}  // namespace

std::string configPath(const Config& cfg) { return joinPath(cfg.exeDir, kConfigFileName); }

void resolveDataDirs(Config& cfg) {
  cfg.lc1Dir = resolveDir(cfg, cfg.lc1DirText);
  cfg.datDir = resolveDir(cfg, cfg.datDirText);
  checkDataDirs(cfg);
}

void checkDataDirs(Config& cfg) {
  cfg.lc1DirExists = !cfg.lc1Dir.empty() && isDirectory(cfg.lc1Dir);
  cfg.datDirExists = !cfg.datDir.empty() && isDirectory(cfg.datDir);
}

void readConfig(Config& cfg) {
  std::string content;
  if (!readFile(configPath(cfg), content, 16u << 20)) {
    cfg.dataMode = 0;
    cfg.lc1DirText.clear();
    cfg.datDirText = cfg.exeDir.empty() ? std::string() : cfg.exeDir + "data";
    resolveDataDirs(cfg);
    cfg.fsLive.subCount = 1;
    return;
  }
  ReadState rs;
  std::string_view text = stripUtf8Bom(content);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view raw = text.substr(pos, end - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    // An over-long line is read in pieces, each taken as a line of its own.
    size_t off = 0;
    do {
      std::string_view piece = raw.substr(off, kMaxLine);
      while (!piece.empty() && (piece.back() == '\r' || piece.back() == '\n')) piece.remove_suffix(1);
      applyLine(cfg, rs, piece);
      off += kMaxLine;
    } while (off < raw.size());
  }

  // The live sub-panel count follows the panel names. Files from before FS_VER 2 had one
  // more panel than names; that panel shows MACD, and it gets its name now so that the count
  // survives the next save.
  IntradaySettings& live = cfg.fsLive;
  int count = 1 + int(!live.sub1.empty()) + int(!live.sub2.empty());
  if (rs.fsVer < 2 && count < 3) {
    ++count;
    if (live.sub1.empty())
      live.sub1 = "MACD";
    else
      live.sub2 = "MACD";
  }
  live.subCount = count;

  if (cfg.updateUrl.empty()) cfg.updateUrl = kDefaultUpdateUrl;
  resolveDataDirs(cfg);
}

bool writeConfig(Config& cfg) {
  if (cfg.updateUrl.empty()) cfg.updateUrl = kDefaultUpdateUrl;
  cfg.fsLive.subCount = 1 + int(!cfg.fsLive.sub1.empty()) + int(!cfg.fsLive.sub2.empty());
  std::string out;
  for (const ConfigKey& k : configKeys()) {
    out += k.key;
    out += '=';
    out += k.write(cfg);
    out += '\n';
  }
  if (!writeFileAtomic(configPath(cfg), out)) return false;
  cfg.fsStored = cfg.fsLive;  // what is on disk is now the stored copy
  return true;
}

bool hasValidDataDir(const Config& cfg) {
  return (!cfg.lc1Dir.empty() && isDirectory(cfg.lc1Dir)) || (!cfg.datDir.empty() && isDirectory(cfg.datDir));
}

}  // namespace zor
