// The command words, their checks, and the exit statuses of the program.
#pragma once

#include "platform/line_writer.h"

#include <cstdint>
#include <string_view>

namespace tilegrid {

enum class ExitStatus : int {
    Success = 0,
    UsageError = 1,
    CrystalOpenError = 2,
    SceneOpenError = 3,
    NonIntegerRepeat = 4,
};

struct RunOptions {
    const char* crystalPath = "";  // the first command word, as received
    std::int32_t xRepeat = 1;
    std::int32_t yRepeat = 1;
};

// Success with `options` filled when the words form a request; otherwise the
// lines for the rejected command line have been printed to `console` and the
// result is UsageError or NonIntegerRepeat. Opens no file.
ExitStatus parseCommandLine(int argumentCount, const char* const* arguments,
                            RunOptions& options, LineWriter& console);

// The usage line, then an empty line.
void printUsage(LineWriter& console);

}  // namespace tilegrid
