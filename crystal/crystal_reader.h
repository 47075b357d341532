// The crystal file reader: fills a Crystal from the crystal file format.
#pragma once

#include "crystal/crystal.h"
#include "platform/byte_stream.h"

namespace tilegrid {

enum class CrystalFileStatus {
    Read,          // opened, read as far as its data goes, and closed
    CannotOpen,    // nothing read, the Crystal unchanged
    TooManyAtoms,  // the atom count exceeds MaxAtoms; the file is closed
};

// Opens the file at `path`, reads it into `crystal` and closes it again. The
// content is taken on trust: an empty, short or malformed file is Read as far
// as it goes, and every field it does not provide is zero. When the file
// cannot be opened, `crystal` is left as it was.
CrystalFileStatus readCrystalFile(const char* path, Crystal& crystal);

// The same read from any byte source: Read or TooManyAtoms.
CrystalFileStatus readCrystal(ByteSource& source, Crystal& crystal);

}  // namespace tilegrid
