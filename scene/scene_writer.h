// The scene file writer: one Crystal, tiled, as a POV-Ray scene.
#pragma once

#include "crystal/crystal.h"
#include "platform/line_writer.h"

#include <cstdint>

namespace tilegrid {

enum class SceneFileStatus {
    Written,       // created, written whole and closed
    CannotCreate,  // nothing written; an existing file keeps its content
    WriteFailed,   // created, but a write or the close failed; the file holds
                   // what was written up to the first failed write
};

SceneFileStatus writeSceneFile(const char* path, const Crystal& crystal,
                               std::int32_t xRepeat, std::int32_t yRepeat);

// The scene's lines, from the first to the last, to `out`.
void writeScene(LineWriter& out, const Crystal& crystal, std::int32_t xRepeat,
                std::int32_t yRepeat);

}  // namespace tilegrid
