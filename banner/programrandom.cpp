#include "banner/programrandom.h"

#include <chrono>
#include <cstdint>

std::mt19937 &programRandom()
{
    static std::mt19937 generator;
    return generator;
}

void reseedProgramRandom()
{
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    programRandom().seed(seed);
}

int randomInt(int n)
{
    if (n <= 0)
        return 0;
    std::uniform_int_distribution<int> draw(0, n - 1);
    return draw(programRandom());
}
