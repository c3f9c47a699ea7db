#include "program/core/windows/file_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

#include <utility>

#include "platform/text.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/core_state.h"
#include "program/core/startup/program_resources.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

struct FileKind {
    uint32_t bit;
    const char16_t* key;
    const char16_t* patterns;  // as the filter shows them, with its separators
};

// In the order the filter lists them. One bit adds the three program-like kinds.
constexpr FileKind kFileKinds[] = {
    {0x40000000, u"TTT", u" (*.ttt)|*.ttt|"},  {0x20000000, u"INIF", u" (*.ini)|*.ini|"},
    {0x80000000, u"ERRF", u" (*.err)|*.err|"}, {0x00400000, u"PICF", u" (*.gif;*.bmp;*.dib)|*.gif;*.bmp;*.dib|"},
    {0x08000000, u"GIF", u" (*.gif)|*.gif|"},  {0x04000000, u"BMP", u" (*.bmp)|*.bmp|"},
    {0x02000000, u"DIB", u" (*.dib)|*.dib|"},  {0x01000000, u"ICO", u" (*.ico)|*.ico|"},
    {0x00800000, u"CUR", u" (*.cur)|*.cur|"},  {0x00200000, u"STKF", u" (*.stk)|*.stk|"},
    {0x00100000, u"STBF", u"(*.stb)|*.stb|"},  {0x00080000, u"STF", u" (*.stk;*.stb)|*.stk;*.stb|"},
    {0x00040000, u"DSEQ", u" (*.tds)|*.tds|"}, {0x00020000, u"TLIF", u" (*.tvl)|*.tvl|"},
    {0x00010000, u"RLIB", u" (*.dll)|*.dll|"}, {0x00010000, u"SCRS", u" (*.scr)|*.scr|"},
    {0x00010000, u"EXEF", u" (*.exe)|*.exe|"}, {0x00008000, u"HLPF", u" (*.hlp)|*.hlp|"},
    {0x00004000, u"GMMF", u" (*.gmm)|*.gmm|"}, {0x00002000, u"LOGF", u" (*.log)|*.log|"},
    {0x00001000, u"TXTF", u" (*.txt)|*.txt|"}, {0x10000000, u"MDBF", u" (*.mdb)|*.mdb|"},
    {0x00000800, u"ALLF", u" (*.*)|*.*|"},
};

constexpr int32_t kVariantMask = 0x07;
constexpr int32_t kBigBuffer = 0x04;  // also: the last file stays as it is
constexpr int32_t kRaiseOnCancel = 0x08;
constexpr int32_t kFolderField = 0x30;
constexpr int32_t kFromLastFile = 0x40;
constexpr int32_t kTitleIsText = 0x80;

struct Variant {
    bool save;
    bool multiple;
    bool confirmOverwrite;
};

constexpr Variant kVariants[8] = {
    {false, false, false}, {true, false, false}, {false, false, false}, {true, false, true},
    {false, true, false},  {true, true, false},  {false, false, false}, {false, false, false},
};

// The folder the dialog starts in when the flags do not name one (the dialog keeps it).
QString& rememberedFolder() { return coreState().fileDialogFolder; }

}  // namespace

QStringList FileDialogs::choose(const FileDialogRequest& request) {
    // The dialog belongs to the active window, which may go while the dialog is open and
    // takes its children with it: the dialog is made on the heap and watched, and a dialog
    // gone with its window is a cancel.
    QPointer<QFileDialog> dialog = new QFileDialog(QApplication::activeWindow(), request.title, request.directory);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(request.nameFilters);
    if (request.save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        dialog->setDefaultSuffix(request.defaultSuffix);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (!request.fileName.isEmpty()) dialog->selectFile(request.fileName);
    const int result = dialog->exec();
    if (dialog.isNull()) return {};
    const QStringList chosen = result == QDialog::Accepted ? dialog->selectedFiles() : QStringList{};
    delete dialog.data();
    return chosen;
}

namespace {

// One name as it is; several as the folder and then each name, NUL-separated.
std::u16string joinChosen(const QStringList& files) {
    if (files.size() == 1) return files.front().toStdU16String();
    const std::u16string first = files.front().toStdU16String();
    const size_t slash = first.rfind(u'/');
    std::u16string joined = slash == std::u16string::npos ? std::u16string() : first.substr(0, slash);
    for (const QString& f : files) {
        const std::u16string name = f.toStdU16String();
        const size_t s = name.rfind(u'/');
        joined += u'\0';
        joined += s == std::u16string::npos ? name : name.substr(s + 1);
    }
    return joined;
}

}  // namespace

std::u16string BuildFileFilter(int32_t flags) {
    const auto bits = static_cast<uint32_t>(flags);
    std::u16string filter;
    for (const FileKind& kind : kFileKinds) {
        if ((bits & kind.bit) == 0) continue;
        filter += GetText(kind.key);
        filter += kind.patterns;
    }
    if (!filter.empty()) filter.pop_back();
    return filter;
}

QStringList qtNameFilters(std::u16string_view filter) {
    QStringList result;
    const std::vector<std::u16string> parts = plat::split(filter, u"|");
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::u16string description = parts[i];
        const std::u16string& patterns = parts[i + 1];
        // The description repeats its patterns in brackets; Qt wants them blank-separated.
        const std::u16string shown = u"(" + patterns + u")";
        if (description.size() >= shown.size() &&
            description.compare(description.size() - shown.size(), shown.size(), shown) == 0) {
            description = plat::rtrim(description.substr(0, description.size() - shown.size()));
        }
        std::u16string spaced = patterns;
        std::replace(spaced.begin(), spaced.end(), u';', u' ');
        const std::u16string entry = description.empty() ? u"(" + spaced + u")" : description + u" (" + spaced + u")";
        result << toQString(entry);
    }
    return result;
}

FileDialogRequest fileDialogRequest(std::u16string_view title, int32_t flags) {
    const ProgramState& st = programState();
    const Variant variant = kVariants[flags & kVariantMask];
    const std::u16string filter = BuildFileFilter(flags);

    FileDialogRequest request;
    request.save = variant.save;
    request.multiple = variant.multiple;
    request.confirmOverwrite = variant.confirmOverwrite;
    request.title = toQString((flags & kTitleIsText) != 0 ? std::u16string(title) : GetText(title));
    request.nameFilters = qtNameFilters(filter);

    const bool lastFileKnown = !st.split.SplitName.empty() || !st.split.SplitDir.empty();
    if ((flags & kFromLastFile) != 0 && lastFileKnown) {
        const std::u16string last = JoinFilePath(st.split.SplitDir, st.split.SplitName + st.split.SplitExt);
        request.fileName = QString::fromStdString(openPath(last));
        rememberedFolder() = QString::fromStdString(openPath(st.split.SplitDir));
    } else {
        switch (flags & kFolderField) {
        case 0x10: rememberedFolder() = QString::fromStdString(openPath(st.scene.StockDir)); break;
        case 0x20: rememberedFolder() = QString::fromStdString(openPath(st.scene.ConfigDir)); break;
        case 0x30: rememberedFolder() = QString::fromStdString(programFolder()); break;
        default: break;
        }
    }
    request.directory = rememberedFolder();

    if (variant.save) {
        const size_t p = filter.find(u"|*.");
        if (p != std::u16string::npos) request.defaultSuffix = toQString(filter.substr(p + 3, 3));
    }
    return request;
}

bool GetFileFilter(std::u16string_view title, int32_t flags, std::u16string& path) {
    const QStringList chosen = fileDialogs().choose(fileDialogRequest(title, flags));
    QCoreApplication::processEvents();
    if (chosen.isEmpty()) {
        if ((flags & kRaiseOnCancel) != 0) throw ProgramError(error_number::kNotMine, u"Cancelled");
        path.clear();
        return false;
    }
    // As the file system spells it, whatever the case flag asks: on Linux the case is part of
    // the name, and a lower- or upper-cased path names another file or none.
    path = joinChosen(chosen);
    if ((flags & kBigBuffer) == 0) SplitFilePath(path);
    return true;
}

}  // namespace yov
