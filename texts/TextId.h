#pragma once
// One identifier for each text a person reads, in every language the program speaks. The tables of
// the languages list them in this order; a table that misses one does not build.

#include <cstdint>

namespace netpeek {

enum class TextId : std::uint16_t {
    // ---- The window: its menus, toolbar, boxes, row tooltip, icon and log window ----
    ErrorNumber,           // the error box's prefix before the description: %1 is the number
    NoReasonGiven,         // a failure Windows gave no code for
    // (the window's texts end here)

    // ---- The console twin: its usage, its errors, the saves, the export and the HTML page ----
    UnknownArgument,       // %1: the argument
    // (the console's texts end here)

    Count
};

}  // namespace netpeek
