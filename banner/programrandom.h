#pragma once

#include <random>

// The program-wide pseudo-random generator. Only reseedProgramRandom() seeds it; every build of
// a banner caption's shade image calls it.
std::mt19937 &programRandom();

// Seeds the generator from the high-resolution clock.
void reseedProgramRandom();

// A whole number from 0 to n - 1, each equally likely; 0 when n is not positive.
int randomInt(int n);
