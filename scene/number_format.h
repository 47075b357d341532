// The two number formats of the scene file. Each writes into `out`, which
// must have room for the longest result, and returns the end of what it
// wrote.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tilegrid {

// "-1.17549e-38" is the longest text formatFloat writes.
constexpr std::size_t MaxFloatText = 16;
constexpr std::size_t MaxIntegerText = 11;  // -2147483648

// General notation with six significant digits, from the float's exact value,
// rounded to nearest with ties to even:
//   0.1f -> 0.1     100000 -> 100000    1e6 -> 1e+06    1e-5 -> 1e-05
//   -0.0 -> -0      0.0001f -> 0.0001   999999.5 -> 1e+06
char* formatFloat(char* out, float value);

// Plain decimal with a minus sign when negative: -2147483648.
char* formatInteger(char* out, std::int32_t value);

}  // namespace tilegrid
