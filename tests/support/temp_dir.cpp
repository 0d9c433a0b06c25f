#include "temp_dir.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"

namespace zor {

namespace fs = std::filesystem;

namespace {
fs::path u8path(std::string_view s) { return fs::path(std::u8string(s.begin(), s.end())); }
std::string fromPath(const fs::path& p) {
  std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}
}  // namespace

TempDir::TempDir(std::string_view name) {
  static std::atomic<int> counter{0};
  fs::path base = fs::temp_directory_path();
  fs::path dir = base / u8path(std::string(name) + "_" + std::to_string(processId()) + "_" +
                               std::to_string(counter++));
  fs::remove_all(dir);
  fs::create_directories(dir);
  path_ = fromPath(dir);
  path_ += char(fs::path::preferred_separator);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(u8path(path_), ec);
}

void TempDir::write(std::string_view relative, std::string_view bytes) const {
  fs::path p = u8path(path_) / u8path(relative);
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string TempDir::read(std::string_view relative) const {
  std::ifstream f(u8path(path_) / u8path(relative), std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void TempDir::mkdir(std::string_view relative) const { fs::create_directories(u8path(path_) / u8path(relative)); }

}  // namespace zor
