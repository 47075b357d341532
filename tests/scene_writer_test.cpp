#include "scene/scene_writer.h"

#include "tests/memory_streams.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tilegrid {
namespace {

using testing::RecordingSink;

std::unique_ptr<Crystal> crystalOf(std::initializer_list<Atom> atoms, float translatex = 5.43f,
                                   float translatez = 7.2f) {
    auto crystal = std::make_unique<Crystal>();
    for (const Atom& atom : atoms) crystal->atoms[crystal->atomCount++] = atom;
    crystal->translatex = translatex;
    crystal->translatez = translatez;
    return crystal;
}

Atom atom(float x, float y, float z, const char* symbol) {
    Atom a{x, y, z, {}};
    std::memcpy(a.symbol, symbol, std::min<std::size_t>(std::strlen(symbol), 2));
    return a;
}

// The scene as its lines, each checked to end with CR LF and to have been
// handed on in one write of its own.
std::vector<std::string> sceneLines(const Crystal& crystal, std::int32_t xRepeat, std::int32_t yRepeat) {
    RecordingSink sink;
    LineWriter out(sink);
    writeScene(out, crystal, xRepeat, yRepeat);
    EXPECT_FALSE(out.failed());
    std::vector<std::string> lines;
    for (const std::string& write : sink.writes) {
        EXPECT_GE(write.size(), 2u);
        EXPECT_EQ(write.substr(write.size() - 2), "\r\n");
        lines.push_back(write.substr(0, write.size() - 2));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
    }
    return lines;
}

std::vector<std::string> slice(const std::vector<std::string>& lines, std::size_t from, std::size_t count) {
    return {lines.begin() + static_cast<long>(from), lines.begin() + static_cast<long>(from + count)};
}

TEST(WriteScene, OneSiliconAtomGivesTheWholeTemplate) {
    const auto crystal = crystalOf({atom(1.5f, 2.0f, 0.25f, "Si")});
    const std::vector<std::string> expected = {
        "#include \"colors.inc\"",
        "#declare translatex=5.43;",
        "#declare translatez=7.2;",
        "#declare crystheight=-0.25;",
        "background {color Blue}",
        "camera {",
        "location <translatex*1/2, 20, translatez*1/2>",
        "look_at <translatex*1/2, 0, translatez*1/2>",
        "}",
        "",
        "light_source {<translatex*1/2, 20, translatez*1/2> White}",
        "light_source {<translatex*1/2, crystheight-20, translatez*1/2> White}",
        "light_source {<translatex*1+20, crystheight/2, translatez*1/2> White}",
        "light_source {<-20, crystheight/2, translatez*1/2> White}",
        "light_source {<translatex*1/2, crystheight/2, translatez*1+20> White}",
        "light_source {<translatex*1/2, crystheight/2, -20> White}",
        "#declare unitcell=union {",
        "sphere { <1.5, -0.25, 2>, 0.5",
        "pigment {color Yellow}",
        "}",
        "}",
        "object {unitcell",
        "translate translatex*0*x",
        "translate translatez*0*z",
        "}",
    };
    EXPECT_EQ(sceneLines(*crystal, 1, 1), expected);
}

TEST(WriteScene, RepeatCountsStandInTheCameraAndLights) {
    const auto lines = sceneLines(*crystalOf({}), 3, -2);
    EXPECT_EQ(lines[6], "location <translatex*3/2, 20, translatez*-2/2>");
    EXPECT_EQ(lines[13], "light_source {<-20, crystheight/2, translatez*-2/2> White}");
    EXPECT_EQ(lines[15], "light_source {<translatex*3/2, crystheight/2, -20> White}");
}

TEST(WriteScene, OnlySiAndHoGetAPigment) {
    const auto crystal = crystalOf({atom(0, 0, 0, "Ho"), atom(0, 0, 0, "si"), atom(0, 0, 0, "SI"),
                                    atom(0, 0, 0, "ho"), atom(0, 0, 0, "O"), atom(0, 0, 0, "Fe"),
                                    atom(0, 0, 0, "S"), atom(0, 0, 0, "H"), atom(0, 0, 0, "")});
    const auto lines = sceneLines(*crystal, 1, 1);
    const std::vector<std::string> expected = {
        "sphere { <0, -0, 0>, 0.5", "pigment {color Grey}", "}",
        "sphere { <0, -0, 0>, 0.5", "}", "sphere { <0, -0, 0>, 0.5", "}",
        "sphere { <0, -0, 0>, 0.5", "}", "sphere { <0, -0, 0>, 0.5", "}",
        "sphere { <0, -0, 0>, 0.5", "}", "sphere { <0, -0, 0>, 0.5", "}",
        "sphere { <0, -0, 0>, 0.5", "}", "sphere { <0, -0, 0>, 0.5", "}",
        "}",
    };
    EXPECT_EQ(slice(lines, 17, expected.size()), expected);
}

TEST(WriteScene, SpherePositionSwapsAxesAndNegatesZ) {
    const auto crystal = crystalOf({atom(0.1f, 20.0f, 0.0f, "C"), atom(-1e6f, 1e-5f, -0.0f, "C"),
                                    atom(1234567.0f, 0.0001f, 2.5f, "C")});
    const auto lines = sceneLines(*crystal, 1, 1);
    EXPECT_EQ(lines[17], "sphere { <0.1, -0, 20>, 0.5");
    EXPECT_EQ(lines[19], "sphere { <-1e+06, 0, 1e-05>, 0.5");
    EXPECT_EQ(lines[21], "sphere { <1.23457e+06, -2.5, 0.0001>, 0.5");
}

TEST(WriteScene, CrystheightIsTheNegatedZOfTheLastAtom) {
    EXPECT_EQ(sceneLines(*crystalOf({atom(0, 0, 9, "A"), atom(0, 0, 0, "B")}), 1, 1)[3], "#declare crystheight=-0;");
    EXPECT_EQ(sceneLines(*crystalOf({atom(0, 0, -9, "A"), atom(0, 0, 3, "B")}), 1, 1)[3], "#declare crystheight=-3;");
    EXPECT_EQ(sceneLines(*crystalOf({}), 1, 1)[3], "#declare crystheight=0;");
    auto negative = crystalOf({atom(0, 0, 4, "A")});
    negative->atomCount = -7;  // a negative count holds no atom
    const auto lines = sceneLines(*negative, 1, 1);
    EXPECT_EQ(lines[3], "#declare crystheight=0;");
    EXPECT_EQ(lines.size(), 18u + 4u);
}

TEST(WriteScene, CopiesRunOverKOutsideAndLInside) {
    const auto lines = sceneLines(*crystalOf({}), 2, 3);
    ASSERT_EQ(lines.size(), 18u + 6 * 4u);
    std::vector<std::string> placements;
    for (std::size_t i = 18; i < lines.size(); i += 4) {
        EXPECT_EQ(lines[i], "object {unitcell");
        EXPECT_EQ(lines[i + 3], "}");
        placements.push_back(lines[i + 1] + " " + lines[i + 2]);
    }
    const std::vector<std::string> expected = {
        "translate translatex*0*x translate translatez*0*z", "translate translatex*0*x translate translatez*1*z",
        "translate translatex*0*x translate translatez*2*z", "translate translatex*1*x translate translatez*0*z",
        "translate translatex*1*x translate translatez*1*z", "translate translatex*1*x translate translatez*2*z",
    };
    EXPECT_EQ(placements, expected);
}

TEST(WriteScene, NoCopyForACountOfZeroOrLess) {
    for (const auto& [x, y] : {std::pair{0, 5}, {5, 0}, {-1, 3}, {3, INT32_MIN}, {0, 0}}) {
        const auto lines = sceneLines(*crystalOf({atom(1, 2, 3, "Si")}), x, y);
        ASSERT_EQ(lines.size(), 18u + 3u) << x << " by " << y;
        EXPECT_EQ(lines.back(), "}");
    }
}

TEST(WriteScene, StopsAtTheFirstFailedWrite) {
    const auto crystal = crystalOf({atom(1, 2, 3, "Si")});
    RecordingSink sink(/*goodWrites=*/5);
    LineWriter out(sink);
    writeScene(out, *crystal, 1000, 1000);
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(sink.writes.size(), 5u);
    EXPECT_EQ(sink.attempts, 6u);  // nothing is tried after the failure
    EXPECT_EQ(sink.bytes().substr(0, 23), "#include \"colors.inc\"\r\n");
}

}  // namespace
}  // namespace tilegrid
