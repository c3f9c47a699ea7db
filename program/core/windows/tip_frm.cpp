#include "program/core/windows/tip_frm.h"

#include <QCoreApplication>
#include <QTextEdit>

namespace yov {

namespace {
constexpr int kBorderPx = 2;
}  // namespace

TipFrm::TipFrm() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TipFrm"));
    setProperty("Tag", QStringLiteral("TIP"));
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    Txt = new QTextEdit(this);
    Txt->setObjectName(QStringLiteral("Txt"));
    Txt->setReadOnly(true);
    Txt->setFrameStyle(0);
    Txt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Txt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Txt->setFocusPolicy(Qt::NoFocus);
    Form_Resize();
}

void TipFrm::Form_Resize() {
    Txt->setGeometry(kBorderPx, kBorderPx, width() - 2 * kBorderPx, height() - 2 * kBorderPx);
}

void TipFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

namespace {
TipFrm* keptTip = nullptr;
void dropKeptTip() {
    delete keptTip;
    keptTip = nullptr;
}
}  // namespace

TipFrm* tipForm() {
    if (keptTip == nullptr) {
        keptTip = new TipFrm;
        qAddPostRoutine(dropKeptTip);
    }
    return keptTip;
}

}  // namespace yov
