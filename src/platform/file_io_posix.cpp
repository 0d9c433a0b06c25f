// POSIX backend of file_io.h. Paths are UTF-8 already; a backslash is read as a separator.
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/file_io.h"

namespace zor {

namespace {

std::string nativePath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// A rename reaches the disk only with its directory. Flushing it makes saves write-through, so
// that files saved one after the other (an account, then the order book) cannot come back
// from a power loss in the opposite state. Some file systems refuse to flush a directory;
// the rename has happened all the same.
void syncDirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

char pathSeparator() { return '/'; }

bool isDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(nativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool fileSize(const std::string& path, uint64_t& size) {
  struct stat st;
  if (path.empty() || ::stat(nativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = uint64_t(st.st_size);
  return true;
}

bool readFile(const std::string& path, std::string& out, uint64_t maxBytes) {
  out.clear();
  int fd = ::open(nativePath(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > maxBytes) {
    ::close(fd);
    return false;
  }
  out.resize(size_t(st.st_size));
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  ::close(fd);
  if (got != out.size()) {
    out.clear();
    return false;
  }
  return true;
}

bool readFileRange(const std::string& path, uint64_t offset, uint64_t count, std::string& out) {
  out.clear();
  int fd = ::open(nativePath(path).c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  uint64_t size = uint64_t(st.st_size);
  if (offset > size || offset > uint64_t(LLONG_MAX)) {
    ::close(fd);
    return true;  // positioned past the end: nothing to read
  }
  uint64_t want = std::min<uint64_t>(count, size - offset);
  if (::lseek(fd, off_t(offset), SEEK_SET) < 0) {
    ::close(fd);
    return false;
  }
  out.resize(size_t(want));
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  out.resize(got);
  ::close(fd);
  return true;
}

bool writeFileAtomic(const std::string& path, std::string_view data) {
  std::string target = nativePath(path);
  std::string tmp = target + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = writeAll(fd, data.data(), data.size()) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
  if (ok) syncDirectoryOf(target);
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

bool removeFile(const std::string& path) { return ::unlink(nativePath(path).c_str()) == 0; }

bool renameFile(const std::string& from, const std::string& to) {
  return ::rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0;
}

bool copyFile(const std::string& from, const std::string& to) {
  std::string data;
  if (!readFile(from, data)) return false;
  return writeFileAtomic(to, data);
}

bool createDirectory(const std::string& path) {
  if (isDirectory(path)) return true;
  return ::mkdir(nativePath(path).c_str(), 0755) == 0 || isDirectory(path);
}

std::vector<DirEntry> listDirectory(const std::string& dir, std::string_view pattern) {
  std::vector<DirEntry> out;
  std::string base = nativePath(dir);
  DIR* d = ::opendir(base.c_str());
  if (!d) return out;
  while (struct dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || !wildcardMatch(pattern, name)) continue;
    DirEntry entry;
    entry.name = name;
    entry.isDirectory = isDirectory(joinPath(base, name));
    out.push_back(std::move(entry));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return out;
}

std::string executableDirectory() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string p(buf, size_t(n));
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return {};
  return p.substr(0, slash + 1);
}

std::string currentDirectory() {
  std::vector<char> buf(4096);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
  std::string p(buf.data());
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

AppendFile* openAppendFile(const std::string& path) {
  FILE* f = std::fopen(nativePath(path).c_str(), "ab");
  if (!f) return nullptr;
  return new AppendFile{f};
}

uint64_t appendFileSize(AppendFile* f) {
  if (!f) return 0;
  if (std::fseek(f->f, 0, SEEK_END) != 0) return 0;
  long end = std::ftell(f->f);
  return end < 0 ? 0 : uint64_t(end);
}

}  // namespace zor
