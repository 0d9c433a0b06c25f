// Windows: the arguments come from the UTF-16 command line (a folder named 测试 survives any
// code page), and the console is switched to UTF-8 output.
#include <windows.h>
#include <shellapi.h>

#include "platform/text.h"
#include "zorcli.h"

namespace zor::cli {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  SetConsoleOutputCP(CP_UTF8);
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < n; ++i) {
    std::string s;
    wideToUtf8(wide[i], s);
    args.push_back(std::move(s));
  }
  LocalFree(wide);
  return args;
}

}  // namespace zor::cli
