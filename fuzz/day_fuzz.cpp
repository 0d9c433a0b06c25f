// libFuzzer target: see fuzzDay in data_fuzz_entries.h. Corpus: fuzz/corpus/day_fuzz/.
#include <cstddef>
#include <cstdint>

#include "data_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::fuzzDay(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
