#include "crystal/crystal_reader.h"

#include "tests/memory_streams.h"

#include <charconv>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tilegrid {
namespace {

using testing::StringSource;

struct Reading {
    CrystalFileStatus status;
    std::unique_ptr<Crystal> crystal;
};

Reading read(std::string_view bytes, std::size_t pieceSize = 1 << 20) {
    StringSource source(bytes, pieceSize);
    auto crystal = std::make_unique<Crystal>();
    const CrystalFileStatus status = readCrystal(source, *crystal);
    return {status, std::move(crystal)};
}

std::string shortest(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The model in one line, "count | x y z symbol | ... | translatex translatez",
// each float in the shortest text that reads back to it.
std::string describe(const Crystal& crystal) {
    std::string text = std::to_string(crystal.atomCount);
    for (std::int32_t j = 0; j < crystal.atomCount; ++j) {
        const Atom& atom = crystal.atoms[j];
        text += " | " + shortest(atom.x) + " " + shortest(atom.y) + " " + shortest(atom.z);
        if (atom.symbol[0] != '\0') text += std::string(" ") + atom.symbol;
    }
    return text + " | " + shortest(crystal.translatex) + " " + shortest(crystal.translatez);
}

std::string describe(std::string_view bytes, std::size_t pieceSize = 1 << 20) {
    const Reading reading = read(bytes, pieceSize);
    EXPECT_EQ(reading.status, CrystalFileStatus::Read);
    return describe(*reading.crystal);
}

struct Case {
    const char* name;
    std::string bytes;
    const char* model;
};

TEST(ReadCrystal, LayoutOfTheFieldsDoesNotMatter) {
    const Case cases[] = {
        {"lines", "2\n0 0 0 Si\n1.5 1.5 -2.75 Ho\n5.43 7.2\n", "2 | 0 0 0 Si | 1.5 1.5 -2.75 Ho | 5.43 7.2"},
        {"CR LF", "2\r\n0 0 0 Si\r\n1.5 1.5 -2.75 Ho\r\n5.43 7.2\r\n", "2 | 0 0 0 Si | 1.5 1.5 -2.75 Ho | 5.43 7.2"},
        {"one line", "2 0 0 0 Si 1.5 1.5 -2.75 Ho 5.43 7.2", "2 | 0 0 0 Si | 1.5 1.5 -2.75 Ho | 5.43 7.2"},
        {"all whitespace kinds", "\t2\v0\f0\r0 Si\n\n1.5  1.5\t-2.75 Ho 5.43\r7.2", "2 | 0 0 0 Si | 1.5 1.5 -2.75 Ho | 5.43 7.2"},
        {"no final line end", "0 5.43 7.25", "0 | 5.43 7.25"},
        {"text after the periods", "0 1 2 garbage 3", "0 | 1 2"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, CountDecidesHowManyAtomsAreRead) {
    const Case cases[] = {
        {"zero", "0 5 7", "0 | 5 7"},
        {"negative", "-3 5 7", "-3 | 5 7"},
        {"plus sign", "+1 1 2 3 Si 4 5", "1 | 1 2 3 Si | 4 5"},
        {"leading zeros", "001 1 2 3 Si 4 5", "1 | 1 2 3 Si | 4 5"},
        {"more than written", "2\n0 0 0 Si\n5.43 7.2\n", "2 | 0 0 0 Si | 5.43 7.2 0 | 0 0"},
        {"fewer than written", "1\n0 0 0 Si\n1.5 1.5 -2.75 Ho\n5.43 7.2\n", "1 | 0 0 0 Si | 1.5 1.5"},
        {"a point ends it", "1.0 2 3 Si 4 5", "1 | 0 2 3 Si | 4 5"},
        {"no hexadecimal", "0x10 5", "0 | 0 0"},
        {"smallest 32-bit", "-2147483648 5 7", "-2147483648 | 5 7"},
        {"below 32 bits fails", "-2147483649 5 7", "0 | 0 0"},
        {"not a number", "two 5 7", "0 | 0 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, WordsGiveTheirFirstTwoBytes) {
    const Case cases[] = {
        {"longer word", "1 0 0 0 Sil 1 2", "1 | 0 0 0 Si | 1 2"},
        {"one byte", "1 0 0 0 O 1 2", "1 | 0 0 0 O | 1 2"},
        {"digits", "1 0 0 0 14 1 2", "1 | 0 0 0 14 | 1 2"},
        {"right after a number", "1 1 2 0Si 4 5", "1 | 1 2 0 Si | 4 5"},
        {"byte 26 is ordinary", "1 0 0 0 \x1a\x1a 1 2", "1 | 0 0 0 \x1a\x1a | 1 2"},
        {"high bytes", "1 0 0 0 \xc3\xa9t\xc3 1 2", "1 | 0 0 0 \xc3\xa9 | 1 2"},
        {"missing symbol shifts the fields",
         "2\n0 0 0\n1.5 1.5 -2.75 Ho\n5.43 7.2\n", "2 | 0 0 0 1. | 1.5 -2.75 0 | 0 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, RealNumberGrammar) {
    const Case cases[] = {
        {"exponent forms", "1 1e3 1E+3 1000 X 1e-3 2", "1 | 1000 1000 1000 X | 0.001 2"},
        {"point forms", "0 .5 5.", "0 | 0.5 5"},
        {"negative zero", "1 -0 -0.0 +0 Si 1 2", "1 | -0 -0 0 Si | 1 2"},
        {"dangling exponent", "1 1e 2 3 Si 4 5", "1 | 0 0 0 | 0 0"},
        {"dangling exponent sign", "1 1e+ 2 3 Si 4 5", "1 | 0 0 0 | 0 0"},
        {"exponent letter ends a number", "1 1 2 0Er 4 5", "1 | 1 2 0 | 0 0"},
        {"exponent letter after a blank", "1 1 2 0 Er 4 5", "1 | 1 2 0 Er | 4 5"},
        {"comma", "1 1,2 3 Si 4 5", "1 | 1 0 0 | 0 0"},
        {"point alone", "0 . 5", "0 | 0 0"},
        {"blank after a sign", "0 - 1 5", "0 | 0 0"},
        {"letter first", "0 x1 5", "0 | 0 0"},
        {"no infinity word", "0 inf 5", "0 | 0 0"},
        {"no hexadecimal", "0 0x1p3 5", "0 | 0 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, RealsRoundToTheNearestFloat) {
    const std::string subnormalMidpoint =
        "2.101947696487225606385594374934874196920392912814773657635602425834686624028790902229957282543182373046875e-45";
    std::string belowSubnormalMidpoint = subnormalMidpoint;
    belowSubnormalMidpoint.replace(belowSubnormalMidpoint.find("875e"), 4, "874e");
    const Case cases[] = {
        {"nearest float", "0 5.43 7.2", "0 | 5.43 7.2"},
        {"tie goes to even", "0 1.000000059604644775390625 1.000000059604644775390626", "0 | 1 1.0000001"},
        {"subnormal tie goes to even", "0 " + subnormalMidpoint + " " + belowSubnormalMidpoint, "0 | 3e-45 1e-45"},
        {"a far digit decides a tie",
         "0 1.000000059604644775390625" + std::string(300, '0') + "1 7", "0 | 1.0000001 7"},
        {"many leading and trailing zeros",
         "0 " + std::string(500, '0') + "1." + std::string(500, '0') + " 0." + std::string(300, '0') + "25e302",
         "0 | 1 25"},
        {"largest float", "0 3.40282346e38 -3.4028235e38", "0 | 3.4028235e+38 -3.4028235e+38"},
        {"too small for a normal float", "0 1e-45 -1e-39", "0 | 1e-45 -1e-39"},
        {"rounds to zero", "0 1e-46 -7e-46", "0 | 0 -0"},
        {"far below", "0 1e-99999999999999999999 -1e-400", "0 | 0 -0"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, RealsBeyondTheFloatRangeFailLikeBadText) {
    const Case cases[] = {
        {"above the largest float", "0 3.40282357e38 5", "0 | 0 0"},
        {"far above", "0 -1e39 5", "0 | 0 0"},
        {"huge exponent", "0 1e99999999999999999999 5", "0 | 0 0"},
        {"many digits", "0 1" + std::string(40, '0') + " 5", "0 | 0 0"},
        {"stops the atoms too", "1 1e40 2 3 Si 4 5", "1 | 0 0 0 | 0 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(describe(c.bytes), c.model) << c.name;
}

TEST(ReadCrystal, EmptyDataLeavesEveryFieldZero) {
    EXPECT_EQ(describe(""), "0 | 0 0");
    EXPECT_EQ(describe(" \r\n\t\v\f "), "0 | 0 0");
}

TEST(ReadCrystal, CountAboveTheTableIsRefused) {
    for (const char* bytes : {"5001", "+5001 0 0 0 Si", "2147483648", "99999999999999999999999999 1 2"}) {
        const Reading reading = read(bytes);
        EXPECT_EQ(reading.status, CrystalFileStatus::TooManyAtoms) << bytes;
        EXPECT_EQ(reading.crystal->atomCount, 0) << bytes;
    }
    std::string full = "5000\n";
    for (int j = 0; j < 5000; ++j) full += std::to_string(j) + " 1 -2 Si\n";
    full += "3 4\n";
    const Reading reading = read(full);
    ASSERT_EQ(reading.status, CrystalFileStatus::Read);
    EXPECT_EQ(reading.crystal->atomCount, 5000);
    EXPECT_EQ(reading.crystal->atoms[4999].x, 4999.0f);
    EXPECT_EQ(reading.crystal->translatez, 4.0f);
}

TEST(ReadCrystal, StartsFromZeroWhateverTheModelHeld) {
    StringSource source("1 5");
    auto crystal = std::make_unique<Crystal>();
    crystal->translatex = 9.0f;
    crystal->atoms[0].symbol[0] = 'Q';
    readCrystal(source, *crystal);
    EXPECT_EQ(describe(*crystal), "1 | 5 0 0 | 0 0");
}

TEST(ReadCrystal, WordOfAnyLengthIsReadWholeAndDropped) {
    const std::string word(3 * 1000 * 1000 + 7, 'A');
    EXPECT_EQ(describe("1 0 0 0 " + word + " 1 2", 4096), "1 | 0 0 0 AA | 1 2");
    const std::string digits = "1." + std::string(200000, '0') + "1";
    EXPECT_EQ(describe("0 " + digits + " 2", 4096), "0 | 1 2");
}

// Cut the example after every byte: no prefix depends on how the source hands
// out its bytes, and a field cut short by the end still gets what it holds.
TEST(ReadCrystal, EveryPrefixReadsToADefinedModel) {
    const std::string full = "2\r\n0 0 0 Si\r\n1.5 1.5 -2.75 Ho\r\n5.43 7.2\r\n";
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const std::string prefix = full.substr(0, length);
        const std::string expected = describe(prefix);
        for (std::size_t piece : {1, 2, 3, 7}) {
            EXPECT_EQ(describe(prefix, piece), expected) << "prefix of " << length << ", pieces of " << piece;
        }
    }
    EXPECT_EQ(describe(full.substr(0, 13)), "2 | 0 0 0 Si | 0 0 0 | 0 0");
    EXPECT_EQ(describe(full.substr(0, 10)), "2 | 0 0 0 S | 0 0 0 | 0 0");
    EXPECT_EQ(describe(full.substr(0, 37)), "2 | 0 0 0 Si | 1.5 1.5 -2.75 Ho | 5.43 7");
}

}  // namespace
}  // namespace tilegrid
