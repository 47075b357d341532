// The platform layer on POSIX systems. Files are plain byte streams here; the
// program writes its CR LF line ends itself. What the rest of the program
// expects from a Windows file system is emulated where POSIX differs: a
// directory cannot be opened as a file, and an existing file without any
// write permission bit is read-only, also for a user (root) whom the kernel
// would let write it.
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilegrid::platform {
namespace {

constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

int fdOf(long long handle) { return static_cast<int>(handle); }

void closeQuietly(int fd) {
    // After close, the descriptor is gone whatever the result, even on EINTR.
    ::close(fd);
}

// Writes everything or fails; a write cut short by a signal is taken up again.
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += static_cast<std::size_t>(put);
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

void prepareProcess() {
    // A reader of standard output that has gone away must not end the run:
    // the scene file is still written and the exit status is still ours.
    std::signal(SIGPIPE, SIG_IGN);
    // Keep the standard descriptors taken, so that a file the program opens
    // can never become its standard output.
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

InputFile::~InputFile() { close(); }

bool InputFile::open(const char* path) {
    close();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        closeQuietly(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

std::size_t InputFile::readSome(char* buffer, std::size_t capacity) {
    if (handle_ < 0) return 0;
    for (;;) {
        const ssize_t got = ::read(fdOf(handle_), buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

void InputFile::close() {
    if (handle_ < 0) return;
    closeQuietly(fdOf(handle_));
    handle_ = -1;
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::create(const char* path) {
    close();
    // Create the file only when it is new, so that an existing one can be
    // checked for the read-only rule before anything of it is lost.
    int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            closeQuietly(fd);
            return false;
        }
        // Devices and pipes have no content to truncate.
        if (S_ISREG(info.st_mode) &&
            ((info.st_mode & AnyWriteBit) == 0 || ::ftruncate(fd, 0) != 0)) {
            closeQuietly(fd);
            return false;
        }
    }
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

bool OutputFile::write(const char* data, std::size_t size) {
    return handle_ >= 0 && writeAll(fdOf(handle_), data, size);
}

bool OutputFile::close() {
    if (handle_ < 0) return true;
    const int result = ::close(fdOf(handle_));
    handle_ = -1;
    return result == 0 || errno == EINTR;
}

bool StandardOutput::write(const char* data, std::size_t size) { return writeAll(STDOUT_FILENO, data, size); }

}  // namespace tilegrid::platform
