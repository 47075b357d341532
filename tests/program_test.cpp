// The program as a user meets it: command words in, console lines, exit
// status and scene file out.
#include "tests/program_runner.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tilegrid::testing {
namespace {

const std::string Usage = "tilegrid <crystal file> [<Number x repeat> <Number y repeat>]";
const std::string OneSilicon = "1\n1.5 2 0.25 Si\n5.43 7.2\n";

class ProgramTest : public ::testing::Test {
protected:
    // Runs the program and checks what holds for every run: nothing on
    // standard error, and the status it is expected to end with.
    ProgramRun expectRun(const std::vector<std::string>& words, int status) {
        ProgramRun run = folder.run(words);
        EXPECT_EQ(run.status, status) << run.output;
        EXPECT_EQ(run.errors, "");
        return run;
    }

    void skipOnWindows(const char* reason) {
        if (testingWindowsProgram()) GTEST_SKIP() << reason;
    }

    static std::size_t lineCount(const std::string& bytes) {
        std::size_t count = 0;
        for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++count;
        return count;
    }

    // Every CR is followed by LF, every LF preceded by CR, and the data ends
    // with a line end.
    static bool onlyCrLfLineEnds(const std::string& bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
        }
        return bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
    }

    ScratchFolder folder;
};

TEST_F(ProgramTest, ConvertsACrystalIntoATiledScene) {
    folder.writeFile("quartz.cry", OneSilicon);
    const ProgramRun run = expectRun({"quartz.cry"}, 0);
    EXPECT_EQ(run.output, "Done!! POVRay file is quartz.pov\r\n");
    EXPECT_EQ(folder.readFile("quartz.pov"),
              "#include \"colors.inc\"\r\n"
              "#declare translatex=5.43;\r\n"
              "#declare translatez=7.2;\r\n"
              "#declare crystheight=-0.25;\r\n"
              "background {color Blue}\r\n"
              "camera {\r\n"
              "location <translatex*1/2, 20, translatez*1/2>\r\n"
              "look_at <translatex*1/2, 0, translatez*1/2>\r\n"
              "}\r\n"
              "\r\n"
              "light_source {<translatex*1/2, 20, translatez*1/2> White}\r\n"
              "light_source {<translatex*1/2, crystheight-20, translatez*1/2> White}\r\n"
              "light_source {<translatex*1+20, crystheight/2, translatez*1/2> White}\r\n"
              "light_source {<-20, crystheight/2, translatez*1/2> White}\r\n"
              "light_source {<translatex*1/2, crystheight/2, translatez*1+20> White}\r\n"
              "light_source {<translatex*1/2, crystheight/2, -20> White}\r\n"
              "#declare unitcell=union {\r\n"
              "sphere { <1.5, -0.25, 2>, 0.5\r\n"
              "pigment {color Yellow}\r\n"
              "}\r\n"
              "}\r\n"
              "object {unitcell\r\n"
              "translate translatex*0*x\r\n"
              "translate translatez*0*z\r\n"
              "}\r\n");
}

TEST_F(ProgramTest, TilesTheExampleThreeByTwo) {
    std::string example = "3\n0 0 0 Ho\n1.92 1.109 -0.82 Si\n0.96 1.663 -2.1 O\n3.84 6.652\n";
    folder.writeFile("silicide.cry", example);
    const ProgramRun run = expectRun({"silicide.cry", "3", "2"}, 0);
    EXPECT_EQ(run.output, "Done!! POVRay file is silicide.pov\r\n");
    const std::string scene = folder.readFile("silicide.pov");
    EXPECT_EQ(lineCount(scene), 18u + 2 * 3 + 2 + 4 * 6);
    EXPECT_TRUE(onlyCrLfLineEnds(scene));
    EXPECT_NE(scene.find("location <translatex*3/2, 20, translatez*2/2>\r\n"), std::string::npos);
    EXPECT_NE(scene.find("#declare crystheight=2.1;\r\n"), std::string::npos);
    const std::string lastCopy = "object {unitcell\r\ntranslate translatex*2*x\r\ntranslate translatez*1*z\r\n}\r\n";
    EXPECT_EQ(scene.substr(scene.size() - lastCopy.size()), lastCopy);
}

TEST_F(ProgramTest, ZeroRepeatsWriteNoCopy) {
    folder.writeFile("cell.cry", OneSilicon);
    expectRun({"cell.cry", "0", "007"}, 0);
    const std::string scene = folder.readFile("cell.pov");
    EXPECT_EQ(lineCount(scene), 18u + 3);
    EXPECT_NE(scene.find("location <translatex*0/2, 20, translatez*7/2>\r\n"), std::string::npos);
    EXPECT_EQ(scene.substr(scene.size() - 6), "}\r\n}\r\n");
}

TEST_F(ProgramTest, RejectedCommandLinesOpenNoFile) {
    struct Case {
        std::vector<std::string> words;
        std::vector<std::string> lines;
        int status;
    };
    const Case cases[] = {
        {{}, {"No crystal file specified!", Usage, ""}, 1},
        {{"cell.cry", "3"}, {"Too few parameters (or maybe too many!)", Usage, ""}, 1},
        {{"cell.cry", "1", "2", "3"}, {"", "Too many parameters!", Usage, ""}, 1},
        {{"cell.cry", "-1", "2"}, {"Non integer value!", Usage, ""}, 4},
        {{"cell.cry", "1 2", "x"}, {"Non integer value!", Usage, ""}, 4},
        {{"cell.cry", "2", "\xff"}, {"Non integer value!", Usage, ""}, 4},
        {{"cell.cry", "2147483648", "99999999999"}, {"Repeat value too large!", Usage, ""}, 4},
    };
    folder.writeFile("cell.cry", OneSilicon);
    for (const Case& c : cases) {
        const ProgramRun run = expectRun(c.words, c.status);
        EXPECT_EQ(run.output, consoleLines(c.lines)) << c.words.size();
        EXPECT_FALSE(folder.exists("cell.pov"));
    }
}

TEST_F(ProgramTest, CrystalFileThatCannotBeOpened) {
    ASSERT_EQ(mkdir(folder.pathOf("folder.cry").c_str(), 0755), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"missing.cry", "missing.pov"},
        {"folder.cry", "folder.pov"},
        {"", ".pov"},
        {"no such folder/cell.cry", "no such folder/cell.pov"},
    };
    for (const auto& [path, scene] : cases) {
        const ProgramRun run = expectRun({path}, 2);
        EXPECT_EQ(run.output, "Couldn't open file " + path + "\r\n");
        EXPECT_FALSE(folder.exists(scene)) << scene;
    }
}

TEST_F(ProgramTest, TooManyAtomsTouchNoSceneFile) {
    folder.writeFile("big.cry", "5001\n0 0 0 Si\n");
    folder.writeFile("huge.cry", "99999999999999999999 0 0 0 Si\n");
    folder.writeFile("huge.pov", "keep");
    for (const std::string name : {"big", "huge"}) {
        const ProgramRun run = expectRun({name + ".cry", "2", "2"}, 2);
        EXPECT_EQ(run.output, "Too many atoms (more than 5000) in file " + name + ".cry\r\n");
    }
    EXPECT_FALSE(folder.exists("big.pov"));
    EXPECT_EQ(folder.readFile("huge.pov"), "keep");
}

TEST_F(ProgramTest, SceneFileThatCannotBeCreated) {
    folder.writeFile("cell.cry", OneSilicon);
    ASSERT_EQ(mkdir(folder.pathOf("cell.pov").c_str(), 0755), 0);
    EXPECT_EQ(expectRun({"cell.cry"}, 3).output, "Couldn't open output file!\r\n");
}

TEST_F(ProgramTest, ReadOnlySceneFileIsKept) {
    skipOnWindows("permission bits are a POSIX matter");
    folder.writeFile("cell.cry", OneSilicon);
    folder.writeFile("cell.pov", "keep");
    ASSERT_EQ(chmod(folder.pathOf("cell.pov").c_str(), 0444), 0);
    EXPECT_EQ(expectRun({"cell.cry"}, 3).output, "Couldn't open output file!\r\n");
    EXPECT_EQ(folder.readFile("cell.pov"), "keep");
}

TEST_F(ProgramTest, SceneNameLongerThan255BytesIsRefused) {
    const std::string longest(251, 'a');  // with ".pov", 255 bytes
    folder.writeFile(longest, OneSilicon);
    EXPECT_EQ(expectRun({longest}, 0).output, "Done!! POVRay file is " + longest + ".pov\r\n");
    EXPECT_TRUE(folder.exists(longest + ".pov"));

    const std::string tooLong(252, 'b');
    folder.writeFile(tooLong, OneSilicon);
    EXPECT_EQ(expectRun({tooLong}, 3).output, "Couldn't open output file!\r\n");
    EXPECT_FALSE(folder.exists(tooLong.substr(0, 251) + ".pov"));
}

TEST_F(ProgramTest, WriteErrorIsAFailure) {
    skipOnWindows("the full device is a Linux one");
    folder.writeFile("full.cry", OneSilicon);
    ASSERT_EQ(symlink("/dev/full", folder.pathOf("full.pov").c_str()), 0);
    EXPECT_EQ(expectRun({"full.cry", "10", "10"}, 3).output, "Couldn't write output file!\r\n");
}

TEST_F(ProgramTest, ClosedConsoleChangesNothing) {
    folder.writeFile("cell.cry", OneSilicon);
    const ProgramRun run = folder.runIntoClosedPipe({"cell.cry", "100", "100"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(lineCount(folder.readFile("cell.pov")), 18u + 3 + 4 * 100 * 100);
    EXPECT_EQ(folder.runIntoClosedPipe({"missing.cry"}).status, 2);
}

TEST_F(ProgramTest, ExistingSceneFileIsReplaced) {
    folder.writeFile("cell.cry", OneSilicon);
    folder.writeFile("cell.pov", std::string(100000, '#'));
    folder.writeFile("fresh.cry", OneSilicon);
    expectRun({"cell.cry"}, 0);
    expectRun({"fresh.cry"}, 0);
    EXPECT_EQ(folder.readFile("cell.pov"), folder.readFile("fresh.pov"));
}

TEST_F(ProgramTest, CrystalFileNamedLikeItsSceneIsReadThenReplaced) {
    folder.writeFile("cell.pov", OneSilicon);
    EXPECT_EQ(expectRun({"cell.pov", "2", "1"}, 0).output, "Done!! POVRay file is cell.pov\r\n");
    const std::string scene = folder.readFile("cell.pov");
    EXPECT_EQ(lineCount(scene), 18u + 3 + 4 * 2);
    EXPECT_NE(scene.find("sphere { <1.5, -0.25, 2>, 0.5\r\n"), std::string::npos);
}

TEST_F(ProgramTest, BackslashIsAnOrdinaryByteOfAName) {
    skipOnWindows("a backslash separates folders on Windows");
    const std::pair<std::string, std::string> cases[] = {
        {"my.dir\\quartz.cry", "my.dir\\quartz.pov"},
        {"old.data\\quartz", "old.pov"},
        {".\\quartz", ".pov"},
        {"..\\quartz", "..pov"},
    };
    for (const auto& [path, scene] : cases) {
        folder.writeFile(path, OneSilicon);
        EXPECT_EQ(expectRun({path}, 0).output, "Done!! POVRay file is " + scene + "\r\n");
        EXPECT_TRUE(folder.exists(scene)) << scene;
    }
}

TEST_F(ProgramTest, MalformedCrystalStillConverts) {
    folder.writeFile("bad.cry", "2\n0 0 0 Si\n1e 1 1 Ho\n5.43 7.2\n");
    expectRun({"bad.cry"}, 0);
    const std::string scene = folder.readFile("bad.pov");
    EXPECT_NE(scene.find("#declare translatex=0;\r\n#declare translatez=0;\r\n#declare crystheight=-0;\r\n"),
              std::string::npos);
    EXPECT_NE(scene.find("sphere { <0, -0, 0>, 0.5\r\npigment {color Yellow}\r\n}\r\nsphere { <0, -0, 0>, 0.5\r\n}\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace tilegrid::testing
