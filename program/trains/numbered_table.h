// Record tables of the trains and the show: records numbered from 1 (0 = none, element 0 present), grown in
// fixed steps, freed records reused from a free list before the table grows; and the singly
// linked lists threaded through them. Every walk is bounded by the table's size, so a broken
// link ends in a program error, never a hang.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"

namespace yov {

template <class T>
struct NumberedTable {
    std::vector<T> Recs{T{}};
    int32_t Count = 0;
    int32_t Alloc = 0;
    int32_t FreeHead = 0;

    bool valid(int32_t n) const { return n >= 1 && n <= Count; }

    // The record; an index outside the table is a program error (subscript out of range).
    T& at(int32_t n) {
        if (!valid(n) || static_cast<size_t>(n) >= Recs.size()) {
            throw ProgramError(error_number::kSubscript, u"Record " + decimal(n) + u" out of range");
        }
        return Recs[static_cast<size_t>(n)];
    }

    // A record index for a new record: the free list's head (its next free one read through
    // nextFree), else the next unused record, growing the table by `growth`. The caller clears it.
    template <class NextFree>
    int32_t take(int32_t growth, NextFree nextFree) {
        if (FreeHead != 0) {
            const int32_t n = FreeHead;
            FreeHead = nextFree(at(n));
            return n;
        }
        const int32_t n = Count + 1;
        if (n > Alloc) {
            Alloc += growth;
            Recs.resize(static_cast<size_t>(Alloc) + 1);
        }
        Count = n;
        return n;
    }

    // The hop bound of a walk.
    void checkHops(int32_t hops) const {
        if (hops > Count + 1) throw ProgramError(error_number::kInvalidCall, u"A list's links form a loop");
    }

    // Unlinks n from the list at head threaded through link(record); n's link becomes 0.
    // Returns n's predecessor (0 at the head), or -1 when n is not on the list.
    template <class Link>
    int32_t unlink(int32_t& head, int32_t n, Link link) {
        int32_t prev = 0;
        int32_t cur = head;
        for (int32_t hops = 0; cur != 0 && cur != n; ++hops) {
            checkHops(hops);
            prev = cur;
            cur = link(at(cur));
        }
        if (cur == 0) return -1;
        const int32_t next = link(at(n));
        if (prev == 0)
            head = next;
        else
            link(at(prev)) = next;
        link(at(n)) = 0;
        return prev;
    }

    // Links n into the list at head, sorted by key ascending, behind the records of equal key.
    template <class Link, class Key>
    void insertSorted(int32_t& head, int32_t n, Link link, Key key) {
        const auto k = key(at(n));
        int32_t prev = 0;
        int32_t cur = head;
        for (int32_t hops = 0; cur != 0 && key(at(cur)) <= k; ++hops) {
            checkHops(hops);
            prev = cur;
            cur = link(at(cur));
        }
        link(at(n)) = cur;
        if (prev == 0)
            head = n;
        else
            link(at(prev)) = n;
    }

    // Whether n is on the list at head.
    template <class Link>
    bool contains(int32_t head, int32_t n, Link link) {
        for (int32_t cur = head, hops = 0; cur != 0; cur = link(at(cur)), ++hops) {
            checkHops(hops);
            if (cur == n) return true;
        }
        return false;
    }
};

}  // namespace yov
