#include "app/command_line.h"

#include <cstdint>

namespace tilegrid {
namespace {

// Only the ten ASCII digits pass, whatever the code page or locale; an empty
// word has nothing that could fail.
bool isAllDigits(std::string_view word) {
    for (char byte : word) {
        if (byte < '0' || byte > '9') return false;
    }
    return true;
}

// The value of an all-digit word; false when it is above the largest 32-bit
// count. Leading zeros do not count, and an empty word is 0.
bool repeatValue(std::string_view word, std::int32_t& value) {
    std::int64_t total = 0;
    for (char byte : word) {
        total = total * 10 + (byte - '0');
        if (total > INT32_MAX) return false;
    }
    value = static_cast<std::int32_t>(total);
    return true;
}

ExitStatus reject(LineWriter& console, std::string_view message, ExitStatus status) {
    writeLine(console, message);
    printUsage(console);
    return status;
}

}  // namespace

void printUsage(LineWriter& console) {
    writeLine(console, "tilegrid <crystal file> [<Number x repeat> <Number y repeat>]");
    writeLine(console);
}

ExitStatus parseCommandLine(int argumentCount, const char* const* arguments, RunOptions& options,
                            LineWriter& console) {
    switch (argumentCount) {
    case 2:
        options = RunOptions{arguments[1], 1, 1};
        return ExitStatus::Success;
    case 4:
        break;
    case 1:
        return reject(console, "No crystal file specified!", ExitStatus::UsageError);
    case 3:
        return reject(console, "Too few parameters (or maybe too many!)", ExitStatus::UsageError);
    default:
        writeLine(console);
        return reject(console, "Too many parameters!", ExitStatus::UsageError);
    }

    const std::string_view xWord = arguments[2];
    const std::string_view yWord = arguments[3];
    if (!isAllDigits(xWord) || !isAllDigits(yWord)) {
        return reject(console, "Non integer value!", ExitStatus::NonIntegerRepeat);
    }
    RunOptions accepted{arguments[1], 0, 0};
    if (!repeatValue(xWord, accepted.xRepeat) || !repeatValue(yWord, accepted.yRepeat)) {
        return reject(console, "Repeat value too large!", ExitStatus::NonIntegerRepeat);
    }
    options = accepted;
    return ExitStatus::Success;
}

}  // namespace tilegrid
