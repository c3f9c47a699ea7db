// One raster for the whole process. The program and the engine library each link their own
// copy of the platform code, yet both must see the same device contexts and bitmaps: the
// program draws into buffers the engine made, and the engine blits the program's DCs. So
// the library, once loaded, makes its copy draw with the program's object table.
//
// Switch tables before the adopting copy has made any object of its own: handles made in
// its own table are not found afterwards. Objects the library made must be deleted before
// the library is unloaded (their destruction runs the library's code).
#pragma once

#include <cstdint>

namespace plat::raster {

struct SharedTableRef {
    void* table = nullptr;
    std::uint32_t layout = 0;  // tells differently built copies apart
};

// This copy's own table.
SharedTableRef OwnTable();

// Makes every raster call of this copy use the table of ref (a null table: its own again).
// False, and nothing changed, when ref comes from a copy built with another object layout.
bool UseTable(SharedTableRef ref);

}  // namespace plat::raster
