// In-memory byte streams for the fuzz targets: a source that hands its bytes
// out in pieces of varying sizes, so that every refill boundary of a reader
// gets crossed somewhere, and a sink that keeps everything written to it.
#pragma once

#include "platform/byte_stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tilegrid::fuzz {

// FNV-1a: a cheap, deterministic seed taken from the input itself, so that a
// saved crash input replays with the same piece sizes.
inline std::uint64_t hashBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001b3u;
    return hash;
}

class PieceSource final : public ByteSource {
public:
    // With a seed of 0 every call hands out as much as the caller has room
    // for; otherwise the piece sizes follow a generator started from `seed`:
    // mostly 1 to 8 bytes, now and then up to 20000.
    PieceSource(const std::uint8_t* data, std::size_t size, std::uint64_t seed)
        : data_(data), size_(size), state_(seed) {}

    std::size_t readSome(char* buffer, std::size_t capacity) override {
        std::size_t piece = std::min(capacity, size_ - position_);
        if (state_ != 0) piece = std::min(piece, nextPieceSize());
        if (piece > 0) std::memcpy(buffer, data_ + position_, piece);
        position_ += piece;
        return piece;
    }

private:
    std::size_t nextPieceSize() {
        // xorshift64
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        if (state_ % 16 == 0) return 1 + static_cast<std::size_t>((state_ >> 8) % 20000);
        return 1 + static_cast<std::size_t>((state_ >> 8) % 8);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint64_t state_;
};

class StringSink final : public ByteSink {
public:
    bool write(const char* data, std::size_t size) override {
        bytes.append(data, size);
        ++writes;
        return true;
    }

    std::string bytes;
    std::size_t writes = 0;
};

}  // namespace tilegrid::fuzz
