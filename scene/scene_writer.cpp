#include "scene/scene_writer.h"

#include "platform/platform.h"

#include <cstring>

namespace tilegrid {
namespace {

// The scene's vertical axis points the other way from the crystal's z.
// Flipping the sign bit, not subtracting, turns a z of 0 into -0.
float negated(float value) { return -value; }

bool symbolIs(const Atom& atom, const char* symbol) { return std::strcmp(atom.symbol, symbol) == 0; }

void writeAtom(LineWriter& out, const Atom& atom) {
    writeLine(out, "sphere { <", atom.x, ", ", negated(atom.z), ", ", atom.y, ">, 0.5");
    if (symbolIs(atom, "Si")) writeLine(out, "pigment {color Yellow}");
    if (symbolIs(atom, "Ho")) writeLine(out, "pigment {color Grey}");
    writeLine(out, "}");
}

}  // namespace

void writeScene(LineWriter& out, const Crystal& crystal, std::int32_t xRepeat, std::int32_t yRepeat) {
    const std::int32_t atomCount = crystal.atomCount < 0 ? 0 : crystal.atomCount;
    // The height of the last atom; a crystal without atoms lies at height 0.
    const float crystheight = atomCount > 0 ? negated(crystal.atoms[atomCount - 1].z) : 0.0f;

    writeLine(out, "#include \"colors.inc\"");
    writeLine(out, "#declare translatex=", crystal.translatex, ";");
    writeLine(out, "#declare translatez=", crystal.translatez, ";");
    writeLine(out, "#declare crystheight=", crystheight, ";");
    writeLine(out, "background {color Blue}");
    writeLine(out, "camera {");
    writeLine(out, "location <translatex*", xRepeat, "/2, 20, translatez*", yRepeat, "/2>");
    writeLine(out, "look_at <translatex*", xRepeat, "/2, 0, translatez*", yRepeat, "/2>");
    writeLine(out, "}");
    writeLine(out);
    writeLine(out, "light_source {<translatex*", xRepeat, "/2, 20, translatez*", yRepeat, "/2> White}");
    writeLine(out, "light_source {<translatex*", xRepeat, "/2, crystheight-20, translatez*", yRepeat, "/2> White}");
    writeLine(out, "light_source {<translatex*", xRepeat, "+20, crystheight/2, translatez*", yRepeat, "/2> White}");
    writeLine(out, "light_source {<-20, crystheight/2, translatez*", yRepeat, "/2> White}");
    writeLine(out, "light_source {<translatex*", xRepeat, "/2, crystheight/2, translatez*", yRepeat, "+20> White}");
    writeLine(out, "light_source {<translatex*", xRepeat, "/2, crystheight/2, -20> White}");
    writeLine(out, "#declare unitcell=union {");
    for (std::int32_t j = 0; j < atomCount; ++j) writeAtom(out, crystal.atoms[j]);
    writeLine(out, "}");

    for (std::int32_t k = 0; k < xRepeat && !out.failed(); ++k) {
        for (std::int32_t l = 0; l < yRepeat && !out.failed(); ++l) {
            writeLine(out, "object {unitcell");
            writeLine(out, "translate translatex*", k, "*x");
            writeLine(out, "translate translatez*", l, "*z");
            writeLine(out, "}");
        }
    }
}

SceneFileStatus writeSceneFile(const char* path, const Crystal& crystal, std::int32_t xRepeat,
                               std::int32_t yRepeat) {
    platform::OutputFile file;
    if (!file.create(path)) return SceneFileStatus::CannotCreate;
    LineWriter out(file);
    writeScene(out, crystal, xRepeat, yRepeat);
    const bool closed = file.close();
    return out.failed() || !closed ? SceneFileStatus::WriteFailed : SceneFileStatus::Written;
}

}  // namespace tilegrid
