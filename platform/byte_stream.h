// The two byte-stream roles that the reader and the writers depend on. The
// operating system's files and console implement them in platform_*.cpp;
// tests and fuzz targets implement them in memory.
#pragma once

#include <cstddef>

namespace tilegrid {

// Yields the bytes of one input, a piece at a time.
class ByteSource {
public:
    // Copies up to `capacity` bytes into `buffer` and returns how many it
    // copied; 0 means the data has ended (a read error ends it too).
    virtual std::size_t readSome(char* buffer, std::size_t capacity) = 0;

protected:
    ~ByteSource() = default;
};

// Takes bytes in order and hands them on.
class ByteSink {
public:
    // Hands all `size` bytes on, as one write where the destination allows.
    // False when they could not all be written.
    virtual bool write(const char* data, std::size_t size) = 0;

protected:
    ~ByteSink() = default;
};

}  // namespace tilegrid
