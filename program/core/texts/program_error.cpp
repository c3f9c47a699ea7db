#include "program/core/texts/program_error.h"

#include <new>
#include <utility>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"

namespace yov {

ProgramError::ProgramError(int32_t number, std::u16string description)
    : std::runtime_error(plat::utf16ToUtf8(description)), number_(number), description_(std::move(description)) {}

PendingError pendingErrorOf(const std::exception_ptr& error) {
    namespace en = error_number;
    if (!error) return {};
    try {
        std::rethrow_exception(error);
    } catch (const ProgramError& e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {en::kOutOfMemory, u"Out of memory"};
    } catch (const EngineBindingError& e) {
        return {en::kEngineLoad, plat::utf8ToUtf16(e.what())};
    } catch (const std::out_of_range& e) {
        return {en::kSubscript, plat::utf8ToUtf16(e.what())};
    } catch (const std::overflow_error& e) {
        return {en::kOverflow, plat::utf8ToUtf16(e.what())};
    } catch (const std::exception& e) {
        return {en::kInvalidCall, plat::utf8ToUtf16(e.what())};
    } catch (...) {
        return {en::kInvalidCall, u"Unknown error"};
    }
}

PendingError currentPendingError() { return pendingErrorOf(std::current_exception()); }

}  // namespace yov
