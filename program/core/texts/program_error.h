// The program's numbered run-time errors.
//
// Every error of the program travels as one exception type that carries a number and a
// description, as the handlers of long operations expect: they catch whatever is pending,
// hand it to ReportError, and the numbers 6000 to 6020 tell the program's own errors from
// the rest. Errors of other kinds (the standard library's, the engine binding's) get the
// run-time number of their kind (out of memory, subscript, overflow, invalid call) when a handler
// asks (pendingErrorOf), which is the number the error log records.
#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace yov {

namespace error_number {
inline constexpr int32_t kInvalidCall = 5;  // invalid procedure call or argument
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscript = 9;    // subscript out of range
inline constexpr int32_t kEngineLoad = 48;  // the engine library or an export is missing

inline constexpr int32_t kFirstProgramError = 6000;
inline constexpr int32_t kLastProgramError = 6020;
inline constexpr int32_t kMemoryOverflow = 6001;  // a memory bitmap could not be made
inline constexpr int32_t kMessage = 6002;         // RaiseProgramError: a message for the user
inline constexpr int32_t kUnbalanced = 6003;      // unbalanced brackets or quotes in a parameter
inline constexpr int32_t kStockDeclaration = 6004;
inline constexpr int32_t kNotMine = 6009;  // a cancelled dialog, a command a window does not take
inline constexpr int32_t kScriptRequirement = 6015;
inline constexpr int32_t kReported = 6016;  // already reported: no later handler reports it again
}  // namespace error_number

inline bool isProgramErrorNumber(int32_t n) {
    return n >= error_number::kFirstProgramError && n <= error_number::kLastProgramError;
}

class ProgramError : public std::runtime_error {
public:
    ProgramError(int32_t number, std::u16string description);
    int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }

private:
    int32_t number_;
    std::u16string description_;
};

// The error a handler is dealing with: number 0 and no description when there is none.
struct PendingError {
    int32_t number = 0;
    std::u16string description;
};

// The pending error of an exception: a ProgramError as it is, out of memory as 7, an
// out-of-range index as 9, an overflow as 6, a missing engine library or export as 48,
// any other standard exception as 5 with its message, anything else as 5.
PendingError pendingErrorOf(const std::exception_ptr& error);

// Inside a catch block: the exception being handled; elsewhere: no error.
PendingError currentPendingError();

}  // namespace yov
