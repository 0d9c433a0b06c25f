// Windows backend of file_io.h: UTF-8 paths become UTF-16 and go through the wide APIs.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE v) : h(v) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

DWORD attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  std::wstring w;
  if (!utf8ToWide(path, w)) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(w.c_str());
}

HANDLE openRead(const std::string& path) {
  std::wstring w;
  if (!utf8ToWide(path, w)) return INVALID_HANDLE_VALUE;
  return CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool readExactly(HANDLE h, char* data, uint64_t size, uint64_t& got) {
  got = 0;
  while (got < size) {
    DWORD chunk = DWORD(std::min<uint64_t>(size - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(h, data + got, chunk, &n, nullptr)) return false;
    if (n == 0) break;
    got += n;
  }
  return true;
}

}  // namespace

char pathSeparator() { return '\\'; }

bool isDirectory(const std::string& path) {
  DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path) {
  DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileSize(const std::string& path, uint64_t& size) {
  std::wstring w;
  if (path.empty() || !utf8ToWide(path, w)) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool readFile(const std::string& path, std::string& out, uint64_t maxBytes) {
  out.clear();
  Handle f(openRead(path));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size) || size.QuadPart < 0 || uint64_t(size.QuadPart) > maxBytes) return false;
  out.resize(size_t(size.QuadPart));
  uint64_t got = 0;
  if (!readExactly(f.h, out.data(), out.size(), got) || got != out.size()) {
    out.clear();
    return false;
  }
  return true;
}

bool readFileRange(const std::string& path, uint64_t offset, uint64_t count, std::string& out) {
  out.clear();
  Handle f(openRead(path));
  if (!f.ok()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size) || size.QuadPart < 0) return false;
  uint64_t total = uint64_t(size.QuadPart);
  if (offset >= total) return true;
  LARGE_INTEGER pos;
  pos.QuadPart = LONGLONG(offset);
  if (!SetFilePointerEx(f.h, pos, nullptr, FILE_BEGIN)) return false;
  uint64_t want = std::min<uint64_t>(count, total - offset);
  out.resize(size_t(want));
  uint64_t got = 0;
  readExactly(f.h, out.data(), want, got);
  out.resize(size_t(got));
  return true;
}

bool writeFileAtomic(const std::string& path, std::string_view data) {
  std::wstring target, tmp;
  if (!utf8ToWide(path, target)) return false;
  tmp = target + L".tmp";
  bool ok;
  {
    Handle f(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok()) return false;
    ok = true;
    size_t done = 0;
    while (ok && done < data.size()) {
      DWORD chunk = DWORD(std::min<size_t>(data.size() - done, 1u << 30));
      DWORD n = 0;
      ok = WriteFile(f.h, data.data() + done, chunk, &n, nullptr) && n == chunk;
      done += n;
    }
    ok = ok && FlushFileBuffers(f.h);
  }
  if (ok) ok = MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(tmp.c_str());
  return ok;
}

bool removeFile(const std::string& path) {
  std::wstring w;
  return utf8ToWide(path, w) && DeleteFileW(w.c_str());
}

bool renameFile(const std::string& from, const std::string& to) {
  std::wstring a, b;
  if (!utf8ToWide(from, a) || !utf8ToWide(to, b)) return false;
  return MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool copyFile(const std::string& from, const std::string& to) {
  std::wstring a, b;
  if (!utf8ToWide(from, a) || !utf8ToWide(to, b)) return false;
  return CopyFileW(a.c_str(), b.c_str(), FALSE);
}

bool createDirectory(const std::string& path) {
  if (isDirectory(path)) return true;
  std::wstring w;
  if (!utf8ToWide(path, w)) return false;
  return CreateDirectoryW(w.c_str(), nullptr) || isDirectory(path);
}

std::vector<DirEntry> listDirectory(const std::string& dir, std::string_view pattern) {
  std::vector<DirEntry> out;
  std::wstring w;
  if (!utf8ToWide(joinPath(dir, "*"), w)) return out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(w.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name;
    if (!wideToUtf8(fd.cFileName, name)) continue;
    if (name == "." || name == ".." || !wildcardMatch(pattern, name)) continue;
    DirEntry e;
    e.name = std::move(name);
    e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.push_back(std::move(e));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return out;
}

std::string executableDirectory() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  buf.resize(n);
  size_t slash = buf.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  std::string out;
  if (!wideToUtf8(buf.substr(0, slash + 1), out)) return {};
  return out;
}

std::string currentDirectory() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring buf(n, L'\0');
  n = GetCurrentDirectoryW(DWORD(buf.size()), buf.data());
  if (n == 0 || n >= buf.size()) return {};
  buf.resize(n);
  if (buf.back() != L'\\') buf += L'\\';
  std::string out;
  if (!wideToUtf8(buf, out)) return {};
  return out;
}

AppendFile* openAppendFile(const std::string& path) {
  std::wstring w;
  if (!utf8ToWide(path, w)) return nullptr;
  FILE* f = _wfopen(w.c_str(), L"ab");
  if (!f) return nullptr;
  return new AppendFile{f};
}

uint64_t appendFileSize(AppendFile* f) {
  if (!f) return 0;
  if (_fseeki64(f->f, 0, SEEK_END) != 0) return 0;
  long long end = _ftelli64(f->f);
  return end < 0 ? 0 : uint64_t(end);
}

}  // namespace zor
