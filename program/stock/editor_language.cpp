#include "program/stock/editor_language.h"

#include <algorithm>

#include "program/core/settings/settings.h"
#include "program/core/texts/lang_texts.h"

namespace yov {

void RegisterEditorCommand(ScriptEditorPort& editor, int32_t commandId, std::u16string_view key) {
    std::u16string name = GetText(key, {}, 1);
    std::erase(name, u'&');
    const std::u16string description = GetText(u"#" + std::u16string(key), {}, 1);
    editor.registerCommand(commandId, name, description);
}

void SetupScriptEditor(ScriptEditorPort& editor) {
    editor.setIntProperty(21, 8);
    editor.setIntProperty(89, 10);
    editor.setIntProperty(88, 1);
    editor.setBoolProperty(14, true);
    std::vector<uint8_t> bytes;
    const int32_t hotKeys = GetRegBinary(u"EdHotKeys", bytes);
    if (hotKeys != 0) {
        bytes.resize(static_cast<size_t>(hotKeys));
        editor.setHotKeys(bytes);
    }
    bytes.clear();
    EditorSetupState& st = editorSetupState();
    if (GetRegBinary(u"EdSettings", bytes) == static_cast<int32_t>(st.EditorOptions.size())) {
        std::copy_n(bytes.begin(), st.EditorOptions.size(), st.EditorOptions.begin());
        editor.setIntProperty(kEditorOptionIds[0], st.EditorOptions[0]);
        for (size_t i = 1; i < st.EditorOptions.size(); ++i)
            editor.setBoolProperty(kEditorOptionIds[i], st.EditorOptions[i] != 0);
    }
    if (st.EditorLanguageReady != 0) return;
    editor.resetGlobal();
    EditorLanguage lang;
    lang.name = kTimetableLanguage;
    lang.caseSensitive = false;
    lang.escape = std::u16string(1, u'\0');
    lang.keywords = EditorKeywordList();
    lang.blockBegin = EditorBlockBeginList();
    lang.blockEnd = EditorBlockEndList();
    editor.registerLanguage(lang);
    RegisterEditorCommand(editor, 4541, u"RTB");
    RegisterEditorCommand(editor, 4542, u"OSEL");
    st.EditorLanguageReady = 1;
}

}  // namespace yov
