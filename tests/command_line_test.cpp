#include "app/command_line.h"

#include "tests/memory_streams.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tilegrid {
namespace {

using testing::RecordingSink;

const std::string Usage = "tilegrid <crystal file> [<Number x repeat> <Number y repeat>]\r\n\r\n";

struct Parsed {
    ExitStatus status;
    std::string console;
    RunOptions options;
};

// `words` are the command words after the program's own name.
Parsed parse(std::vector<const char*> words) {
    words.insert(words.begin(), "tilegrid");
    RecordingSink sink;
    LineWriter console(sink);
    RunOptions options{"unset", -99, -99};
    const ExitStatus status = parseCommandLine(static_cast<int>(words.size()), words.data(), options, console);
    return {status, sink.bytes(), options};
}

TEST(ParseCommandLine, AcceptsAPathAloneOrWithTwoRepeatWords) {
    struct Case {
        std::vector<const char*> words;
        std::int32_t x, y;
    };
    const Case cases[] = {
        {{"quartz.cry"}, 1, 1},
        {{"quartz.cry", "3", "2"}, 3, 2},
        {{"quartz.cry", "007", "0"}, 7, 0},
        {{"quartz.cry", "", ""}, 0, 0},
        {{"quartz.cry", "2147483647", "0000000000000002147483647"}, INT32_MAX, INT32_MAX},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.words);
        EXPECT_EQ(parsed.status, ExitStatus::Success);
        EXPECT_EQ(parsed.console, "");
        EXPECT_STREQ(parsed.options.crystalPath, "quartz.cry");
        EXPECT_EQ(parsed.options.xRepeat, c.x) << c.words.size();
        EXPECT_EQ(parsed.options.yRepeat, c.y) << c.words.size();
    }
}

TEST(ParseCommandLine, RejectsAWrongNumberOfWords) {
    EXPECT_EQ(parse({}).console, "No crystal file specified!\r\n" + Usage);
    EXPECT_EQ(parse({}).status, ExitStatus::UsageError);
    EXPECT_EQ(parse({"a.cry", "3"}).console, "Too few parameters (or maybe too many!)\r\n" + Usage);
    EXPECT_EQ(parse({"a.cry", "3"}).status, ExitStatus::UsageError);
    for (std::vector<const char*> words : {std::vector<const char*>{"a", "1", "2", "3"}, {"a", "1", "2", "3", "4", "5"}}) {
        const Parsed parsed = parse(words);
        EXPECT_EQ(parsed.console, "\r\nToo many parameters!\r\n" + Usage);
        EXPECT_EQ(parsed.status, ExitStatus::UsageError);
        EXPECT_STREQ(parsed.options.crystalPath, "unset");
    }
}

TEST(ParseCommandLine, NoArgumentsAtAllCountAsTooMany) {
    const char* const none[] = {nullptr};
    RecordingSink sink;
    LineWriter console(sink);
    RunOptions options;
    EXPECT_EQ(parseCommandLine(0, none, options, console), ExitStatus::UsageError);
    EXPECT_EQ(sink.bytes(), "\r\nToo many parameters!\r\n" + Usage);
}

TEST(ParseCommandLine, RepeatWordsMustBeAllDigits) {
    const std::vector<std::vector<const char*>> cases = {
        {"a.cry", "-1", "2"}, {"a.cry", "+2", "2"}, {"a.cry", "1.5", "2"}, {"a.cry", "2x", "2"},
        {"a.cry", "1e3", "2"}, {"a.cry", "1 2", "2"}, {"a.cry", "3", "\xb2"}, {"a.cry", "3", "\xd9\xa3"},
        {"a.cry", "3", "/"}, {"a.cry", "3", ":"}, {"a.cry", "x", "y"}, {"a.cry", "99999999999", "y"},
    };
    for (const auto& words : cases) {
        const Parsed parsed = parse(words);
        EXPECT_EQ(parsed.status, ExitStatus::NonIntegerRepeat) << words[1] << " " << words[2];
        EXPECT_EQ(parsed.console, "Non integer value!\r\n" + Usage) << words[1] << " " << words[2];
        EXPECT_STREQ(parsed.options.crystalPath, "unset");
    }
}

TEST(ParseCommandLine, RepeatValuesAbove32BitsAreRefused) {
    const std::vector<std::vector<const char*>> cases = {
        {"a.cry", "2147483648", "1"}, {"a.cry", "1", "4294967297"}, {"a.cry", "99999999999999999999999", "99999999999"},
    };
    for (const auto& words : cases) {
        const Parsed parsed = parse(words);
        EXPECT_EQ(parsed.status, ExitStatus::NonIntegerRepeat) << words[1] << " " << words[2];
        EXPECT_EQ(parsed.console, "Repeat value too large!\r\n" + Usage) << words[1] << " " << words[2];
    }
}

}  // namespace
}  // namespace tilegrid
