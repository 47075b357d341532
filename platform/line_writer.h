// Line output: a line is assembled in a small fixed buffer and handed to its
// sink at the line end, ended by CR LF on every platform. One write per
// line, and nothing of the output is held once its line is complete.
#pragma once

#include "platform/byte_stream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tilegrid {

class LineWriter {
public:
    explicit LineWriter(ByteSink& sink) : sink_(sink) {}
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void put(std::string_view text);
    // Floats in general notation with six significant digits, integers in
    // plain decimal; see scene/number_format.h.
    void put(float value);
    void put(std::int32_t value);

    // True once a write to the sink has failed. From then on nothing more is
    // written, so the output stops at the first failed write.
    bool failed() const { return failed_; }

    // Appends CR LF and hands the line to the sink at once.
    friend void endLine(LineWriter& out);

private:
    // Longer than any line of a scene file and than the console's fixed
    // lines; a longer line (one that quotes a long path) is handed on in
    // pieces.
    static constexpr std::size_t Capacity = 512;

    char* reserve(std::size_t size);
    void flush();

    ByteSink& sink_;
    std::size_t length_ = 0;
    bool failed_ = false;
    char buffer_[Capacity];
};

void endLine(LineWriter& out);

// Puts every part in order, then ends the line.
template <typename... Parts>
void writeLine(LineWriter& out, const Parts&... parts) {
    (out.put(parts), ...);
    endLine(out);
}

}  // namespace tilegrid
