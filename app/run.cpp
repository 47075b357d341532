#include "app/run.h"

#include "app/scene_name.h"
#include "crystal/crystal_reader.h"
#include "scene/scene_writer.h"

namespace tilegrid {

ExitStatus runConversion(const RunOptions& options, LineWriter& console) {
    Crystal crystal;

    switch (readCrystalFile(options.crystalPath, crystal)) {
    case CrystalFileStatus::Read:
        break;
    case CrystalFileStatus::CannotOpen:
        writeLine(console, "Couldn't open file ", options.crystalPath);
        return ExitStatus::CrystalOpenError;
    case CrystalFileStatus::TooManyAtoms:
        writeLine(console, "Too many atoms (more than 5000) in file ", options.crystalPath);
        return ExitStatus::CrystalOpenError;
    }

    const std::optional<SceneName> name = sceneFileName(options.crystalPath);
    if (!name) {
        writeLine(console, "Couldn't open output file!");
        return ExitStatus::SceneOpenError;
    }
    switch (writeSceneFile(name->c_str(), crystal, options.xRepeat, options.yRepeat)) {
    case SceneFileStatus::Written:
        break;
    case SceneFileStatus::CannotCreate:
        writeLine(console, "Couldn't open output file!");
        return ExitStatus::SceneOpenError;
    case SceneFileStatus::WriteFailed:
        writeLine(console, "Couldn't write output file!");
        return ExitStatus::SceneOpenError;
    }
    writeLine(console, "Done!! POVRay file is ", name->view());
    return ExitStatus::Success;
}

ExitStatus runTilegrid(int argumentCount, const char* const* arguments, LineWriter& console) {
    RunOptions options;
    const ExitStatus accepted = parseCommandLine(argumentCount, arguments, options, console);
    if (accepted != ExitStatus::Success) return accepted;
    return runConversion(options, console);
}

}  // namespace tilegrid
