// Replays the files of one fuzz corpus folder (fuzz/corpus/<target>) through a fuzz entry.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_io.h"

namespace zor {

// Runs `run(bytes)` on every regular file of fuzz/corpus/<target> and expects at least
// `minFiles` of them.
template <class Run>
void replayFuzzCorpus(const std::string& target, Run run, int minFiles) {
  // ZOR_TEST_DATA is <source>/tests/data.
  const std::filesystem::path dir =
      std::filesystem::path(ZOR_TEST_DATA).lexically_normal().parent_path().parent_path() / "fuzz" / "corpus" / target;
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  int files = 0;
  for (const auto& f : std::filesystem::directory_iterator(dir)) {
    if (!f.is_regular_file()) continue;
    std::string bytes;
    std::u8string u = f.path().u8string();
    ASSERT_TRUE(readFile(std::string(u.begin(), u.end()), bytes)) << f.path();
    SCOPED_TRACE(f.path().string());
    run(bytes);
    ++files;
  }
  EXPECT_GE(files, minFiles) << target;
}

}  // namespace zor
