// The members of a window that the program calls by name: `FCmd`, the command entry of every
// registered window, and `Rfsh0`, the deferred redraw of a stock window. A window hands its
// members over when it loads; they are forgotten when it is destroyed. No reflection: a member
// that was never handed over is a run-time error, as a late-bound call of a missing member is.
//
// FCmd takes the command code (Shift×256+KeyCode, or a menu id from 0x1000) and four values,
// all by reference, so what it stores there goes back to the caller (the engine's event record).
// It returns true when it handled the command; a command it does not take raises 6009.
#pragma once

#include <cstdint>
#include <functional>

class QObject;

namespace yov {

using FCmdMember = std::function<bool(int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4)>;
using Rfsh0Member = std::function<void()>;

struct FormMembers {
    FCmdMember FCmd;
    Rfsh0Member Rfsh0;
};

// Replaces the members of the window (an empty set forgets them).
void SetFormMembers(QObject* window, FormMembers members);

// Error number of a call of a member the window does not have.
inline constexpr int32_t kMemberMissing = 438;

// Calls the member by name; raises ProgramError 438 when the window has none.
bool CallFCmd(QObject* window, int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4);
void CallRfsh0(QObject* window);

bool HasFormMembers(const QObject* window);

}  // namespace yov
