// The edit control of the text windows: QScintilla with the scene-script lexer, taking
// the script editor's set-up through its properties by dispatch id (our own meanings,
// listed in script_edit.cpp) and its component's global object.
#pragma once

#include <Qsci/qscilexercustom.h>
#include <Qsci/qsciscintilla.h>

#include <cstdint>
#include <string>
#include <vector>

#include "program/stock/editor_language.h"

namespace yov {

class TimetableLexer : public QsciLexerCustom {
public:
    explicit TimetableLexer(QObject* parent = nullptr);
    const char* language() const override;
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;
};

// What the editor component keeps for the whole process.
struct ScriptEditGlobal {
    std::vector<uint8_t> hotKeys;  // records of (command, key), 8 bytes each
    std::vector<EditorLanguage> languages;
    struct Command {
        int32_t id;
        std::u16string name, description;
    };
    std::vector<Command> commands;
    int32_t resets = 0;
};
ScriptEditGlobal& scriptEditGlobal();

class ScriptEdit : public QsciScintilla, public ScriptEditorPort {
public:
    explicit ScriptEdit(QWidget* parent);

    void setIntProperty(int32_t dispatchId, int32_t value) override;
    void setBoolProperty(int32_t dispatchId, bool value) override;
    void setHotKeys(const std::vector<uint8_t>& table) override;
    void resetGlobal() override;
    void registerLanguage(const EditorLanguage& language) override;
    void registerCommand(int32_t id, const std::u16string& name, const std::u16string& description) override;

    // The operation the text window calls after sorting (dispatch 102): the caret to line
    // a, column b, shown.
    void Operation102(int32_t a, int32_t b);
    // Highlights the text as a scene script.
    void UseTimetableLexer();
    bool usesTimetableLexer() const { return lexer() != nullptr; }

    std::u16string wholeText() const;
    void setWholeText(std::u16string_view text);

    // A right button released over the text; the control shows no menu of its own.
    std::function<void(QPoint at)> onRightMouseUp;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void applyHotKeys(const std::vector<uint8_t>& table);
};

}  // namespace yov
