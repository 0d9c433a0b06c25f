// Replays every file of the market-data fuzz corpora through the fuzz entries: crafted bad
// files (truncated, huge or negative counts, wrong magic, garbage dates, NaN and infinite
// floats, empty files) must load without a crash, a hang or a read out of bounds.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../../fuzz/data_fuzz_entries.h"
#include "temp_dir.h"

namespace zor {
namespace {

TEST(FuzzCorpus, EveryFileReplays) {
  TempDir scratch("zorcorpus");
  fuzz::scratchDir() = scratch.path();
  // ZOR_TEST_DATA is <source>/tests/data.
  std::filesystem::path corpus =
      std::filesystem::path(ZOR_TEST_DATA).lexically_normal().parent_path().parent_path() / "fuzz" / "corpus";
  for (const fuzz::Entry& e : fuzz::kEntries) {
    std::filesystem::path dir = corpus / e.target;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& f : std::filesystem::directory_iterator(dir)) {
      if (!f.is_regular_file()) continue;
      std::string bytes;
      std::u8string u = f.path().u8string();
      ASSERT_TRUE(readFile(std::string(u.begin(), u.end()), bytes)) << f.path();
      SCOPED_TRACE(f.path().string());
      e.run(bytes);
      ++files;
    }
    EXPECT_GE(files, 5) << e.target;
  }
}

}  // namespace
}  // namespace zor
