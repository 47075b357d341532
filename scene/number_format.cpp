#include "scene/number_format.h"

#include <charconv>

namespace tilegrid {

char* formatFloat(char* out, float value) {
    // The general format of std::to_chars with a precision is that of
    // printf's %g, computed exactly from the value and independent of the
    // locale. The float widens to double without loss, so the rounding works
    // on the float's own exact value.
    return std::to_chars(out, out + MaxFloatText, static_cast<double>(value),
                         std::chars_format::general, 6)
        .ptr;
}

char* formatInteger(char* out, std::int32_t value) {
    return std::to_chars(out, out + MaxIntegerText, value).ptr;
}

}  // namespace tilegrid
