// POSIX: arguments are UTF-8 already.
#include "zorcli.h"

namespace zor::cli {

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

}  // namespace zor::cli
