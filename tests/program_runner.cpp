#include "tests/program_runner.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TILEGRID_DEFAULT_PROGRAM
#error "TILEGRID_DEFAULT_PROGRAM names the program the tests run by default"
#endif

namespace tilegrid::testing {
namespace {

std::string environmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

std::string programPath() { return environmentOr("TILEGRID_PROGRAM", TILEGRID_DEFAULT_PROGRAM); }

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    chmod(path, 0700);
    return ::remove(path);
}

// Reads both pipes to their ends at once, so that neither can fill up and
// stall the child.
void drain(int outFd, int errFd, ProgramRun& run) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* targets[2] = {&run.output, &run.errors};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                targets[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

bool testingWindowsProgram() {
    const std::string program = programPath();
    return program.size() >= 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = environmentOr("TMPDIR", "/tmp") + "/tilegrid-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() { nftw(path_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }

void ScratchFolder::writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream file(pathOf(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + pathOf(name));
}

std::string ScratchFolder::readFile(const std::string& name) const {
    std::ifstream file(pathOf(name), std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + pathOf(name));
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool ScratchFolder::exists(const std::string& name) const {
    struct stat info;
    return lstat(pathOf(name).c_str(), &info) == 0;
}

ProgramRun ScratchFolder::run(const std::vector<std::string>& words) const { return start(words, false); }

ProgramRun ScratchFolder::runIntoClosedPipe(const std::vector<std::string>& words) const {
    return start(words, true);
}

ProgramRun ScratchFolder::start(const std::vector<std::string>& words, bool closedOutput) const {
    std::vector<std::string> command;
    const std::string launcher = environmentOr("TILEGRID_LAUNCHER", "");
    if (!launcher.empty()) command.push_back(launcher);
    command.push_back(programPath());
    command.insert(command.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    if (closedOutput) {
        // With its only reading end closed before the child exists, every
        // write to the pipe fails.
        close(outPipe[0]);
        outPipe[0] = open("/dev/null", O_RDONLY);
    }
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int nullFd = open("/dev/null", O_RDONLY);
        dup2(nullFd, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (chdir(path_.c_str()) != 0) _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ProgramRun run;
    drain(outPipe[0], errPipe[0], run);
    int wstatus = 0;
    while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    return run;
}

std::string consoleLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

}  // namespace tilegrid::testing
