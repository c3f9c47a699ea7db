// The animation compiler: a step list of a stock description ("1-4,W20,3*(5,6)") becomes
// the byte program that the program's sprite stepper runs, one step per animation tick.
// Also the pair of exports that keep and call one procedure.
//
// The program compiles the lists of one picture back to back into the one buffer (each
// at the offset where the last one ended) and then copies the whole buffer out.
#include <cstdint>

#include "engine/base/recovery.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

constexpr int32_t kBufferSize = 1000;
constexpr int32_t kHighestFrame = 248;

constexpr uint8_t kWait8 = 250;
constexpr uint8_t kWait16 = 251;
constexpr uint8_t kRange = 252;
constexpr uint8_t kLoopBegin = 253;
constexpr uint8_t kLoopEnd = 254;
constexpr uint8_t kEnd = 255;

constexpr int32_t kLeftOver = -1;
constexpr int32_t kBufferFull = -2;
constexpr int32_t kBadFrame = -3;  // also a missing ")"
constexpr int32_t kNoRangeEnd = -4;
constexpr int32_t kNoWait = -5;
// Counts and waits are stored in 16 bits: a larger one is refused instead of cut.
constexpr int32_t kTooLarge = -6;
// Groups and repetitions nest by recursion; deeper than this is refused.
constexpr int32_t kTooDeep = -7;
constexpr int kMaxNesting = 64;

// Numbers are read with saturation so that a long run of digits cannot overflow; anything
// at this size is refused by whichever check reads it.
constexpr int32_t kNumberCeiling = 0x7FFFFFF;

uint8_t g_buffer[kBufferSize];
int32_t g_writePos = 0;
LvIndirProc g_indirProc = nullptr;

class Compiler {
public:
    explicit Compiler(const char* text) : p_(text) {}

    void List(int depth) {
        if (depth > kMaxNesting) RaiseError(kTooDeep);
        Step(depth);
        while (*p_ == ',') {
            ++p_;
            Step(depth);
        }
    }

    bool AtEnd() const { return *p_ == 0; }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    void SkipBlanks() {
        while (IsBlank(*p_)) ++p_;
    }

    // A number with the blanks around it; false (nothing consumed but blanks) without digits.
    bool Number(int32_t& n) {
        SkipBlanks();
        if (!IsDigit(*p_)) return false;
        int64_t v = 0;
        while (IsDigit(*p_)) {
            v = v * 10 + (*p_ - '0');
            if (v > kNumberCeiling) v = kNumberCeiling;
            ++p_;
        }
        SkipBlanks();
        n = static_cast<int32_t>(v);
        return true;
    }

    static void Emit(uint8_t b) {
        if (g_writePos >= kBufferSize) RaiseError(kBufferFull);
        g_buffer[g_writePos++] = b;
    }

    static void Emit16(int32_t v) {
        if (v > 0xFFFF) RaiseError(kTooLarge);
        Emit(static_cast<uint8_t>(v & 0xFF));
        Emit(static_cast<uint8_t>(v >> 8));
    }

    static void Frame(int32_t n) {
        if (n > kHighestFrame) RaiseError(kBadFrame);
        Emit(static_cast<uint8_t>(n));
    }

    void Repeat(int32_t count, int depth) {
        Emit(kLoopBegin);
        Emit16(count);
        Step(depth + 1);
        Emit(kLoopEnd);
    }

    void Step(int depth) {
        if (depth > kMaxNesting) RaiseError(kTooDeep);
        int32_t n = 0;
        if (Number(n)) {
            if (*p_ == '*') {
                ++p_;
                Repeat(n, depth);
            } else if (*p_ == '-') {
                ++p_;
                Frame(n);
                int32_t m = 0;
                if (!Number(m)) RaiseError(kNoRangeEnd);
                Emit(kRange);
                Frame(m);
            } else {
                Frame(n);
            }
            return;
        }
        switch (*p_) {
        case '*':
            ++p_;
            Repeat(0, depth);
            break;
        case '(':
            ++p_;
            List(depth + 1);
            if (*p_ != ')') RaiseError(kBadFrame);
            ++p_;
            SkipBlanks();
            break;
        case 'W': {
            ++p_;
            int32_t w = 0;
            if (!Number(w)) RaiseError(kNoWait);
            if (w == 0) w = 1;
            if (w < 256) {
                Emit(kWait8);
                Emit(static_cast<uint8_t>(w));
            } else {
                Emit(kWait16);
                Emit16(w);
            }
            break;
        }
        default: break;  // no step: the character ends the list or is left over
        }
    }

    const char* p_;
};

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult CompileAnim(const char* steps, int32_t offset) noexcept {
    // The offset must leave room inside the buffer; anything else would write outside it.
    if (offset < 0 || offset >= kBufferSize) return kBufferFull;
    g_writePos = offset;
    // The first character is the list's kind letter; an empty text has none to skip.
    const char* text = steps == nullptr ? "" : steps;
    if (*text != 0) ++text;
    const int32_t result = RecoveryPoint(kBufferFull, [&]() -> int32_t {
        Compiler c(text);
        c.List(0);
        if (g_writePos >= kBufferSize) RaiseError(kBufferFull);
        g_buffer[g_writePos++] = kEnd;
        return c.AtEnd() ? g_writePos : kLeftOver;
    });
    // A failed list leaves nothing half-written for GetCompiled to hand out; a list with
    // characters left over keeps its bytes and end mark.
    if (result < kLeftOver) g_writePos = offset;
    return result;
}

LvResult GetCompiled(uint8_t* buffer, int32_t capacity) noexcept {
    if (buffer == nullptr || capacity <= 0) return 0;
    const int32_t n = g_writePos < capacity ? g_writePos : capacity;
    for (int32_t i = 0; i < n; ++i) buffer[i] = g_buffer[i];
    return n;
}

LvIndirProc SetIndir(LvIndirProc proc) noexcept {
    g_indirProc = proc;
    return proc;
}

LvResult CallIndir(int32_t value) noexcept {
    // Nothing stored: nothing to call.
    return g_indirProc == nullptr ? 0 : g_indirProc(value);
}
