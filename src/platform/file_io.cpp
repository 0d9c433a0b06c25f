// The portable half of file_io.h: path joining and wildcard matching.
#include "platform/file_io.h"

namespace zor {

bool endsWithSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string joinPath(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.empty() && !endsWithSeparator(out)) out += pathSeparator();
  out += name;
  return out;
}

bool isAbsolutePath(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return true;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
#ifndef _WIN32
  if (!path.empty() && path[0] == '/') return true;
#endif
  return false;
}

static char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  // Iterative matcher with one backtrack point for the last '*': linear in practice and
  // never recursive, whatever the pattern.
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool appendWrite(AppendFile* f, std::string_view data) {
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f->f) == data.size();
  return std::fflush(f->f) == 0 && ok;
}

void closeAppendFile(AppendFile* f) {
  if (!f) return;
  std::fclose(f->f);
  delete f;
}

}  // namespace zor
