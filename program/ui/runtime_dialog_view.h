// DlgFrm: the run-time dialog on screen. It keeps its control arrays between showings,
// makes elements as a larger dialog needs them and hides what a smaller one leaves over.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdint>
#include <vector>

#include "program/dialogs/runtime_dialog.h"

class QMimeData;

namespace yov {

// A text box that takes dropped text, or exactly one dropped file, and hands it to the dialog
// it stands in.
class DlgTextBox : public QLineEdit {
public:
    explicit DlgTextBox(QWidget* parent) : QLineEdit(parent) {}
    bool Prepared = false;  // the dialog has connected its handlers

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class DlgFrm : public QDialog {
public:
    DlgFrm();

    std::vector<QLabel*> Lab;
    std::vector<DlgTextBox*> Txt;
    std::vector<QPushButton*> CmdBrw;
    std::vector<QCheckBox*> Chk;
    std::vector<QRadioButton*> Opt;
    std::vector<QFrame*> Frm;
    QPushButton CmdOk, CmdEsc;
    QTimer Timer1;

    const DlgMetrics& metrics() const { return metrics_; }
    const DlgBuild& build() const { return build_; }

    // Builds the dialog from dialogService(), shows it modally and returns once it is
    // hidden; the outcome is modalState().DialogResult and the records' output fields.
    void DlgShow();
    // The steps of DlgShow before the modal showing (tests drive the window from there).
    bool DlgPrepare();
    void CmdOk_Click();
    void CmdEsc_Click();
    void CmdBrw_Click(int32_t index);
    void Lab_Click(int32_t index);
    void Timer1_Timer();
    void DropOnto(DlgTextBox* box, const QMimeData* data);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* element(DlgControl kind, int32_t index);
    QWidget* containerOf(int32_t frame);
    int32_t recordOf(const QWidget* control) const;
    void layOut();

    DlgMetrics metrics_;
    DlgBuild build_;
};

// Shows the run-time dialog once (the window is made when first needed and kept).
DlgFrm& dlgFrm();

}  // namespace yov
