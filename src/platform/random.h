// The process's pseudo-random generator (GUI thread only). Seeded from the clock at start-up;
// the quote snapshot's turnover and the timer intervals draw from it.
#pragma once

#include <cstdint>

namespace zor {

void seedRandom(uint32_t seed);
// A uniform value in [0, 2^31).
uint32_t nextRandom();

}  // namespace zor
