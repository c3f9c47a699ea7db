// Data of any bytes dropped onto the program's text boxes: what the drop reader takes from
// it (the one local file named in a URI list, or the plain text), and what a text field of
// the run-time dialog makes of that when O.K. is pressed (case rules, "\" separators, the
// folder ending). The drop must be refused or taken whole; a crash, a hang or a reader
// that takes a drop the drag-over refused is a finding.
//
// Input: byte 0 holds the field's flags (bits 0-3 pick upper case as typed, lower case as
// typed, a file field, a folder field; bits 4-5 the case at O.K.; bit 6 a required field)
// and whether the data carries a URI list (bit 7); the rest, up to the first byte 0x1F, is
// the URI list, and what follows it is the plain text (none when there is no 0x1F).
#include <QByteArray>
#include <QFileInfo>
#include <QMimeData>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "program/core/windows/text_drop.h"
#include "program/dialogs/runtime_dialog.h"

namespace {

namespace df = yov::dlg_flag;

std::u16string u16(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())};
}

uint32_t FieldFlags(uint8_t b) {
    // Not marked to be stored: O.K. would write every input into the settings.
    uint32_t flags = df::kTextField;
    if ((b & 1) != 0) flags |= df::kTypeUpper;
    if ((b & 2) != 0) flags |= df::kTypeLower;
    if ((b & 4) != 0) flags |= df::kFileBrowse;
    if ((b & 8) != 0) flags |= df::kFolderBrowse;
    if ((b & 16) != 0) flags |= df::kOkUpper;
    if ((b & 32) != 0) flags |= df::kOkLower;
    if ((b & 64) != 0) flags |= df::kRequired;
    return flags;
}

// The dialog's one text box, holding what was typed into it.
class TypedBox : public yov::DlgControlValues {
public:
    explicit TypedBox(std::u16string typed) : typed_(std::move(typed)) {}
    bool checked(int32_t) const override { return false; }
    std::u16string text(int32_t) const override { return typed_; }
    bool optionChecked(int32_t) const override { return false; }

private:
    std::u16string typed_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype split = rest.indexOf('\x1F');
    QMimeData mime;
    if ((data[0] & 0x80) != 0) mime.setData(QStringLiteral("text/uri-list"), split < 0 ? rest : rest.left(split));
    if (split >= 0) mime.setData(QStringLiteral("text/plain"), rest.mid(split + 1));

    const std::optional<yov::DroppedText> dropped = yov::ReadDroppedText(&mime);
    int effect = 1;
    yov::IsOneFileDragged(&mime, effect);
    if ((effect != 0) != dropped.has_value()) std::abort();
    if (!dropped) return 0;

    // The run-time dialog's text box takes it, and O.K. reads the box back.
    const uint32_t flags = FieldFlags(data[0]);
    QString text = dropped->text;
    if (dropped->isFile && (flags & df::kFolderBrowse) != 0) text = QFileInfo(text).path();
    const std::u16string typed = yov::DlgAdjustString(u16(text), flags);
    std::vector<yov::DialogField> fields(2);
    fields[1].FieldFlags = flags;
    const TypedBox box(typed);
    const uint8_t ok = yov::ReadBackDialog(fields, 1, u"Drop", box);
    if (ok == 0 && !typed.empty()) std::abort();
    return 0;
}
