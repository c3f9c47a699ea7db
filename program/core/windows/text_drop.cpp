#include "program/core/windows/text_drop.h"

#include <QLineEdit>
#include <QList>
#include <QMimeData>
#include <QString>
#include <QUrl>

#include <optional>

#include "program/core/windows/key_command.h"

namespace yov {

namespace {

// What a drop would put into the box, nothing when the data is not for a text box.
std::optional<QString> droppedText(const QMimeData* data) {
    if (data == nullptr) return std::nullopt;
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        if (urls.size() == 1 && urls.front().isLocalFile()) return urls.front().toLocalFile();
        return std::nullopt;
    }
    if (data->hasText()) return data->text();
    return std::nullopt;
}

}  // namespace

void IsOneFileDragged(const QMimeData* data, int& effect) {
    if (!droppedText(data)) effect = kDropNone;
}

void DropFileName(QLineEdit* textBox, const QMimeData* data, int& effect, int shift) {
    const std::optional<QString> text = droppedText(data);
    if (!text || textBox == nullptr) {
        effect = kDropNone;
        return;
    }
    if ((shift & kShiftBit) != 0)
        textBox->insert(*text);  // replaces the selection
    else
        textBox->setText(*text);
}

}  // namespace yov
