#include "program/core/windows/form_members.h"

#include <QObject>

#include <unordered_map>

#include "program/core/texts/program_error.h"

namespace yov {

namespace {

struct Entry {
    FormMembers members;
    QMetaObject::Connection destroyed;
};

std::unordered_map<const QObject*, Entry>& registry() {
    static std::unordered_map<const QObject*, Entry> entries;
    return entries;
}

[[noreturn]] void missing(const char16_t* member) {
    throw ProgramError(kMemberMissing,
                       u"Object doesn't support this property or method (" + std::u16string(member) + u")");
}

// A copy of the member, so that a window that replaces or drops its members (or is destroyed)
// while its command runs does not pull the running function from under it.
template <class Member>
Member memberOf(QObject* window, Member FormMembers::*which) {
    auto it = registry().find(window);
    return it == registry().end() ? Member() : it->second.members.*which;
}

}  // namespace

void SetFormMembers(QObject* window, FormMembers members) {
    if (window == nullptr) return;
    auto& entries = registry();
    auto it = entries.find(window);
    if (it != entries.end()) {
        QObject::disconnect(it->second.destroyed);
        entries.erase(it);
    }
    if (!members.FCmd && !members.Rfsh0) return;
    Entry entry{std::move(members), {}};
    entry.destroyed = QObject::connect(window, &QObject::destroyed, [window] { registry().erase(window); });
    entries.emplace(window, std::move(entry));
}

bool CallFCmd(QObject* window, int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4) {
    const FCmdMember fcmd = memberOf(window, &FormMembers::FCmd);
    if (!fcmd) missing(u"FCmd");
    return fcmd(code, arg1, arg2, arg3, arg4);
}

void CallRfsh0(QObject* window) {
    const Rfsh0Member rfsh0 = memberOf(window, &FormMembers::Rfsh0);
    if (!rfsh0) missing(u"Rfsh0");
    rfsh0();
}

bool HasFormMembers(const QObject* window) { return registry().count(window) != 0; }

}  // namespace yov
