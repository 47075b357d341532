#include "crystal/real_number.h"

#include <charconv>
#include <cstring>

namespace tilegrid {
namespace {

// Appends one decimal digit to a magnitude that stops growing at `limit`.
std::int64_t addDigit(std::int64_t magnitude, char digit, std::int64_t limit) {
    if (magnitude >= limit) return limit;
    return magnitude * 10 + (digit - '0');
}

}  // namespace

void RealNumber::addSignificantDigit(char digit) {
    if (digitCount_ < KeptDigits) {
        digits_[digitCount_++] = digit;
    } else if (digit != '0') {
        nonzeroDropped_ = true;
    }
}

void RealNumber::addIntegerDigit(char digit) {
    if (digitCount_ == 0 && digit == '0') return;  // a leading zero
    addSignificantDigit(digit);
    if (pointPosition_ < ExponentLimit) ++pointPosition_;
}

void RealNumber::addFractionDigit(char digit) {
    if (digitCount_ == 0 && digit == '0') {
        if (pointPosition_ > -ExponentLimit) --pointPosition_;
        return;
    }
    addSignificantDigit(digit);
}

void RealNumber::addExponentDigit(char digit) { exponent_ = addDigit(exponent_, digit, ExponentLimit); }

bool RealNumber::toFloat(float& value) const {
    const float zero = negative_ ? -0.0f : 0.0f;
    if (digitCount_ == 0) {
        value = zero;
        return true;
    }
    // The number is 0.d1d2... * 10^scale with d1 nonzero, so its magnitude
    // lies in [10^(scale-1), 10^scale).
    const std::int64_t scale = pointPosition_ + (exponentNegative_ ? -exponent_ : exponent_);
    if (scale > 39) return false;  // above 1e38: beyond the largest float
    if (scale < -46) {             // below 1e-47: under half the smallest subnormal
        value = zero;
        return true;
    }

    // "-0.<digits>[1]e<scale>", which std::from_chars rounds exactly.
    char text[KeptDigits + 16];
    char* end = text;
    if (negative_) *end++ = '-';
    *end++ = '0';
    *end++ = '.';
    std::memcpy(end, digits_, static_cast<std::size_t>(digitCount_));
    end += digitCount_;
    if (nonzeroDropped_) *end++ = '1';
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, scale).ptr;

    float result = 0.0f;
    const std::from_chars_result parsed = std::from_chars(text, end, result);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Reported both for a value that rounds to infinity and for one that
        // rounds to zero; the scale tells which.
        if (scale > 0) return false;
        value = zero;
        return true;
    }
    if (parsed.ec != std::errc() || parsed.ptr != end) return false;
    value = result;
    return true;
}

}  // namespace tilegrid
