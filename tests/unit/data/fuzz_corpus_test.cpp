// Replays every file of the market-data fuzz corpora through the fuzz entries: crafted bad
// files (truncated, huge or negative counts, wrong magic, garbage dates, NaN and infinite
// floats, empty files) must load without a crash, a hang or a read out of bounds.
#include <gtest/gtest.h>

#include "../../../fuzz/data_fuzz_entries.h"
#include "fuzz_corpus.h"
#include "temp_dir.h"

namespace zor {
namespace {

TEST(FuzzCorpus, EveryFileReplays) {
  TempDir scratch("zorcorpus");
  fuzz::scratchDir() = scratch.path();
  for (const fuzz::Entry& e : fuzz::kEntries) replayFuzzCorpus(e.target, e.run, 5);
}

}  // namespace
}  // namespace zor
