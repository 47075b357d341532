// Runs the built program as a separate process in a temporary folder of its
// own, and captures what it prints. The program comes from TILEGRID_PROGRAM
// (the build's own program by default); TILEGRID_LAUNCHER, when set, is a
// command that the program is run under, such as an emulator.
#pragma once

#include <string>
#include <vector>

namespace tilegrid::testing {

struct ProgramRun {
    std::string output;  // the bytes on standard output
    std::string errors;  // the bytes on standard error
    int status = -1;     // the exit status; -1 when the program did not exit
};

// True when the program under test is a Windows executable.
bool testingWindowsProgram();

// A temporary working folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string pathOf(const std::string& name) const { return path_ + "/" + name; }

    void writeFile(const std::string& name, const std::string& bytes) const;
    std::string readFile(const std::string& name) const;
    bool exists(const std::string& name) const;

    // Runs the program with these command words, in this folder, with no
    // standard input.
    ProgramRun run(const std::vector<std::string>& words) const;
    // The same with standard output a pipe that nobody reads any more.
    ProgramRun runIntoClosedPipe(const std::vector<std::string>& words) const;

private:
    ProgramRun start(const std::vector<std::string>& words, bool closedOutput) const;

    std::string path_;
};

// The words as one string of console lines: each word followed by CR LF.
std::string consoleLines(const std::vector<std::string>& lines);

}  // namespace tilegrid::testing
