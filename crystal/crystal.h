// The crystal model: what the crystal file holds, as the scene writer reads it.
#pragma once

#include <cstdint>

namespace tilegrid {

constexpr std::int32_t MaxAtoms = 5000;

struct Atom {
    // In the order in which the crystal file gives them.
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    // The first two bytes of the atom's word, exactly as in the file, then a
    // zero byte.
    char symbol[3] = {};
};

// Every field starts at zero and keeps it when the file does not provide it.
// Entries 0 to atomCount - 1 of the table are the atoms; atomCount never
// exceeds MaxAtoms.
struct Crystal {
    std::int32_t atomCount = 0;
    Atom atoms[MaxAtoms] = {};
    float translatex = 0.0f;  // cell period along x
    float translatez = 0.0f;  // cell period along z
};

}  // namespace tilegrid
