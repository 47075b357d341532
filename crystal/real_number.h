// The value of a decimal real number, exactly rounded to a 32-bit float, built
// up digit by digit so that a number of any length is read in fixed memory.
#pragma once

#include <cstdint>

namespace tilegrid {

class RealNumber {
public:
    void setNegative() { negative_ = true; }
    void addIntegerDigit(char digit);
    void addFractionDigit(char digit);
    void addExponentDigit(char digit);
    void setNegativeExponent() { exponentNegative_ = true; }

    // The nearest float to the number, with ties to even. False when that
    // float would be infinite; a number too small for a normal float yields
    // a subnormal or a zero of the number's sign.
    bool toFloat(float& value) const;

private:
    // No midpoint between two adjacent floats has more than 112 significant
    // decimal digits. Beyond the kept digits it is enough to know whether any
    // further digit is nonzero: a single nonzero digit in their place sits on
    // the same side of every midpoint.
    static constexpr int KeptDigits = 128;
    // Beyond this, any exponent and any digit count give infinity or zero.
    static constexpr std::int64_t ExponentLimit = 1'000'000'000'000;

    void addSignificantDigit(char digit);

    char digits_[KeptDigits] = {};
    int digitCount_ = 0;
    bool nonzeroDropped_ = false;
    bool negative_ = false;
    // The number is 0.digits * 10^(pointPosition + exponent).
    std::int64_t pointPosition_ = 0;
    std::int64_t exponent_ = 0;
    bool exponentNegative_ = false;
};

}  // namespace tilegrid
