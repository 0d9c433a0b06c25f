// libFuzzer target: see fuzzLc1 in data_fuzz_entries.h. Corpus: fuzz/corpus/lc1_fuzz/.
#include <cstddef>
#include <cstdint>

#include "data_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::fuzzLc1(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
