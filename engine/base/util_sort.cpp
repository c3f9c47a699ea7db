// Sorting of the lines of a text and of string and integer arrays, a memory copy, and the
// two exports that only answer 0.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/base/memory.h"
#include "engine/base/util_text.h"
#include "lumvatek/exports.h"

using lvk::SharedTextView;

namespace {

struct Line {
    int32_t start;
    int32_t length;   // characters before the line end
    bool terminated;  // followed by CR LF
};

// Unit by unit as unsigned 16-bit values, the CR of a terminated line taking part as 13.
bool lineLess(const char16_t* text, const Line& a, const Line& b) {
    const int32_t la = a.length + (a.terminated ? 1 : 0);
    const int32_t lb = b.length + (b.terminated ? 1 : 0);
    const int32_t n = std::min(la, lb);
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t ca = i < a.length ? text[a.start + i] : 13;
        const uint16_t cb = i < b.length ? text[b.start + i] : 13;
        if (ca != cb) return ca < cb;
    }
    return la < lb;
}

// Sorts the elements of an array (elementSize bytes each) by an index permutation, then
// moves the bytes once.
template <class Less>
int32_t sortElements(void* array, int32_t count, int32_t elementSize, Less less) {
    if (array == nullptr || count < 2 || elementSize <= 0) return 0;
    try {
        std::vector<int32_t> order(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
        auto* bytes = static_cast<unsigned char*>(array);
        const size_t size = static_cast<size_t>(elementSize);
        std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return less(bytes + static_cast<size_t>(a) * size, bytes + static_cast<size_t>(b) * size);
        });
        std::vector<unsigned char> copy(bytes, bytes + static_cast<size_t>(count) * size);
        for (size_t i = 0; i < order.size(); ++i)
            std::memcpy(bytes + i * size, copy.data() + static_cast<size_t>(order[i]) * size, size);
        return 0;
    } catch (...) {
        return -1;
    }
}

}  // namespace

LvResult SortText(char16_t** variable) noexcept {
    if (variable == nullptr || *variable == nullptr) return 0;
    const char16_t* text = *variable;
    const int32_t n = LvTextLength(text);

    // Count the lines first so the table is one allocation of the tagged allocator.
    int32_t lineCount = 0;
    for (int32_t i = 0; i < n;) {
        int32_t j = i;
        while (j < n && !(text[j] == u'\r' && j + 1 < n && text[j + 1] == u'\n')) ++j;
        ++lineCount;
        i = j < n ? j + 2 : n;
    }
    if (lineCount < 2) return 0;
    auto* lines = static_cast<Line*>(lvk::MemAlloc(sizeof(Line) * static_cast<size_t>(lineCount), 34053));
    if (lines == nullptr) return -1;
    int32_t k = 0;
    for (int32_t i = 0; i < n;) {
        int32_t j = i;
        while (j < n && !(text[j] == u'\r' && j + 1 < n && text[j + 1] == u'\n')) ++j;
        lines[k++] = Line{i, j - i, j < n};
        i = j < n ? j + 2 : n;
    }
    const bool endsOpen = !lines[lineCount - 1].terminated;
    std::stable_sort(lines, lines + lineCount, [text](const Line& a, const Line& b) { return lineLess(text, a, b); });

    char16_t* sorted = LvTextAlloc(nullptr, n);
    if (sorted == nullptr) {
        lvk::MemFree(lines, 35070);
        return -2;
    }
    // Every line but the last gets its CR LF, so a last line without one never runs into the
    // line sorted after it; the text keeps its length.
    int32_t w = 0;
    for (int32_t i = 0; i < lineCount; ++i) {
        std::memcpy(sorted + w, text + lines[i].start, static_cast<size_t>(lines[i].length) * sizeof(char16_t));
        w += lines[i].length;
        if (i + 1 < lineCount || !endsOpen) {
            sorted[w++] = u'\r';
            sorted[w++] = u'\n';
        }
    }
    lvk::MemFree(lines, 35071);
    LvTextFree(*variable);
    *variable = sorted;
    return 0;
}

LvResult SSort(void* array, int32_t count, int32_t elementSize) noexcept {
    if (elementSize < static_cast<int32_t>(sizeof(const char16_t*))) return 0;
    return sortElements(array, count, elementSize, [](const unsigned char* a, const unsigned char* b) {
        const char16_t* ta;
        const char16_t* tb;
        std::memcpy(&ta, a, sizeof ta);
        std::memcpy(&tb, b, sizeof tb);
        const std::u16string_view va = SharedTextView(ta);
        const std::u16string_view vb = SharedTextView(tb);
        const size_t n = std::min(va.size(), vb.size());
        for (size_t i = 0; i < n; ++i) {
            if (va[i] != vb[i]) return static_cast<uint16_t>(va[i]) < static_cast<uint16_t>(vb[i]);
        }
        return va.size() < vb.size();
    });
}

LvResult ISort(void* array, int32_t count, int32_t elementSize) noexcept {
    if (elementSize < static_cast<int32_t>(sizeof(int32_t))) return 0;
    // Compared directly: a difference of two 32-bit values can overflow.
    return sortElements(array, count, elementSize, [](const unsigned char* a, const unsigned char* b) {
        int32_t va;
        int32_t vb;
        std::memcpy(&va, a, sizeof va);
        std::memcpy(&vb, b, sizeof vb);
        return va < vb;
    });
}

LvResult MemCpy(void* dest, const void* source, int32_t count) noexcept {
    if (count <= 0 || dest == nullptr || source == nullptr) return 0;
    std::memmove(dest, source, static_cast<size_t>(count));
    return count;
}

LvResult GetDDCaps() noexcept { return 0; }
LvResult BufferIntegrity() noexcept { return 0; }
