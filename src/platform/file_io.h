// File system access with UTF-8 paths. On Windows every path reaches the system through the
// UTF-16 APIs (a folder named 测试 works); on POSIX a backslash in a path is taken as a
// separator, so that the program's "dir\file" joins work unchanged on both systems.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

// The platform's preferred separator ('\\' on Windows, '/' elsewhere).
char pathSeparator();

// True when `path` ends in '\\' or '/'.
bool endsWithSeparator(std::string_view path);

// dir + separator (unless dir already ends in one) + name. An empty dir gives name.
std::string joinPath(std::string_view dir, std::string_view name);

// A path that needs no base directory: a drive letter ("C:..."), a UNC path ("\\\\..."), or on
// POSIX a path starting with '/'.
bool isAbsolutePath(std::string_view path);

bool isDirectory(const std::string& path);
bool fileExists(const std::string& path);  // a regular file

// Size in bytes; false when the file cannot be examined.
bool fileSize(const std::string& path, uint64_t& size);

// Reads the whole file into `out`. Fails (leaving `out` empty) when the file cannot be opened,
// is larger than maxBytes, or cannot be read completely.
bool readFile(const std::string& path, std::string& out, uint64_t maxBytes = 1ull << 30);

// Reads up to `count` bytes at `offset`; `out` receives what was read (possibly fewer bytes).
// False only when the file cannot be opened or positioned.
bool readFileRange(const std::string& path, uint64_t offset, uint64_t count, std::string& out);

// Writes `data` to "<path>.tmp" in the same directory, flushes and closes it, then moves it over
// `path` in one step, write-through: when it returns true the new file is on disk, so of two
// files saved one after the other the second never survives a crash without the first. On
// any failure the temporary file is removed, `path` is left as it was, and false is returned.
bool writeFileAtomic(const std::string& path, std::string_view data);

bool removeFile(const std::string& path);
// Moves `from` to `to`, replacing `to` when it exists.
bool renameFile(const std::string& from, const std::string& to);
bool copyFile(const std::string& from, const std::string& to);
bool createDirectory(const std::string& path);  // true when it exists afterwards

struct DirEntry {
  std::string name;  // UTF-8, without the directory
  bool isDirectory = false;
};

// Entries of `dir` whose names match `pattern` ('*' and '?' wildcards, ASCII case ignored as on
// Windows), without "." and "..". Sorted by name so that scans are deterministic.
std::vector<DirEntry> listDirectory(const std::string& dir, std::string_view pattern = "*");

// Case-insensitive (ASCII) wildcard match of '*' and '?'.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Directory of the running executable, ending in the separator; empty when unknown.
std::string executableDirectory();
// The process's current directory, ending in the separator; empty when unknown.
std::string currentDirectory();

// A stdio stream for appending text logs (binary mode: no CR is added).
struct AppendFile {
  std::FILE* f = nullptr;
};
AppendFile* openAppendFile(const std::string& path);
bool appendWrite(AppendFile* f, std::string_view data);  // writes and flushes
void closeAppendFile(AppendFile* f);
// Size of the open file (its current end), or 0.
uint64_t appendFileSize(AppendFile* f);

}  // namespace zor
