#include "scene/number_format.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace tilegrid {
namespace {

std::string floatText(float value) {
    char text[MaxFloatText];
    return std::string(text, formatFloat(text, value));
}

std::string integerText(std::int32_t value) {
    char text[MaxIntegerText];
    return std::string(text, formatInteger(text, value));
}

struct FloatCase {
    float value;
    const char* text;
};

TEST(FormatFloat, GeneralNotationWithSixSignificantDigits) {
    const FloatCase cases[] = {
        {0.0f, "0"},
        {-0.0f, "-0"},
        {0.5f, "0.5"},
        {-2.75f, "-2.75"},
        {20.0f, "20"},
        {0.1f, "0.1"},         // the float lies above 0.1
        {0.0001f, "0.0001"},   // the float lies below 0.0001
        {0.00001f, "1e-05"},   // exponent below -4
        {1.5e-5f, "1.5e-05"},
        {100000.0f, "100000"},
        {1e6f, "1e+06"},       // exponent 6
        {1234567.0f, "1.23457e+06"},
        {5.43f, "5.43"},
        {123456.0f, "123456"},
        {1.25e20f, "1.25e+20"},
        {FLT_MAX, "3.40282e+38"},
        {-FLT_MIN, "-1.17549e-38"},  // the longest text
        {std::ldexp(1.0f, -149), "1.4013e-45"},
    };
    for (const FloatCase& c : cases) EXPECT_EQ(floatText(c.value), c.text) << "for " << c.text;
}

TEST(FormatFloat, ExactTiesGoToTheEvenDigit) {
    const FloatCase cases[] = {
        {1234565.0f, "1.23456e+06"},
        {1234575.0f, "1.23458e+06"},
        {123456.5f, "123456"},
        {123457.5f, "123458"},
        {0.1234565f, "0.123457"},  // not a tie: the float lies above the midpoint
    };
    for (const FloatCase& c : cases) EXPECT_EQ(floatText(c.value), c.text) << "for " << c.text;
}

TEST(FormatFloat, RoundingUpToTheNextPowerOfTenTakesItsExponent) {
    const FloatCase cases[] = {
        {999999.5f, "1e+06"},
        {999999.4f, "999999"},
        {99999.95f, "100000"},  // the float lies above the midpoint
        {9.9999997e-05f, "0.0001"},
        {9.9999e-05f, "9.9999e-05"},
        {-999999.5f, "-1e+06"},
    };
    for (const FloatCase& c : cases) EXPECT_EQ(floatText(c.value), c.text) << "for " << c.text;
}

TEST(FormatInteger, PlainDecimal) {
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(7), "7");
    EXPECT_EQ(integerText(-1), "-1");
    EXPECT_EQ(integerText(1000000), "1000000");
    EXPECT_EQ(integerText(INT32_MAX), "2147483647");
    EXPECT_EQ(integerText(INT32_MIN), "-2147483648");
}

}  // namespace
}  // namespace tilegrid
