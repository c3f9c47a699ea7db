#include "program/core/startup/program_resources.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

namespace yov {

std::string programFolder() {
    if (QCoreApplication::instance() == nullptr) return {};
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string programResourcePath(std::string_view name) {
    if (name.empty()) return {};
    const QString file = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QStringList folders;
    const QString exe = QString::fromStdString(programFolder());
    if (!exe.isEmpty()) {
        folders << exe + QStringLiteral("/data/builtin") << exe + QStringLiteral("/../data/builtin")
                << exe + QStringLiteral("/../share/yov/builtin");
    }
    folders << QStringLiteral(YOV_SOURCE_DIR "/data/builtin");
    for (const QString& folder : folders) {
        const QFileInfo info(folder + QLatin1Char('/') + file);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath().toStdString();
    }
    return {};
}

}  // namespace yov
