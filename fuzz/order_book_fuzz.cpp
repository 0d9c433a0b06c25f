// libFuzzer target: see fuzzOrderBook in trading_fuzz_entries.h. Corpus:
// fuzz/corpus/order_book_fuzz/.
#include <cstddef>
#include <cstdint>

#include "trading_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::fuzzOrderBook(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
