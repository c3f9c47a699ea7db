#include "program/ui/runtime_dialog_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>
#include <optional>

#include "platform/codepage.h"
#include "program/core/settings/settings.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/qt_text.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/windows/folder_chooser.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/text_drop.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr uint8_t kDialogWindowCode = 74;
constexpr int32_t kCaptionExtra = 150;
constexpr int32_t kStartAtSplitFile = 0x40, kTitleUnchanged = 0x80;
constexpr const char* kRecordProperty = "dlgRecord";

int32_t twipsX() { return std::max(programState().machine.TwipsPerPixelX, 1); }
int32_t twipsY() { return std::max(programState().machine.TwipsPerPixelY, 1); }

bool acceptable(const QMimeData* data) { return ReadDroppedText(data).has_value(); }

template <class T>
T* grow(std::vector<T*>& arr, int32_t index, QWidget* parent) {
    while (static_cast<int32_t>(arr.size()) <= index) arr.push_back(new T(parent));
    return arr[static_cast<size_t>(index)];
}

}  // namespace

void DlgTextBox::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptable(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DlgTextBox::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptable(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DlgTextBox::dropEvent(QDropEvent* event) {
    if (!acceptable(event->mimeData())) {
        event->ignore();
        return;
    }
    if (auto* dialog = dynamic_cast<DlgFrm*>(window())) dialog->DropOnto(this, event->mimeData());
    event->acceptProposedAction();
}

DlgFrm::DlgFrm() : CmdOk(this), CmdEsc(this) {
    CmdOk.setText(QStringLiteral("O.K."));
    setControlTag(&CmdOk, u"OK");
    CmdEsc.setText(QStringLiteral("Cancel"));
    setControlTag(&CmdEsc, u"ESC");
    QObject::connect(&CmdOk, &QPushButton::clicked, this, [this] { CmdOk_Click(); });
    QObject::connect(&CmdEsc, &QPushButton::clicked, this, [this] { CmdEsc_Click(); });
    Timer1.setInterval(10);
    Timer1.setSingleShot(true);
    QObject::connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    // Form_Load: texts of the current language, then the widths measured from them.
    grow(CmdBrw, 0, this)->setText(QStringLiteral("&Browse"));
    setControlTag(CmdBrw[0], u"BRW");
    LocalizeForm(this);
    const QFontMetrics fm(font());
    auto width = [fm](const QString& caption) {
        QString plain = caption;
        plain.remove(QLatin1Char('&'));
        return static_cast<int32_t>(fm.horizontalAdvance(plain)) * twipsX();
    };
    metrics_.textWidth = [width](std::u16string_view t) { return width(toQString(t)); };
    metrics_.ButtonWidth = std::max(width(CmdEsc.text()), width(CmdOk.text())) + kCaptionExtra;
    metrics_.BrowseWidth = width(CmdBrw[0]->text()) + kCaptionExtra;
    CmdBrw[0]->hide();
}

QWidget* DlgFrm::containerOf(int32_t frame) {
    if (frame < 0 || frame >= static_cast<int32_t>(Frm.size())) return this;
    return Frm[static_cast<size_t>(frame)];
}

QWidget* DlgFrm::element(DlgControl kind, int32_t index) {
    switch (kind) {
    case DlgControl::Lab: {
        QLabel* l = grow(Lab, index, this);
        l->installEventFilter(this);
        return l;
    }
    case DlgControl::Txt: {
        DlgTextBox* t = grow(Txt, index, this);
        if (!t->Prepared) {
            t->Prepared = true;
            t->setAcceptDrops(true);
            QObject::connect(t, &QLineEdit::textEdited, this, [this, t](const QString& text) {
                const int32_t r = recordOf(t);
                if (r == 0) return;
                const QString adjusted =
                    toQString(DlgAdjustString(text.toStdU16String(), dialogService().DialogFields[r].FieldFlags));
                if (adjusted == text) return;
                const int caret = t->cursorPosition();
                const int selStart = t->selectionStart(), selLength = t->selectionLength();
                t->setText(adjusted);
                if (selStart >= 0)
                    t->setSelection(selStart, selLength);
                else
                    t->setCursorPosition(caret);
            });
        }
        return t;
    }
    case DlgControl::CmdBrw: {
        const bool made = index >= static_cast<int32_t>(CmdBrw.size());
        QPushButton* b = grow(CmdBrw, index, this);
        if (made || index == 0) {
            b->setText(CmdBrw[0]->text());
            b->disconnect(this);
            QObject::connect(b, &QPushButton::clicked, this, [this, index] { CmdBrw_Click(index); });
        }
        return b;
    }
    case DlgControl::Chk: return grow(Chk, index, this);
    case DlgControl::Opt: return grow(Opt, index, this);
    case DlgControl::Frm: return grow(Frm, index, this);
    }
    return nullptr;
}

int32_t DlgFrm::recordOf(const QWidget* control) const {
    const QString tag = control->property(kRecordProperty).toString();
    if (tag.size() != 1) return 0;
    const int32_t r = tag.at(0).unicode() - 64;
    return r >= 1 && r < static_cast<int32_t>(dialogService().DialogFields.size()) ? r : 0;
}

bool DlgFrm::DlgPrepare() {
    DialogService& ds = dialogService();
    CmdOk.setDefault(true);
    build_ = BuildDialog(ds.DialogFields, ds.DialogFieldCount, metrics_);
    if (!build_.ok) {
        WriteErrorLog(u"Run-time dialog not shown: " + build_.error);
        return false;
    }
    std::vector<const DlgControlSpec*> byTab;
    for (const DlgControlSpec& s : build_.controls) {
        QWidget* w = element(s.kind, s.index);
        w->setParent(containerOf(s.container));
        w->setProperty(kRecordProperty, QString(QChar(static_cast<char16_t>(64 + s.record))));
        switch (s.kind) {
        case DlgControl::Lab: static_cast<QLabel*>(w)->setText(toQString(s.caption)); break;
        case DlgControl::Txt: static_cast<QLineEdit*>(w)->setText(toQString(s.text)); break;
        case DlgControl::Chk:
            static_cast<QCheckBox*>(w)->setText(toQString(s.caption));
            static_cast<QCheckBox*>(w)->setChecked(s.checked);
            break;
        case DlgControl::Opt:
            static_cast<QRadioButton*>(w)->setText(toQString(s.caption));
            static_cast<QRadioButton*>(w)->setChecked(s.checked);
            break;
        case DlgControl::Frm: static_cast<QFrame*>(w)->setFrameShape(QFrame::Box); break;
        case DlgControl::CmdBrw: break;
        }
        w->setEnabled(true);
        w->show();
        if (s.kind != DlgControl::Frm) byTab.push_back(&s);
    }
    // Elements left over from an earlier, larger dialog.
    auto hideFrom = [](auto& arr, int32_t from) {
        for (size_t i = static_cast<size_t>(std::max(from, 0)); i < arr.size(); ++i) arr[i]->hide();
    };
    hideFrom(Lab, build_.next[0]);
    hideFrom(Txt, build_.next[1]);
    hideFrom(CmdBrw, build_.next[2]);
    hideFrom(Chk, build_.next[3]);
    hideFrom(Opt, build_.next[4]);
    hideFrom(Frm, build_.next[5]);
    std::stable_sort(byTab.begin(), byTab.end(),
                     [](const DlgControlSpec* a, const DlgControlSpec* b) { return a->tabPosition < b->tabPosition; });
    QWidget* previous = nullptr;
    for (const DlgControlSpec* s : byTab) {
        QWidget* w = element(s->kind, s->index);
        if (previous != nullptr) QWidget::setTabOrder(previous, w);
        previous = w;
    }
    if (previous != nullptr) QWidget::setTabOrder(previous, &CmdOk);
    QWidget::setTabOrder(&CmdOk, &CmdEsc);

    int32_t w = 0, h = 0;
    DialogSize(ds.DialogFields[1], w, h);
    const QMargins frame = QMargins(0, 0, 0, 0);
    DeferFormMove(-1, -1, w / twipsX() + frame.left() + frame.right(), h / twipsY() + frame.top() + frame.bottom(),
                  this, kDialogWindowCode);
    layOut();
    Timer1.start();
    return true;
}

void DlgFrm::DlgShow() {
    if (!DlgPrepare()) {
        modalState().DialogResult = 0;
        return;
    }
    ShowModal(this);
}

void DlgFrm::layOut() {
    if (!build_.ok) return;
    DlgButtons buttons;
    const std::vector<DlgPlace> places =
        LayOutDialog(dialogService().DialogFields, width() * twipsX(), height() * twipsY(), metrics_, buttons);
    auto px = [](const DlgRect& r) {
        return QRect(r.x / twipsX(), r.y / twipsY(), std::max(r.w / twipsX(), 0), std::max(r.h / twipsY(), 0));
    };
    for (const DlgPlace& p : places) {
        if (QWidget* w = element(p.kind, p.index)) w->setGeometry(px(p.rect));
    }
    if (buttons.placed) {
        CmdOk.setGeometry(px(buttons.ok));
        CmdEsc.setGeometry(px(buttons.esc));
    }
}

void DlgFrm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

namespace {

// The controls of the open dialog as ReadBackDialog reads them; an index without a control
// reads as unchecked or empty.
class DlgFrmValues : public DlgControlValues {
public:
    DlgFrmValues(const std::vector<QCheckBox*>& checks, const std::vector<DlgTextBox*>& texts,
                 const std::vector<QRadioButton*>& options)
        : checks_(checks), texts_(texts), options_(options) {}
    bool checked(int32_t i) const override {
        return i >= 0 && i < static_cast<int32_t>(checks_.size()) && checks_[static_cast<size_t>(i)]->isChecked();
    }
    std::u16string text(int32_t i) const override {
        return i >= 0 && i < static_cast<int32_t>(texts_.size())
                   ? texts_[static_cast<size_t>(i)]->text().toStdU16String()
                   : std::u16string();
    }
    bool optionChecked(int32_t i) const override {
        return i >= 0 && i < static_cast<int32_t>(options_.size()) && options_[static_cast<size_t>(i)]->isChecked();
    }

private:
    const std::vector<QCheckBox*>& checks_;
    const std::vector<DlgTextBox*>& texts_;
    const std::vector<QRadioButton*>& options_;
};

}  // namespace

void DlgFrm::CmdOk_Click() {
    DialogService& ds = dialogService();
    const DlgFrmValues values(Chk, Txt, Opt);
    modalState().DialogResult = ReadBackDialog(ds.DialogFields, ds.DialogFieldCount, ds.DialogValuePrefix, values);
    hide();
}

void DlgFrm::CmdEsc_Click() { hide(); }

void DlgFrm::CmdBrw_Click(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(CmdBrw.size())) return;
    const int32_t r = recordOf(CmdBrw[static_cast<size_t>(index)]);
    if (r == 0) return;
    const DialogField& rec = dialogService().DialogFields[static_cast<size_t>(r)];
    DlgTextBox* box = Txt[static_cast<size_t>(rec.ControlIndex)];
    const QString label = Lab[static_cast<size_t>(rec.LabelIndex)]->text();
    std::u16string chosen;
    if ((rec.FieldFlags & dlg_flag::kFileBrowse) != 0) {
        SplitFilePath(box->text().toStdU16String());
        const std::u16string title = windowTitle().toStdU16String() + u": " + label.toStdU16String();
        if (!GetFileFilter(title, rec.FieldValue | kStartAtSplitFile | kTitleUnchanged, chosen)) chosen.clear();
    } else {
        chosen = plat::utf8ToUtf16(BrowseForFolder(box->text().toStdString(), nullptr, label.toStdU16String()));
    }
    if (!chosen.empty()) box->setText(toQString(DlgAdjustString(chosen, rec.FieldFlags)));
}

void DlgFrm::DropOnto(DlgTextBox* box, const QMimeData* data) {
    const int32_t r = recordOf(box);
    if (r == 0) return;
    const uint32_t flags = dialogService().DialogFields[static_cast<size_t>(r)].FieldFlags;
    const std::optional<DroppedText> dropped = ReadDroppedText(data);
    if (!dropped) return;
    if (dropped->isFile) {
        QString path = dropped->text;
        if ((flags & dlg_flag::kFolderBrowse) != 0) path = QFileInfo(path).path();
        box->setText(toQString(DlgAdjustString(path.toStdU16String(), flags)));
    } else {
        box->insert(toQString(DlgAdjustString(dropped->text.toStdU16String(), flags)));
    }
}

void DlgFrm::Lab_Click(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(Lab.size())) return;
    const int32_t r = recordOf(Lab[static_cast<size_t>(index)]);
    if (r == 0) return;
    const DialogField& rec = dialogService().DialogFields[static_cast<size_t>(r)];
    if (rec.isTextField() && rec.ControlIndex < static_cast<int32_t>(Txt.size()))
        Txt[static_cast<size_t>(rec.ControlIndex)]->clear();
}

void DlgFrm::Timer1_Timer() {
    const std::vector<DialogField>& f = dialogService().DialogFields;
    const bool check = f.size() > 1 && f[1].isCheckBox();
    // The control may not be part of this dialog: then the focus stays where it is.
    if (check && !Chk.empty() && Chk[0]->isVisible())
        Chk[0]->setFocus();
    else if (!check && !Txt.empty() && Txt[0]->isVisible())
        Txt[0]->setFocus();
}

bool DlgFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (size_t i = 0; i < Lab.size(); ++i)
            if (watched == Lab[i]) Lab_Click(static_cast<int32_t>(i));
    }
    return QDialog::eventFilter(watched, event);
}

void DlgFrm::keyPressEvent(QKeyEvent* event) {
    const int32_t code = keyCommandOf(*event);
    if (code != 0 && HandleFormCmd(code, this, 0)) return;
    QDialog::keyPressEvent(event);  // Esc hides the dialog as Cancel does
}

DlgFrm& dlgFrm() {
    static DlgFrm* window = new DlgFrm;
    return *window;
}

}  // namespace yov
