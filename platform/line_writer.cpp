#include "platform/line_writer.h"

#include "scene/number_format.h"

#include <algorithm>
#include <cstring>

namespace tilegrid {

char* LineWriter::reserve(std::size_t size) {
    if (Capacity - length_ < size) flush();
    return buffer_ + length_;
}

void LineWriter::flush() {
    if (!failed_ && length_ > 0 && !sink_.write(buffer_, length_)) failed_ = true;
    length_ = 0;
}

void LineWriter::put(std::string_view text) {
    while (!text.empty()) {
        if (length_ == Capacity) flush();
        const std::size_t part = std::min(text.size(), Capacity - length_);
        std::memcpy(buffer_ + length_, text.data(), part);
        length_ += part;
        text.remove_prefix(part);
    }
}

void LineWriter::put(float value) {
    char* end = formatFloat(reserve(MaxFloatText), value);
    length_ = static_cast<std::size_t>(end - buffer_);
}

void LineWriter::put(std::int32_t value) {
    char* end = formatInteger(reserve(MaxIntegerText), value);
    length_ = static_cast<std::size_t>(end - buffer_);
}

void endLine(LineWriter& out) {
    char* end = out.reserve(2);
    end[0] = '\r';
    end[1] = '\n';
    out.length_ += 2;
    out.flush();
}

}  // namespace tilegrid
