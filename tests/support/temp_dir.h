// A fresh directory under the system's temporary folder, removed with its contents when the
// object goes away. `path` ends in the path separator, like the program's exeDir.
#pragma once

#include <string>
#include <string_view>

namespace zor {

class TempDir {
 public:
  // `name` may hold non-ASCII characters (a folder named 测试 must work).
  explicit TempDir(std::string_view name = "zortest");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + relative, creating nothing.
  std::string file(std::string_view relative) const { return path_ + std::string(relative); }
  // Writes a file (and its parent directories) with the given bytes.
  void write(std::string_view relative, std::string_view bytes) const;
  std::string read(std::string_view relative) const;
  void mkdir(std::string_view relative) const;

 private:
  std::string path_;
};

}  // namespace zor
