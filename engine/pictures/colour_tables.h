// The colour translation tables that SetXColor fills and the drawing applies (method 3),
// one 256-byte table per component; the identity after library start.
#pragma once

#include <cstdint>

namespace lvk {

struct ColourTables {
    uint8_t Red[256];
    uint8_t Green[256];
    uint8_t Blue[256];
};

ColourTables& XColorTables();
// Every table back to the identity (library start).
void ResetColourTables();

}  // namespace lvk
