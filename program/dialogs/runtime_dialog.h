// The run-time dialog: a modal dialog built from a tree of field records that its caller
// fills (text fields with an optional file or folder browser, check boxes, option groups,
// groups with or without a frame, the O.K./Cancel row). This half is the arithmetic and
// the reading back, in twips, free of any toolkit; program/ui/runtime_dialog_view.* shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yov {

namespace dlg_flag {
inline constexpr uint32_t kBitNumber = 0x1F;
inline constexpr uint32_t kTextField = 0x20;
inline constexpr uint32_t kFileBrowse = 0x40;
inline constexpr uint32_t kFolderBrowse = 0x80;
inline constexpr uint32_t kCheckBox = 0x100;
inline constexpr uint32_t kOptionGroup = 0x200;
inline constexpr uint32_t kOption = 0x400;
inline constexpr uint32_t kFramedGroup = 0x800;
inline constexpr uint32_t kGroup = 0x1000;
inline constexpr uint32_t kButtonRow = 0x2000;
inline constexpr uint32_t kTypeUpper = 1u << 24;
inline constexpr uint32_t kTypeLower = 1u << 25;
inline constexpr uint32_t kOkUpper = 1u << 26;
inline constexpr uint32_t kOkLower = 1u << 27;
inline constexpr uint32_t kStore = 1u << 29;
inline constexpr uint32_t kSideBySide = 1u << 30;
inline constexpr uint32_t kRequired = 1u << 31;
}  // namespace dlg_flag

struct DialogField {
    uint32_t FieldFlags = 0;
    int16_t NextField = 0;
    int16_t ControlIndex = 0;
    int16_t LinkIndex = 0;
    int16_t LabelIndex = 0;
    int32_t FixedWidth = 0;
    int32_t FixedHeight = 0;
    int32_t StretchX = 0;
    int32_t StretchY = 0;
    int32_t FieldValue = 0;
    std::u16string FieldText;
    std::u16string FieldCaption;

    bool isGroup() const {
        return (FieldFlags & (dlg_flag::kOptionGroup | dlg_flag::kFramedGroup | dlg_flag::kGroup)) != 0;
    }
    bool isFramed() const { return (FieldFlags & (dlg_flag::kOptionGroup | dlg_flag::kFramedGroup)) != 0; }
    bool isCheckBox() const { return !isGroup() && (FieldFlags & dlg_flag::kCheckBox) != 0; }
    bool isOption() const { return !isGroup() && !isCheckBox() && (FieldFlags & dlg_flag::kOption) != 0; }
    bool isButtonRow() const {
        return !isGroup() && !isCheckBox() && !isOption() && (FieldFlags & dlg_flag::kButtonRow) != 0;
    }
    bool isTextField() const { return !isGroup() && !isCheckBox() && !isOption() && !isButtonRow(); }
    int32_t bitNumber() const { return static_cast<int32_t>(FieldFlags & dlg_flag::kBitNumber); }
};

// The dialog service's program-wide values: the caller fills them, then shows the dialog.
struct DialogService {
    std::vector<DialogField> DialogFields{DialogField{}};  // numbered from 1
    int32_t DialogFieldCount = 0;
    std::u16string DialogValuePrefix;
};
DialogService& dialogService();

// Every control carries 64 + its record number in one character: no more records fit.
inline constexpr int32_t kMaxDialogRecords = 191;

enum class DlgControl : uint8_t { Lab, Txt, CmdBrw, Chk, Opt, Frm };
inline constexpr int kDlgControlKinds = 6;

struct DlgRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const DlgRect&) const = default;
};

// One control the dialog needs: which element of which array, in which container (-1 the
// dialog itself, else a Frm element), for which record, with what it shows.
struct DlgControlSpec {
    DlgControl kind = DlgControl::Lab;
    int32_t index = 0;
    int32_t container = -1;
    int32_t record = 0;
    int32_t tabPosition = 0;
    std::u16string caption;
    std::u16string text;
    bool checked = false;
};

struct DlgMetrics {
    std::function<int32_t(std::u16string_view)> textWidth;  // twips
    int32_t ButtonWidth = 0;                                // the larger of O.K. and Cancel + 150
    int32_t BrowseWidth = 0;                                // "&Browse" + 150
};

// What building the dialog gives: the controls in the order made, the next index of each
// array (the elements from there on are left over from a larger dialog and hidden), the
// tab positions of O.K. and Cancel, and whether the records could be built at all.
struct DlgBuild {
    bool ok = false;
    std::u16string error;  // why not, for the log
    std::vector<DlgControlSpec> controls;
    int32_t next[kDlgControlKinds] = {};
    int32_t okTab = 0, escTab = 0;
};

// DlgSetup of record 1 and everything under it; fills the records' sizes, stretch units
// and control indices. A tree that names a record twice, or more than 191 records, or a
// record out of range, is refused rather than followed round.
DlgBuild BuildDialog(std::vector<DialogField>& fields, int32_t fieldCount, const DlgMetrics& m);

// Where each control goes (twips, relative to its container) for the dialog's inner size.
struct DlgPlace {
    DlgControl kind = DlgControl::Lab;
    int32_t index = 0;
    DlgRect rect;
};
struct DlgButtons {
    bool placed = false;  // false: no record is the button row
    DlgRect ok, esc;
};
std::vector<DlgPlace> LayOutDialog(const std::vector<DialogField>& fields, int32_t width, int32_t height,
                                   const DlgMetrics& m, DlgButtons& buttons);

// The window's size in twips, borders not counted.
void DialogSize(const DialogField& root, int32_t& width, int32_t& height);

// Input case rule of a record: upper case with bit 24, else lower case with bit 25.
std::u16string DlgAdjustString(std::u16string_view text, uint32_t flags);

// What the controls hold when O.K. is pressed, by control index.
class DlgControlValues {
public:
    virtual ~DlgControlValues() = default;
    virtual bool checked(int32_t checkBox) const = 0;
    virtual std::u16string text(int32_t textBox) const = 0;
    virtual bool optionChecked(int32_t option) const = 0;
};

// Reads the controls back into the records, and the marked ones into the settings under
// prefix + record number; returns DialogResult: 0 when a required text is empty, else 1.
uint8_t ReadBackDialog(std::vector<DialogField>& fields, int32_t fieldCount, std::u16string_view prefix,
                       const DlgControlValues& values);

}  // namespace yov
