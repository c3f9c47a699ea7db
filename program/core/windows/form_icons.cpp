#include "program/core/windows/form_icons.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <string>

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_resources.h"

namespace yov {

namespace {

constexpr int kFirstFormIcon = 100;
constexpr int kFirstPictureBitmap = 300;
constexpr int kWindowTableSlots = 45;

std::string regText(const std::string& name) { return plat::utf16ToUtf8(GetRegString(plat::utf8ToUtf16(name))); }

// A file the user named in a setting, spelled as on the system that wrote it.
QString userFile(const std::string& spelled) {
    const std::string found = plat::resolvePath(spelled);
    return QString::fromStdString(found);
}

QIcon resourceIcon(int number) {
    for (const char* ext : {".png", ".ico"}) {
        const std::string path = programResourcePath("icon" + std::to_string(number) + ext);
        if (!path.empty()) {
            QIcon icon(QString::fromStdString(path));
            if (!icon.isNull()) return icon;
        }
    }
    return {};
}

QPixmap resourceBitmap(int number) {
    for (const char* ext : {".png", ".gif", ".bmp"}) {
        const std::string path = programResourcePath("bitmap" + std::to_string(number) + ext);
        if (path.empty()) continue;
        QPixmap pixmap;
        if (pixmap.load(QString::fromStdString(path))) return pixmap;
    }
    return {};
}

}  // namespace

void SetFormIcon(uint8_t slotByte, QWidget* window) {
    if (window == nullptr) return;
    const std::string value = regText(std::to_string(slotByte) + "I");
    if (!value.empty()) {
        QIcon icon;
        if (plat::isNumeric(value)) {
            icon = resourceIcon(static_cast<int>(plat::clampToInt32(plat::roundHalfEven(plat::val(value)))));
        } else {
            const QString file = userFile(value);
            if (!file.isEmpty()) icon = QIcon(file);
        }
        // A file that is not a picture gives an icon without sizes.
        if (!icon.isNull() && !icon.availableSizes().isEmpty()) {
            window->setWindowIcon(icon);
            return;
        }
    }
    if (slotByte < kWindowTableSlots) {
        const QIcon icon = resourceIcon(kFirstFormIcon + slotByte);
        if (!icon.isNull()) window->setWindowIcon(icon);
    }
}

void LoadPictureBox(QLabel* pictureBox, int32_t pictureNumber) {
    if (pictureBox == nullptr) return;
    const std::string file = regText(std::to_string(pictureNumber) + "PPic");
    if (!file.empty()) {
        QPixmap pixmap;
        const QString path = userFile(file);
        if (!path.isEmpty() && pixmap.load(path)) {
            pictureBox->setPixmap(pixmap);
            return;
        }
    }
    const QPixmap builtIn = resourceBitmap(kFirstPictureBitmap + pictureNumber);
    if (!builtIn.isNull()) pictureBox->setPixmap(builtIn);
}

void MoveForm(QWidget* target, int32_t left, int32_t top, int32_t width, int32_t height) {
    if (target == nullptr) return;
    const QRect now = target->isWindow() ? target->frameGeometry() : target->geometry();
    const int x = left < 0 ? now.x() : left;
    const int y = top < 0 ? now.y() : top;
    const int w = width < 0 ? target->width() : width;
    int h = height < 0 ? target->height() : height;
    if (qobject_cast<QComboBox*>(target) != nullptr) h = target->height();
    target->move(x, y);
    target->resize(w, h);
}

}  // namespace yov
