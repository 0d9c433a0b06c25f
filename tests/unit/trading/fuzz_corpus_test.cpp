// Replays every file of the trading fuzz corpora through the fuzz entries: crafted bad files
// (short, oversized or negative counts, NaN and infinite money, unknown magic, files without
// the trailer, impossible records) must load without a crash, a hang or a read out of bounds,
// and what they load must rewrite byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../../fuzz/trading_fuzz_entries.h"
#include "platform/file_io.h"
#include "temp_dir.h"

namespace zor {
namespace {

TEST(TradingFuzzCorpus, EveryFileReplays) {
  TempDir scratch("zortradecorpus");
  fuzz::tradingScratchDir() = scratch.path();
  // ZOR_TEST_DATA is <source>/tests/data.
  std::filesystem::path corpus =
      std::filesystem::path(ZOR_TEST_DATA).lexically_normal().parent_path().parent_path() / "fuzz" / "corpus";
  for (const fuzz::TradingEntry& e : fuzz::kTradingEntries) {
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
    EXPECT_GE(files, 10) << e.target;
  }
}

}  // namespace
}  // namespace zor
