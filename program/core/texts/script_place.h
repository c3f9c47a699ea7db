// The script line the program is reading or starting, so that a message raised deep inside a
// reader during a show names the file and line the user has to mend. During a show a message
// for the user is logged the moment it is raised (RaiseProgramError), before any handler that
// knows the line sees it; the message then carries this place.
//
// The script reader sets it for each line it reads and each block header it builds, the
// train start for the line it starts, the section runner for the line or block it lays out.
// Data only, free of Qt and of the rest of the program, so that the readers' fuzz targets
// link it. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace yov {

struct ScriptPlace {
    std::u16string File;  // as the script names it; empty: no place
    int32_t Line = 0;

    bool known() const { return !File.empty() && Line > 0; }
};

inline ScriptPlace& scriptPlace() {
    static ScriptPlace place;
    return place;
}

// Sets the place for its lifetime; the place before it comes back afterwards, also when an
// error leaves the scope.
class ScriptPlaceScope {
public:
    explicit ScriptPlaceScope(ScriptPlace place) : saved_(std::exchange(scriptPlace(), std::move(place))) {}
    ~ScriptPlaceScope() { scriptPlace() = std::move(saved_); }
    ScriptPlaceScope(const ScriptPlaceScope&) = delete;
    ScriptPlaceScope& operator=(const ScriptPlaceScope&) = delete;

private:
    ScriptPlace saved_;
};

}  // namespace yov
