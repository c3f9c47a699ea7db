// The script editor's set-up: the fixed properties every text window's editor gets, the
// user's hot keys and options from the settings ("EdHotKeys", "EdSettings"), and, once
// per process, the scene-script language "RolvaneTimetable" with its word lists and the
// two editor commands. The editor is reached through ScriptEditorPort, so that the Qt
// editor and the tests take the same steps in the same order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program/scene/script_words.h"

namespace yov {

struct EditorLanguage {
    std::u16string name;
    bool caseSensitive = true;
    std::u16string escape;                          // one NUL character: no escape character
    std::u16string keywords, blockBegin, blockEnd;  // each word followed by a line feed
};

// What SetupScriptEditor hands an editor and its component.
class ScriptEditorPort {
public:
    virtual ~ScriptEditorPort() = default;
    virtual void setIntProperty(int32_t dispatchId, int32_t value) = 0;
    virtual void setBoolProperty(int32_t dispatchId, bool value) = 0;
    // The component's global object.
    virtual void setHotKeys(const std::vector<uint8_t>& table) = 0;
    virtual void resetGlobal() = 0;
    virtual void registerLanguage(const EditorLanguage& language) = 0;
    virtual void registerCommand(int32_t id, const std::u16string& name, const std::u16string& description) = 0;
};

struct EditorSetupState {
    std::array<uint8_t, 11> EditorOptions{};
    uint8_t EditorLanguageReady = 0;
};
EditorSetupState& editorSetupState();

inline constexpr const char16_t* kTimetableLanguage = u"RolvaneTimetable";

// The dispatch ids of the 11 option bytes, in byte order; byte 0 is an integer, the rest
// are booleans.
inline constexpr std::array<int32_t, 11> kEditorOptionIds = {29, 3, 5, 6, 1, 2, 78, 10, 12, 87, 75};

void SetupScriptEditor(ScriptEditorPort& editor);
void RegisterEditorCommand(ScriptEditorPort& editor, int32_t commandId, std::u16string_view key);

}  // namespace yov
