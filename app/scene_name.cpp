#include "app/scene_name.h"

#include <cstring>

namespace tilegrid {

std::optional<SceneName> sceneFileName(std::string_view crystalPath) {
    // The last dot anywhere in the path starts the extension, also when it
    // stands in a folder's name: "old.data\quartz" gives "old.pov".
    const std::size_t dot = crystalPath.rfind('.');
    const std::string_view stem = crystalPath.substr(0, dot);  // all of it when there is no dot
    constexpr std::string_view extension = ".pov";
    if (stem.size() > MaxSceneNameLength - extension.size()) return std::nullopt;

    SceneName name;
    std::memcpy(name.bytes, stem.data(), stem.size());
    std::memcpy(name.bytes + stem.size(), extension.data(), extension.size());
    name.length = stem.size() + extension.size();
    name.bytes[name.length] = '\0';
    return name;
}

}  // namespace tilegrid
