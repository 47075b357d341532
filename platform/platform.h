// The operating system behind one interface: the files the program reads and
// writes, standard output, and the process start-up. Each platform has its
// own implementation file; nothing outside this folder calls the operating
// system directly.
#pragma once

#include "platform/byte_stream.h"

#include <cstddef>

namespace tilegrid::platform {

// Called first thing in main. Puts the process into the state the rest of the
// program assumes: standard output takes raw bytes (every line end is written
// out as CR LF by the program itself, never translated), and a console or
// pipe that has gone away makes writes fail instead of ending the process.
void prepareProcess();

// An existing file opened for reading only. It is never created, and a
// directory cannot be opened as one.
class InputFile final : public ByteSource {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // False when the file does not exist, names a directory, or cannot be
    // read for any other reason.
    bool open(const char* path);
    std::size_t readSome(char* buffer, std::size_t capacity) override;
    void close();

private:
    long long handle_ = -1;
};

// A file created, or truncated when it exists, for writing only.
class OutputFile final : public ByteSink {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // False when the file cannot be created: a missing directory, a name that
    // names a directory, denied access, or an existing file that is
    // read-only (a file with no write permission at all counts as read-only
    // whoever runs the program). An existing file keeps its content then.
    bool create(const char* path);
    bool write(const char* data, std::size_t size) override;
    // False when the file could not be closed cleanly; the data may then not
    // have reached it.
    bool close();

private:
    long long handle_ = -1;
};

// Standard output. Errors are ignored: whether the console takes a line
// changes nothing in the run.
class StandardOutput final : public ByteSink {
public:
    bool write(const char* data, std::size_t size) override;
};

}  // namespace tilegrid::platform
