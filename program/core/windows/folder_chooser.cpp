#include "program/core/windows/folder_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QString>
#include <QStringList>

#include "platform/paths.h"
#include "program/core/texts/qt_text.h"

namespace yov {

std::string& browseStartFolder() {
    static std::string folder;
    return folder;
}

int32_t OnBrowseFolder(QFileDialog* window, int32_t message, intptr_t /*parameter*/, intptr_t /*data*/) {
    if (message != kBrowseInitialized || window == nullptr) return 0;
    const std::string& start = browseStartFolder();
    if (start.empty()) return 0;
    // A folder spelled as on Windows is found as far as it exists.
    const std::string found = plat::resolvePath(start);
    window->setDirectory(QString::fromStdString(found.empty() ? start : found));
    return 0;
}

std::string BrowseForFolder(std::string_view startFolder, QWidget* owner, std::u16string_view title) {
    browseStartFolder() = std::string(startFolder);
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!title.empty()) dialog.setWindowTitle(toQString(title));
    OnBrowseFolder(&dialog, kBrowseInitialized, 0, 0);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    return QDir::toNativeSeparators(chosen.front()).toStdString();
}

}  // namespace yov
