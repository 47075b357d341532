// tilegrid: converts a crystal file into a POV-Ray scene of tiled copies of
// its cell.
#include "app/run.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    tilegrid::platform::prepareProcess();
    tilegrid::platform::StandardOutput standardOutput;
    tilegrid::LineWriter console(standardOutput);
    return static_cast<int>(tilegrid::runTilegrid(argc, argv, console));
}
