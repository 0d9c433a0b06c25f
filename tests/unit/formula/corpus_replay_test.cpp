// Replays every file of the fuzz corpus through the fuzz target's own checks, so that an input
// that once broke the engine keeps being tested.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define ZOR_FUZZ_CHECK(cond) EXPECT_TRUE(cond) << #cond
#include "../../../fuzz/formula_fuzz.cpp"

namespace zor {
namespace {

TEST(FuzzCorpus, EveryFileKeepsTheInvariants) {
  const std::filesystem::path dir = std::filesystem::path(ZOR_TEST_DATA) / ".." / ".." / "fuzz" / "corpus" / "formula_fuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(data.data(), data.size());
    // A hang guard, not a speed test: the fuzzer's time-out is far longer than any input takes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ++files;
  }
  EXPECT_GE(files, 100u);
}

}  // namespace
}  // namespace zor
