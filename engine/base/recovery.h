// The recovery point of the text-processing exports: a failure deep inside a reader
// unwinds to the export that was called, which returns the failure's negative code.
// No exception ever leaves an export.
#pragma once

#include <cstdint>
#include <new>

namespace lvk {

struct RecoveryError {
    int32_t code;
};

[[noreturn]] inline void RaiseError(int32_t code) { throw RecoveryError{code}; }

// Runs body() and returns its result, or the code of a RecoveryError raised inside it.
// memoryCode is returned when an allocation of the standard library fails.
template <class Body>
int32_t RecoveryPoint(int32_t memoryCode, Body&& body) noexcept {
    try {
        return body();
    } catch (const RecoveryError& e) {
        return e.code;
    } catch (const std::bad_alloc&) {
        return memoryCode;
    } catch (...) {
        return memoryCode;
    }
}

}  // namespace lvk
