// One conversion: read the crystal file, write the scene file, report.
#pragma once

#include "app/command_line.h"
#include "platform/line_writer.h"

namespace tilegrid {

// Success, CrystalOpenError or SceneOpenError, with the run's closing line or
// error line printed to `console`.
ExitStatus runConversion(const RunOptions& options, LineWriter& console);

// The whole program from its argument vector: the command-line checks, then
// the conversion.
ExitStatus runTilegrid(int argumentCount, const char* const* arguments, LineWriter& console);

}  // namespace tilegrid
