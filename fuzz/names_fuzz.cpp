// libFuzzer target: see fuzzNames in data_fuzz_entries.h. Corpus: fuzz/corpus/names_fuzz/.
#include <cstddef>
#include <cstdint>

#include "data_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::fuzzNames(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
