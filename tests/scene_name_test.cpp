#include "app/scene_name.h"

#include <gtest/gtest.h>
#include <string>

namespace tilegrid {
namespace {

TEST(SceneFileName, ReplacesFromTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"quartz.cry", "quartz.pov"},
        {"quartz", "quartz.pov"},
        {"quartz.", "quartz.pov"},
        {"cell.a.b", "cell.a.pov"},
        {"Quartz.CRY", "Quartz.pov"},
        {"cell.pov", "cell.pov"},
        {"my.dir\\quartz.cry", "my.dir\\quartz.pov"},
        {"old.data\\quartz", "old.pov"},
        {"old.data/quartz", "old.pov"},
        {".\\quartz", ".pov"},
        {"..\\quartz", "..pov"},
        {".", ".pov"},
        {"", ".pov"},
    };
    for (const auto& [path, expected] : cases) {
        const std::optional<SceneName> name = sceneFileName(path);
        ASSERT_TRUE(name.has_value()) << path;
        EXPECT_EQ(name->view(), expected) << path;
        EXPECT_EQ(std::string(name->c_str()), expected) << path;
    }
}

TEST(SceneFileName, OnlyTheDerivedNameMustFit) {
    EXPECT_EQ(sceneFileName(std::string(251, 'a'))->length, 255u);
    EXPECT_EQ(sceneFileName(std::string(251, 'a') + ".cry")->length, 255u);
    EXPECT_FALSE(sceneFileName(std::string(252, 'a')).has_value());
    EXPECT_FALSE(sceneFileName(std::string(252, 'a') + ".").has_value());
    EXPECT_FALSE(sceneFileName(std::string(100000, 'a')).has_value());
    // A long path whose last dot comes early gives a short name.
    EXPECT_EQ(sceneFileName("cell." + std::string(1000, 'x'))->view(), "cell.pov");
}

}  // namespace
}  // namespace tilegrid
