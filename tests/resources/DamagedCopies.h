#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

// Hands `check` every truncation of `whole` and `rounds` copies of it with three bytes replaced
// at random.
template <typename Check>
void ForEachDamagedCopy(const std::string& whole, uint32_t seed, int rounds, Check check)
{
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        check(whole.substr(0, cut));
    }
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        std::string bytes = whole;
        for (int flips = 0; flips < 3; ++flips)
            bytes[random() % bytes.size()] = char(random());
        SCOPED_TRACE(round);
        check(bytes);
    }
}
