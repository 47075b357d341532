// In-memory byte sources and sinks for tests.
#pragma once

#include "platform/byte_stream.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tilegrid::testing {

// Hands out its bytes in pieces of at most `pieceSize` bytes, so that a test
// can put every field boundary on a buffer boundary.
class StringSource final : public ByteSource {
public:
    explicit StringSource(std::string_view bytes, std::size_t pieceSize = 1 << 20)
        : bytes_(bytes), pieceSize_(pieceSize) {}

    std::size_t readSome(char* buffer, std::size_t capacity) override {
        const std::size_t size = std::min({capacity, pieceSize_, bytes_.size()});
        std::memcpy(buffer, bytes_.data(), size);
        bytes_.remove_prefix(size);
        return size;
    }

private:
    std::string_view bytes_;
    std::size_t pieceSize_;
};

// Keeps every write as it came; fails every write after the first
// `goodWrites` ones.
class RecordingSink final : public ByteSink {
public:
    explicit RecordingSink(std::size_t goodWrites = static_cast<std::size_t>(-1)) : goodWrites_(goodWrites) {}

    bool write(const char* data, std::size_t size) override {
        ++attempts;
        if (writes.size() == goodWrites_) return false;
        writes.emplace_back(data, size);
        return true;
    }

    std::string bytes() const {
        std::string all;
        for (const std::string& write : writes) all += write;
        return all;
    }

    std::vector<std::string> writes;
    std::size_t attempts = 0;

private:
    std::size_t goodWrites_;
};

}  // namespace tilegrid::testing
