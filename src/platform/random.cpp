#include "platform/random.h"

#include <random>

namespace zor {

namespace {
std::minstd_rand& generator() {
  static std::minstd_rand g(1);
  return g;
}
}  // namespace

void seedRandom(uint32_t seed) { generator().seed(seed == 0 ? 1 : seed); }

uint32_t nextRandom() { return uint32_t(generator()() & 0x7FFFFFFF); }

}  // namespace zor
