// The scene file name, derived from the crystal file path.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tilegrid {

constexpr std::size_t MaxSceneNameLength = 255;

struct SceneName {
    char bytes[MaxSceneNameLength + 1] = {};  // zero-terminated
    std::size_t length = 0;

    const char* c_str() const { return bytes; }
    std::string_view view() const { return {bytes, length}; }
};

// The path with its last "." and all after it replaced by ".pov", or with
// ".pov" appended when it holds no dot; no value when the result would be
// longer than MaxSceneNameLength.
std::optional<SceneName> sceneFileName(std::string_view crystalPath);

}  // namespace tilegrid
