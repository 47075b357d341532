// Scenes that the program writes, rendered by POV-Ray at a tiny size and
// judged from the pixels: POV-Ray must read every scene without a parse
// error, and the picture must show what the crystal and the repeat counts
// say. The camera looks straight down from 20 units above the middle of the
// tiled area; an atom at (x, y, z) sits at (x, -z, y) in the scene, so from
// above x runs across the picture, y runs up or down it, and a more negative
// z brings an atom nearer to the camera.
#include "tests/program_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef TILEGRID_POVRAY
#error "TILEGRID_POVRAY names the povray program, or is empty when there is none"
#endif

namespace tilegrid::testing {
namespace {

constexpr int Width = 128;
constexpr int Height = 96;
// POV-Ray's default camera spans 1.33 units across at distance 1, so a
// length at height 0, 20 units below the camera, covers this many pixels per
// unit.
constexpr double PixelsPerUnit = Width / 1.33 / 20.0;

struct Rgb {
    int red, green, blue;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row from the top

    const Rgb& at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

enum class Colour { Background, Yellow, Grey, Other };

// The colours of a flat render (see Shading), where every pixel shows the
// pigment of what it hits unlit: Blue is pure blue, Yellow pure red and
// green, and Grey a neutral grey darker than White (how much darker depends
// on POV-Ray's gamma). Spheres without a pigment of their own are black.
Colour classify(const Rgb& p) {
    if (p.red == 0 && p.green == 0 && p.blue == 255) return Colour::Background;
    if (p.red == 255 && p.green == 255 && p.blue == 0) return Colour::Yellow;
    if (p.red == p.green && p.green == p.blue && p.red >= 128 && p.red <= 240) return Colour::Grey;
    return Colour::Other;
}

// Lit by the scene's lights, a Yellow or Grey surface facing them is bright;
// with no light reaching it, it would show its ambient tenth only.
bool isLitYellow(const Rgb& p) { return p.red >= 100 && p.green >= 100 && p.blue < 60; }
bool isLitGrey(const Rgb& p) {
    return std::min({p.red, p.green, p.blue}) >= 100 &&
           std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue}) < 30;
}

// A binary PPM (P6, eight bits a sample) as POV-Ray writes it, with comment
// lines in its header.
bool parsePpm(const std::string& bytes, Image& image) {
    std::size_t at = 0;
    auto nextToken = [&]() -> std::string {
        for (;;) {
            while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
            if (at < bytes.size() && bytes[at] == '#') {
                at = bytes.find('\n', at);
                if (at == std::string::npos) at = bytes.size();
                continue;
            }
            break;
        }
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    if (nextToken() != "P6") return false;
    image.width = std::atoi(nextToken().c_str());
    image.height = std::atoi(nextToken().c_str());
    if (nextToken() != "255" || image.width <= 0 || image.height <= 0) return false;
    ++at;  // the single whitespace byte before the samples
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (at > bytes.size() || bytes.size() - at < count * 3) return false;
    image.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto sample = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + 3 * i + k]); };
        image.pixels[i] = {sample(0), sample(1), sample(2)};
    }
    return true;
}

struct Render {
    int status = -1;
    std::string log;  // everything POV-Ray printed, both streams
    Image image;
    bool imageRead = false;
};

// Flat shows each object in its own pigment, unlit (POV-Ray's quality 1),
// so that colours can be told apart exactly; Lit is the full render.
enum class Shading { Flat, Lit };

// Renders `scene` in `folder` without antialiasing into a PPM beside it.
Render renderScene(const ScratchFolder& folder, const std::string& scene, Shading shading) {
    std::vector<std::string> words = {
        TILEGRID_POVRAY,
        "+I" + scene,
        "+Orender.ppm",
        "+FP",
        "+W" + std::to_string(Width),
        "+H" + std::to_string(Height),
        "-D",
        "-A",
        shading == Shading::Flat ? "+Q1" : "+Q9",
    };
    if (std::string(TILEGRID_POVRAY_INCLUDE).size() > 0) words.push_back("+L" TILEGRID_POVRAY_INCLUDE);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const std::string logPath = folder.pathOf("povray.log");
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        const int input = open("/dev/null", O_RDONLY);
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (input < 0 || log < 0 || chdir(folder.path().c_str()) != 0) _exit(126);
        dup2(input, 0);
        dup2(log, 1);
        dup2(log, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int wstatus = 0;
    while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
    }
    Render render;
    render.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    render.log = folder.exists("povray.log") ? folder.readFile("povray.log") : "";
    render.imageRead = folder.exists("render.ppm") && parsePpm(folder.readFile("render.ppm"), render.image);
    return render;
}

// POV-Ray 3.7 prints "Possible Parse Error" about every scene that does not
// set assumed_gamma; that one is a warning. Any other "Parse Error" is a
// scene it could not read.
bool hasParseError(const std::string& log) {
    const std::string error = "Parse Error";
    const std::string warning = "Possible ";
    for (std::size_t at = log.find(error); at != std::string::npos; at = log.find(error, at + 1)) {
        const bool isWarning = at >= warning.size() && log.compare(at - warning.size(), warning.size(), warning) == 0;
        if (!isWarning) return true;
    }
    return false;
}

::testing::AssertionResult renderedCleanly(const Render& render) {
    if (render.status == 0 && !hasParseError(render.log) && render.imageRead &&
        render.image.width == Width && render.image.height == Height) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "povray status " << render.status << ", image " << (render.imageRead ? "read" : "missing")
           << ", log ends:\n"
           << render.log.substr(render.log.size() > 1500 ? render.log.size() - 1500 : 0);
}

struct Blob {
    int area = 0;
    double x = 0;  // centre, in pixels from the left
    double y = 0;  // centre, in pixels from the top
};

// The four-connected patches of one colour.
std::vector<Blob> blobsOf(const Image& image, Colour colour) {
    std::vector<bool> seen(image.pixels.size(), false);
    std::vector<Blob> blobs;
    for (int startY = 0; startY < image.height; ++startY) {
        for (int startX = 0; startX < image.width; ++startX) {
            const int start = startY * image.width + startX;
            if (seen[start] || classify(image.at(startX, startY)) != colour) continue;
            Blob blob;
            std::vector<int> pending = {start};
            seen[start] = true;
            while (!pending.empty()) {
                const int here = pending.back();
                pending.pop_back();
                const int x = here % image.width;
                const int y = here / image.width;
                ++blob.area;
                blob.x += x;
                blob.y += y;
                const int neighbours[4][2] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
                for (const auto& n : neighbours) {
                    if (n[0] < 0 || n[0] >= image.width || n[1] < 0 || n[1] >= image.height) continue;
                    const int index = n[1] * image.width + n[0];
                    if (seen[index] || classify(image.at(n[0], n[1])) != colour) continue;
                    seen[index] = true;
                    pending.push_back(index);
                }
            }
            blob.x /= blob.area;
            blob.y /= blob.area;
            blobs.push_back(blob);
        }
    }
    return blobs;
}

int areaOf(const Image& image, Colour colour) {
    return static_cast<int>(std::count_if(image.pixels.begin(), image.pixels.end(),
                                          [&](const Rgb& p) { return classify(p) == colour; }));
}

// The distinct values among `values`, where values closer than two pixels
// count as one; each group is given by its mean, in increasing order.
std::vector<double> distinctPositions(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::vector<double> means;
    std::size_t groupStart = 0;
    for (std::size_t i = 1; i <= values.size(); ++i) {
        if (i < values.size() && values[i] - values[i - 1] < 2.0) continue;
        double sum = 0;
        for (std::size_t k = groupStart; k < i; ++k) sum += values[k];
        if (i > groupStart) means.push_back(sum / static_cast<double>(i - groupStart));
        groupStart = i;
    }
    return means;
}

std::string describe(const std::vector<Blob>& blobs) {
    std::ostringstream text;
    for (const Blob& b : blobs) text << " (" << b.x << ", " << b.y << ") area " << b.area << ";";
    return text.str();
}

std::string exampleCrystal() {
    std::ifstream file(TILEGRID_EXAMPLE_CRYSTAL, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(TILEGRID_POVRAY).empty()) {
            GTEST_SKIP() << "povray was not found when the build was configured";
        }
    }

    // Writes the crystal, converts it with these repeat words and renders
    // the scene that the program wrote.
    Render convertAndRender(const std::string& crystal, const std::vector<std::string>& repeats,
                            Shading shading = Shading::Flat) {
        folder_.writeFile("crystal.cry", crystal);
        std::vector<std::string> words = {"crystal.cry"};
        words.insert(words.end(), repeats.begin(), repeats.end());
        const ProgramRun run = folder_.run(words);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "Done!! POVRay file is crystal.pov\r\n");
        scene_ = folder_.exists("crystal.pov") ? folder_.readFile("crystal.pov") : "";
        return renderScene(folder_, "crystal.pov", shading);
    }

    // The scene text of the last conversion, to make sure that a case really
    // puts the number forms it is about in front of POV-Ray.
    const std::string& scene() const { return scene_; }

private:
    ScratchFolder folder_;
    std::string scene_;
};

void expectOnlyBackground(const Image& image) {
    EXPECT_EQ(areaOf(image, Colour::Background), image.width * image.height)
        << "yellow " << areaOf(image, Colour::Yellow) << ", grey " << areaOf(image, Colour::Grey)
        << ", other " << areaOf(image, Colour::Other);
}

void expectBackgroundCorners(const Image& image) {
    for (int y : {0, image.height - 1}) {
        for (int x : {0, image.width - 1}) {
            EXPECT_EQ(classify(image.at(x, y)), Colour::Background) << "corner " << x << ", " << y;
        }
    }
}

// From above, each cell of the example shows its two Ho atoms whole: they
// are the highest atoms of their columns. The Si atoms show too, some of
// them only partly, from under other atoms, so they are checked as present.
TEST_F(RenderTest, ExampleShowsSixCopiesOfItsCellForThreeByTwo) {
    const Render single = convertAndRender(exampleCrystal(), {"1", "1"});
    ASSERT_TRUE(renderedCleanly(single));
    expectBackgroundCorners(single.image);
    EXPECT_GT(areaOf(single.image, Colour::Background), single.image.width * single.image.height / 2);
    EXPECT_GT(areaOf(single.image, Colour::Yellow), 0);
    const std::vector<Blob> singleGrey = blobsOf(single.image, Colour::Grey);
    EXPECT_EQ(singleGrey.size(), 2u) << describe(singleGrey);

    const Render tiled = convertAndRender(exampleCrystal(), {"3", "2"});
    ASSERT_TRUE(renderedCleanly(tiled));
    expectBackgroundCorners(tiled.image);
    const std::vector<Blob> tiledGrey = blobsOf(tiled.image, Colour::Grey);
    EXPECT_EQ(tiledGrey.size(), 12u) << describe(tiledGrey);
    for (const Blob& blob : tiledGrey) {
        // A whole sphere of radius 0.5 at about height 0: about 18 pixels.
        EXPECT_NEAR(blob.area, 18, 6) << describe(tiledGrey);
    }
    EXPECT_GT(areaOf(tiled.image, Colour::Yellow), 5 * areaOf(single.image, Colour::Yellow));
}

// The six lights reach the atoms that the camera sees: where the flat
// render shows a Yellow or a Grey atom, the lit render shows it bright in
// that colour.
TEST_F(RenderTest, ExampleAtomsAreLitByTheSceneLights) {
    const Render flat = convertAndRender(exampleCrystal(), {"3", "2"});
    const Render lit = convertAndRender(exampleCrystal(), {"3", "2"}, Shading::Lit);
    ASSERT_TRUE(renderedCleanly(flat));
    ASSERT_TRUE(renderedCleanly(lit));
    int yellow = 0, litYellow = 0, grey = 0, litGrey = 0;
    for (std::size_t i = 0; i < flat.image.pixels.size(); ++i) {
        const Colour colour = classify(flat.image.pixels[i]);
        if (colour == Colour::Yellow) {
            ++yellow;
            litYellow += isLitYellow(lit.image.pixels[i]);
        } else if (colour == Colour::Grey) {
            ++grey;
            litGrey += isLitGrey(lit.image.pixels[i]);
        }
    }
    ASSERT_GT(yellow, 0);
    ASSERT_GT(grey, 0);
    // A few rim pixels may fall into shade.
    EXPECT_GE(litYellow, yellow * 9 / 10) << litYellow << " of " << yellow;
    EXPECT_GE(litGrey, grey * 9 / 10) << litGrey << " of " << grey;
}

// A cell of one Si atom with one Ho atom 2 units beside it along y: each copy
// shows one yellow and one grey blob; the copies stand in xRepeat columns
// translatex apart and yRepeat rows translatez apart.
struct TilingCase {
    int xRepeat;
    int yRepeat;
};

void PrintTo(const TilingCase& tiling, std::ostream* out) {
    *out << tiling.xRepeat << " by " << tiling.yRepeat;
}

class TilingTest : public RenderTest, public ::testing::WithParamInterface<TilingCase> {};

TEST_P(TilingTest, EveryCopyShowsOnceOnItsGridPosition) {
    const TilingCase tiling = GetParam();
    const double translatex = 3;
    const double translatez = 4;
    const Render render = convertAndRender("2\n0 0 0 Si\n0 2 0 Ho\n3 4\n",
                                           {std::to_string(tiling.xRepeat), std::to_string(tiling.yRepeat)});
    ASSERT_TRUE(renderedCleanly(render));
    expectBackgroundCorners(render.image);

    const std::vector<Blob> yellow = blobsOf(render.image, Colour::Yellow);
    const std::vector<Blob> grey = blobsOf(render.image, Colour::Grey);
    const std::size_t copies = static_cast<std::size_t>(tiling.xRepeat * tiling.yRepeat);
    ASSERT_EQ(yellow.size(), copies) << describe(yellow);
    ASSERT_EQ(grey.size(), copies) << describe(grey);

    std::vector<double> columns, rows;
    for (const Blob& blob : yellow) {
        columns.push_back(blob.x);
        rows.push_back(blob.y);
    }
    const std::vector<double> distinctColumns = distinctPositions(columns);
    const std::vector<double> distinctRows = distinctPositions(rows);
    ASSERT_EQ(distinctColumns.size(), static_cast<std::size_t>(tiling.xRepeat)) << describe(yellow);
    ASSERT_EQ(distinctRows.size(), static_cast<std::size_t>(tiling.yRepeat)) << describe(yellow);
    for (std::size_t i = 1; i < distinctColumns.size(); ++i) {
        EXPECT_NEAR(distinctColumns[i] - distinctColumns[i - 1], translatex * PixelsPerUnit, 1.0);
    }
    for (std::size_t i = 1; i < distinctRows.size(); ++i) {
        EXPECT_NEAR(distinctRows[i] - distinctRows[i - 1], translatez * PixelsPerUnit, 1.0);
    }

    // The Ho atom of each copy: same column as its Si atom, 2 units along
    // the picture's vertical.
    for (const Blob& ho : grey) {
        const bool besideSomeSi = std::any_of(yellow.begin(), yellow.end(), [&](const Blob& si) {
            return std::abs(ho.x - si.x) < 1.0 && std::abs(std::abs(ho.y - si.y) - 2 * PixelsPerUnit) < 1.0;
        });
        EXPECT_TRUE(besideSomeSi) << "Ho at (" << ho.x << ", " << ho.y << "); Si:" << describe(yellow);
    }
}

INSTANTIATE_TEST_SUITE_P(Render, TilingTest,
                         ::testing::Values(TilingCase{1, 1}, TilingCase{3, 2}, TilingCase{2, 3}),
                         [](const ::testing::TestParamInfo<TilingCase>& info) {
                             return std::to_string(info.param.xRepeat) + "by" + std::to_string(info.param.yRepeat);
                         });

// The crystal's z becomes the scene's negated height: an atom at z -10 is
// 10 units from the camera, one at z 10 is 30 units away, so the first
// looks three times as wide.
TEST_F(RenderTest, NegativeZIsNearerTheCamera) {
    const Render render = convertAndRender("2\n0 1 -10 Si\n3 1 10 Ho\n3 2\n", {});
    ASSERT_TRUE(renderedCleanly(render));
    const std::vector<Blob> yellow = blobsOf(render.image, Colour::Yellow);
    const std::vector<Blob> grey = blobsOf(render.image, Colour::Grey);
    ASSERT_EQ(yellow.size(), 1u) << describe(yellow);
    ASSERT_EQ(grey.size(), 1u) << describe(grey);
    EXPECT_GT(yellow[0].area, 4 * grey[0].area) << "Si" << describe(yellow) << " Ho" << describe(grey);
}

void expectCentredSiAndHoThreeUnitsAcross(const Image& image) {
    const std::vector<Blob> yellow = blobsOf(image, Colour::Yellow);
    const std::vector<Blob> grey = blobsOf(image, Colour::Grey);
    ASSERT_EQ(yellow.size(), 1u) << describe(yellow);
    ASSERT_EQ(grey.size(), 1u) << describe(grey);
    // The Si atom is under the camera, in the middle of the picture.
    EXPECT_NEAR(yellow[0].x, (Width - 1) / 2.0, 1.0) << describe(yellow);
    EXPECT_NEAR(yellow[0].y, (Height - 1) / 2.0, 1.0) << describe(yellow);
    EXPECT_NEAR(std::abs(grey[0].x - yellow[0].x), 3 * PixelsPerUnit, 1.0) << describe(grey);
    EXPECT_NEAR(grey[0].y, yellow[0].y, 1.0) << describe(grey);
}

// Zero coordinates and periods written as -0, which the scene then holds as
// -0 too (a z of 0 is written -0 by itself). With periods of -0 all six
// copies fall on one place, and the camera stays above the Si atom.
TEST_F(RenderTest, NegativeZerosAreReadByPovray) {
    const Render render = convertAndRender("2\n-0 0 0 Si\n3 -0 -0 Ho\n-0 -0\n", {"3", "2"});
    ASSERT_NE(scene().find("#declare translatex=-0;"), std::string::npos) << scene();
    ASSERT_NE(scene().find("sphere { <-0, -0, 0>, 0.5"), std::string::npos) << scene();
    ASSERT_TRUE(renderedCleanly(render));
    expectCentredSiAndHoThreeUnitsAcross(render.image);
}

// Numbers small or large enough that the scene writes them in exponent
// notation: tiny offsets and periods that leave the picture as if they were
// 0, and an O atom 1.5 million units away, out of sight.
TEST_F(RenderTest, ExponentNotationIsReadByPovray) {
    const Render render = convertAndRender(
        "3\n1.5e6 0 0 O\n1e-05 2E-5 -0.0 Si\n3.0E+0 -1e-5 +0 Ho\n2e-05 1.5e-05\n", {"3", "2"});
    for (const char* written : {"<1.5e+06, -0, 0>", "<1e-05, 0, 2e-05>", "<3, -0, -1e-05>",
                                "translatex=2e-05;", "translatez=1.5e-05;"}) {
        ASSERT_NE(scene().find(written), std::string::npos) << written << " in\n" << scene();
    }
    ASSERT_TRUE(renderedCleanly(render));
    expectCentredSiAndHoThreeUnitsAcross(render.image);
}

// A repeat count of 0 places no copy: the scene is still complete and POV-Ray
// draws the background alone.
class ZeroRepeatTest : public RenderTest,
                       public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(ZeroRepeatTest, ShowsOnlyTheBackground) {
    const Render render = convertAndRender(exampleCrystal(), GetParam());
    ASSERT_TRUE(renderedCleanly(render));
    expectOnlyBackground(render.image);
}

INSTANTIATE_TEST_SUITE_P(Render, ZeroRepeatTest,
                         ::testing::Values(std::vector<std::string>{"0", "2"},
                                           std::vector<std::string>{"3", "0"},
                                           std::vector<std::string>{"000", "0"}),
                         [](const ::testing::TestParamInfo<std::vector<std::string>>& info) {
                             return info.param[0] + "by" + info.param[1];
                         });

// Crystals without atoms give an empty union, which POV-Ray accepts; six
// copies of nothing show the background alone.
struct NoAtomsCase {
    const char* name;
    const char* crystal;
};

void PrintTo(const NoAtomsCase& crystal, std::ostream* out) { *out << crystal.name; }

class NoAtomsTest : public RenderTest, public ::testing::WithParamInterface<NoAtomsCase> {};

TEST_P(NoAtomsTest, ShowsOnlyTheBackground) {
    const Render render = convertAndRender(GetParam().crystal, {"3", "2"});
    ASSERT_NE(scene().find("#declare unitcell=union {\r\n}\r\n"), std::string::npos) << scene();
    ASSERT_TRUE(renderedCleanly(render));
    expectOnlyBackground(render.image);
}

INSTANTIATE_TEST_SUITE_P(Render, NoAtomsTest,
                         ::testing::Values(NoAtomsCase{"CountZero", "0\n3.84 6.652\n"},
                                           NoAtomsCase{"CountNegative", "-4\n3.84 6.652\n"},
                                           NoAtomsCase{"EmptyFile", ""},
                                           NoAtomsCase{"CountNotANumber", "zero atoms\n"}),
                         [](const ::testing::TestParamInfo<NoAtomsCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tilegrid::testing
