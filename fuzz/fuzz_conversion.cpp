// Arbitrary bytes as a crystal file, read and written as a scene in memory.
// The first two bytes give the repeat counts (-2 to 13 each); the rest is the
// crystal file. The scene's shape is checked against the model it was
// written from: line ends, line count, and every sphere centre and declared
// number against the float it stands for.
#include "crystal/crystal_reader.h"
#include "memory_stream.h"
#include "scene/scene_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tilegrid::Crystal;
using tilegrid::CrystalFileStatus;

[[noreturn]] void failCheck(const char* what, long index) {
    std::fprintf(stderr, "conversion check failed: %s (line or atom %ld)\n", what, index);
    std::abort();
}

// Splits at CR LF; any other CR or LF, or bytes after the last line end, are
// a fault.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) failCheck("bytes after the last line end", long(lines.size()));
        if (text.compare(end, 2, "\r\n") != 0) failCheck("a CR or LF that is not part of CR LF", long(lines.size()));
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// The text of a float must be the C library's "%.6g" of the float's exact
// value (general notation, six significant digits, correctly rounded), and it
// must read back to within half a unit of the sixth significant digit.
void checkNumber(std::string_view text, float value, long line) {
    if (!std::isfinite(value)) failCheck("the model holds a value that is not finite", line);
    char expected[32];
    const int length = std::snprintf(expected, sizeof expected, "%.6g", static_cast<double>(value));
    if (text != std::string_view(expected, static_cast<std::size_t>(length))) {
        std::fprintf(stderr, "number written \"%.*s\", expected \"%s\"\n", int(text.size()), text.data(),
                     expected);
        failCheck("number text", line);
    }
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) failCheck("number does not parse", line);
    if (std::signbit(parsed) != std::signbit(value)) failCheck("number sign", line);
    const double exact = value;
    if (exact == 0.0) {
        if (parsed != 0.0) failCheck("zero written as a nonzero number", line);
        return;
    }
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(exact))));
    if (std::pow(10.0, exponent) > std::fabs(exact)) --exponent;
    if (std::pow(10.0, exponent + 1) <= std::fabs(exact)) ++exponent;
    const double halfUnit = 0.5 * std::pow(10.0, exponent - 5);
    if (std::fabs(parsed - exact) > halfUnit + std::fabs(exact) * 1e-15) failCheck("number off by more than half a unit", line);
}

// Splits "prefix<number>separator<number>...suffix" into the numbers.
bool takeNumber(std::string_view& rest, std::string_view until, std::string_view& number) {
    const std::size_t end = rest.find(until);
    if (end == std::string_view::npos) return false;
    number = rest.substr(0, end);
    rest.remove_prefix(end + until.size());
    return true;
}

void checkDeclaration(std::string_view line, std::string_view prefix, float value, long index) {
    if (line.substr(0, prefix.size()) != prefix || line.empty() || line.back() != ';') {
        failCheck("declaration line", index);
    }
    checkNumber(line.substr(prefix.size(), line.size() - prefix.size() - 1), value, index);
}

void checkSphere(std::string_view line, const tilegrid::Atom& atom, long index) {
    constexpr std::string_view Prefix = "sphere { <";
    if (line.substr(0, Prefix.size()) != Prefix) failCheck("sphere line", index);
    std::string_view rest = line.substr(Prefix.size());
    std::string_view x, y, z;
    if (!takeNumber(rest, ", ", x) || !takeNumber(rest, ", ", y) || !takeNumber(rest, ">, 0.5", z) || !rest.empty()) {
        failCheck("sphere line shape", index);
    }
    checkNumber(x, atom.x, index);
    checkNumber(y, -atom.z, index);
    checkNumber(z, atom.y, index);
}

int repeatFrom(std::uint8_t byte) { return byte % 16 - 2; }

Crystal crystal;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int xRepeat = repeatFrom(data[0]);
    const int yRepeat = repeatFrom(data[1]);
    tilegrid::fuzz::PieceSource source(data + 2, size - 2, 0);
    // A crystal that is refused is never written.
    if (tilegrid::readCrystal(source, crystal) != CrystalFileStatus::Read) return 0;

    tilegrid::fuzz::StringSink sink;
    {
        tilegrid::LineWriter out(sink);
        tilegrid::writeScene(out, crystal, xRepeat, yRepeat);
    }
    const std::string_view text = sink.bytes;
    for (const char* bad : {"inf", "nan", "INF", "NAN"}) {
        if (text.find(bad) != std::string_view::npos) failCheck("a non-finite number in the scene", 0);
    }
    const std::vector<std::string_view> lines = splitLines(text);

    const long atoms = std::max(0, crystal.atomCount);
    long pigmented = 0;
    for (long j = 0; j < atoms; ++j) {
        const char* symbol = crystal.atoms[j].symbol;
        if (std::strcmp(symbol, "Si") == 0 || std::strcmp(symbol, "Ho") == 0) ++pigmented;
    }
    const long copies = long(std::max(0, xRepeat)) * std::max(0, yRepeat);
    const long expectedLines = 18 + 2 * atoms + pigmented + 4 * copies;
    if (long(lines.size()) != expectedLines) failCheck("line count", long(lines.size()));
    // Every scene line is short enough to go out in one write.
    if (long(sink.writes) != expectedLines) failCheck("writes per line", long(sink.writes));

    // The lines that hold no float: fixed text and the two repeat counts.
    const std::string xs = std::to_string(xRepeat);
    const std::string ys = std::to_string(yRepeat);
    struct FixedLine {
        std::size_t index;  // counted from 0
        std::string text;
    };
    const FixedLine fixedLines[] = {
        {0, "#include \"colors.inc\""},
        {4, "background {color Blue}"},
        {5, "camera {"},
        {6, "location <translatex*" + xs + "/2, 20, translatez*" + ys + "/2>"},
        {7, "look_at <translatex*" + xs + "/2, 0, translatez*" + ys + "/2>"},
        {8, "}"},
        {9, ""},
        {10, "light_source {<translatex*" + xs + "/2, 20, translatez*" + ys + "/2> White}"},
        {11, "light_source {<translatex*" + xs + "/2, crystheight-20, translatez*" + ys + "/2> White}"},
        {12, "light_source {<translatex*" + xs + "+20, crystheight/2, translatez*" + ys + "/2> White}"},
        {13, "light_source {<-20, crystheight/2, translatez*" + ys + "/2> White}"},
        {14, "light_source {<translatex*" + xs + "/2, crystheight/2, translatez*" + ys + "+20> White}"},
        {15, "light_source {<translatex*" + xs + "/2, crystheight/2, -20> White}"},
        {16, "#declare unitcell=union {"},
    };
    for (const FixedLine& fixed : fixedLines) {
        if (lines[fixed.index] != fixed.text) failCheck("fixed template line", long(fixed.index + 1));
    }
    checkDeclaration(lines[1], "#declare translatex=", crystal.translatex, 2);
    checkDeclaration(lines[2], "#declare translatez=", crystal.translatez, 3);
    if (atoms > 0) checkDeclaration(lines[3], "#declare crystheight=", -crystal.atoms[atoms - 1].z, 4);

    std::size_t line = 17;  // the first sphere line, counted from 0
    for (long j = 0; j < atoms; ++j) {
        const tilegrid::Atom& atom = crystal.atoms[j];
        checkSphere(lines[line], atom, long(line + 1));
        ++line;
        if (std::strcmp(atom.symbol, "Si") == 0 && lines[line++] != "pigment {color Yellow}") {
            failCheck("yellow pigment line", long(line));
        }
        if (std::strcmp(atom.symbol, "Ho") == 0 && lines[line++] != "pigment {color Grey}") {
            failCheck("grey pigment line", long(line));
        }
        if (lines[line++] != "}") failCheck("sphere closing line", long(line));
    }
    if (lines[line++] != "}") failCheck("union closing line", long(line));
    for (int k = 0; k < std::max(0, xRepeat); ++k) {
        for (int l = 0; l < std::max(0, yRepeat); ++l) {
            if (lines[line] != "object {unitcell" ||
                lines[line + 1] != "translate translatex*" + std::to_string(k) + "*x" ||
                lines[line + 2] != "translate translatez*" + std::to_string(l) + "*z" || lines[line + 3] != "}") {
                failCheck("copy block", long(line + 1));
            }
            line += 4;
        }
    }
    return 0;
}
