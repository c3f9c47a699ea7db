// An engine that writes down every surface and buffer the program gives back, in order, and
// passes a free on only for a handle the engine handed out while this fake stood in. Tests
// that put made-up handles into the program's records (a train's surfaces, a part's buffer)
// see them given back without the library freeing whatever of its own has that number, and
// what the program really made during the test still goes back to the library.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "engine_fake.h"

namespace engine_test {

class FreedHandlesEngine : public EngineFake {
public:
    FreedHandlesEngine() : surfaces(ownSurfaces_), buffers(ownBuffers_) {}
    // Writes into lists of the test's own, which outlive this fake.
    FreedHandlesEngine(std::vector<int32_t>& surfaceList, std::vector<int32_t>& bufferList)
        : surfaces(surfaceList), buffers(bufferList) {}

    std::vector<int32_t>& surfaces;  // DeleteSurface, in order
    std::vector<int32_t>& buffers;   // FreeBuffer, in order

    LvHandle CreateSurface(int32_t width, int32_t height, uint32_t colourKey, int32_t site) override {
        const LvHandle made = next().CreateSurface(width, height, colourKey, site);
        if (made != 0) madeSurfaces_.insert(made);
        return made;
    }
    void DeleteSurface(LvHandle* surface) override {
        surfaces.push_back(static_cast<int32_t>(*surface));
        if (madeSurfaces_.erase(*surface) != 0) {
            next().DeleteSurface(surface);
        } else {
            *surface = 0;
        }
    }
    LvHandle AllocBuffer(int32_t width, int32_t height, int32_t value) override {
        const LvHandle made = next().AllocBuffer(width, height, value);
        if (made != 0) madeBuffers_.insert(made);
        return made;
    }
    LvResult FreeBuffer(LvHandle* buffer) override {
        buffers.push_back(static_cast<int32_t>(*buffer));
        if (madeBuffers_.erase(*buffer) != 0) return next().FreeBuffer(buffer);
        *buffer = 0;
        return 0;
    }

private:
    std::vector<int32_t> ownSurfaces_;
    std::vector<int32_t> ownBuffers_;
    std::set<LvHandle> madeSurfaces_;
    std::set<LvHandle> madeBuffers_;
};

}  // namespace engine_test
