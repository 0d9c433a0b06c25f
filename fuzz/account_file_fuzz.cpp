// libFuzzer target: see fuzzAccountFile in trading_fuzz_entries.h. Corpus:
// fuzz/corpus/account_file_fuzz/.
#include <cstddef>
#include <cstdint>

#include "trading_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::fuzzAccountFile(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
