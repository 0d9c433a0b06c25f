// Replays every file of the trading fuzz corpora through the fuzz entries: crafted bad files
// (short, oversized or negative counts, NaN and infinite money, unknown magic, files without
// the trailer, impossible records) must load without a crash, a hang or a read out of bounds,
// and what they load must rewrite byte for byte.
#include <gtest/gtest.h>

#include "../../../fuzz/trading_fuzz_entries.h"
#include "fuzz_corpus.h"
#include "temp_dir.h"

namespace zor {
namespace {

TEST(TradingFuzzCorpus, EveryFileReplays) {
  TempDir scratch("zortradecorpus");
  fuzz::tradingScratchDir() = scratch.path();
  for (const fuzz::TradingEntry& e : fuzz::kTradingEntries) replayFuzzCorpus(e.target, e.run, 10);
}

}  // namespace
}  // namespace zor
