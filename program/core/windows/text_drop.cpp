#include "program/core/windows/text_drop.h"

#include <QLineEdit>
#include <QList>
#include <QMimeData>
#include <QUrl>

#include "program/core/windows/key_command.h"

namespace yov {

std::optional<DroppedText> ReadDroppedText(const QMimeData* data) {
    if (data == nullptr) return std::nullopt;
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        if (urls.size() == 1 && urls.front().isLocalFile()) return DroppedText{urls.front().toLocalFile(), true};
        return std::nullopt;
    }
    if (data->hasText()) return DroppedText{data->text(), false};
    return std::nullopt;
}

void IsOneFileDragged(const QMimeData* data, int& effect) {
    if (!ReadDroppedText(data)) effect = kDropNone;
}

void DropFileName(QLineEdit* textBox, const QMimeData* data, int& effect, int shift) {
    const std::optional<DroppedText> dropped = ReadDroppedText(data);
    if (!dropped || textBox == nullptr) {
        effect = kDropNone;
        return;
    }
    if ((shift & kShiftBit) != 0)
        textBox->insert(dropped->text);  // replaces the selection
    else
        textBox->setText(dropped->text);
}

}  // namespace yov
