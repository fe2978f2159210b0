// What every fuzz target shares: its entry point, and the end of the run with a crash report when
// a property of the code under test does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

inline void Require(bool holds) { holds ? void() : std::abort(); }
