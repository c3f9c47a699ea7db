// Dropping a text, or the name of one file, onto a text box.
#pragma once

class QLineEdit;
class QMimeData;

namespace yov {

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
