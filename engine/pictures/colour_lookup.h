// Finds a colour among the palette entries made so far in constant time, for readers
// that build a palette from true-colour pixels in order of first appearance (at most
// 255 entries, so the open-addressed table never fills).
#pragma once

#include <cstdint>
#include <cstring>

namespace lvk {

class ColourLookup {
public:
    void Clear() { std::memset(keys_, 0, sizeof keys_); }
    // The index stored for rgb (0x00RRGGBB), or -1.
    int Find(uint32_t rgb) const {
        const uint32_t key = rgb | kUsed;
        for (uint32_t i = Slot(rgb);; i = (i + 1) & (kSlots - 1)) {
            if (keys_[i] == key) return values_[i];
            if (keys_[i] == 0) return -1;
        }
    }
    void Insert(uint32_t rgb, uint8_t index) {
        const uint32_t key = rgb | kUsed;
        uint32_t i = Slot(rgb);
        while (keys_[i] != 0 && keys_[i] != key) i = (i + 1) & (kSlots - 1);
        keys_[i] = key;
        values_[i] = index;
    }

private:
    static constexpr uint32_t kSlots = 1024;
    static constexpr uint32_t kUsed = 0x01000000;
    static uint32_t Slot(uint32_t rgb) { return (rgb * 2654435761u) >> 22; }
    uint32_t keys_[kSlots];
    uint8_t values_[kSlots];
};

}  // namespace lvk
