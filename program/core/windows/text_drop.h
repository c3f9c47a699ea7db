// Dropping a text, or the name of one file, onto a text box.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;
class QMimeData;

namespace yov {

// What a drop gives a text box: the name of the one local file dropped, or, without any
// file, the dropped text. Nothing for several files (even when they come with their names
// as text), an address that names no local file, or data without text.
struct DroppedText {
    QString text;
    bool isFile = false;
};
std::optional<DroppedText> ReadDroppedText(const QMimeData* data);

// Drop effects as the drag-and-drop events count them: 0 refuses the drop.
inline constexpr int kDropNone = 0;

// Leaves `effect` when the data holds exactly one local file, or, without any file, a
// text; otherwise sets it to 0. A drag of several files is refused even when it also
// carries their names as text.
void IsOneFileDragged(const QMimeData* data, int& effect);

// The dropped file's name, or the dropped text, replaces the selection when bit 1 of
// `shift` is set (Shift held) and the whole text otherwise; other data sets `effect` to 0.
void DropFileName(QLineEdit* textBox, const QMimeData* data, int& effect, int shift);

}  // namespace yov
