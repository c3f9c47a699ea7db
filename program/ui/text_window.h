// TextFrm, the text window: a text (a description, the error log, a scene script) in the
// script editor, with its keys, the engine's popup menu 30, saving and sorting. Several
// can be open at once; they share slot 42, which stays with an open one until the last
// closes.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "program/core/windows/window_parts.h"
#include "program/ui/script_edit.h"

namespace yov {

class TextFrm : public QWidget {
public:
    TextFrm();
    ~TextFrm() override;

    ScriptEdit DTxt;

    void Form_Load();
    void Form_Resize();
    // Shift × 256 + KeyCode or a menu id; true when handled.
    bool FCmd(int32_t code);
    void Save();
    void SortLines();
    void Form_Unload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool unloaded_ = false;
};

// The text windows open now, oldest first.
const std::vector<TextFrm*>& openTextWindows();

// A scene script is shown highlighted: a text with a "$" line the script reader knows.
bool LooksLikeScript(std::u16string_view text);

// Shows the window ShowTextWindow asks for: mode 2 and 3 modal (3 above the full-screen
// show), 14 the error log scrolled to its end and taking the lines logged meanwhile,
// anything else modeless.
void ShowTextWindowFor(const TextWindowRequest& request);

// The text's extent in the text window's font, twips.
void MeasureText(std::u16string_view text, int32_t& width, int32_t& height);

// Adds a line to the open error-log view, scrolled to its end; nothing when none is open.
void AppendToLogView(const std::u16string& line);

}  // namespace yov
