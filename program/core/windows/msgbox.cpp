#include "program/core/windows/msgbox.h"

#include <QApplication>
#include <QString>
#include <QThread>

#include <cstdio>
#include <memory>

#include "program/core/windows/modal.h"
#include "program/core/windows/msgbox_frm.h"
#include "program/core/texts/qt_text.h"

namespace yov {

int32_t ShowMsgBox(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId) {
    return Installed<MsgBox>()->show(text, style, title, helpId);
}

int32_t MsgBox::show(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId) {
    // Windows live on the main thread only; a report from elsewhere is written out instead.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        const QString t = toQString(text);
        std::fprintf(stderr, "%s\n", t.toUtf8().constData());
        return 0;
    }
    // A box asked for while the kept one is open (a timer's report behind a question)
    // gets a window of its own instead of taking over the open one.
    MsgBxFrm* box = msgBoxForm();
    std::unique_ptr<MsgBxFrm> second;
    if (box->isVisible()) {
        second = std::make_unique<MsgBxFrm>();
        second->Form_Load();
        box = second.get();
    }
    box->fill(text, style, title, helpId);
    ShowModal(box);
    // The box's own answer, not the shared dialog result: a box nested inside this one
    // may have written that last.
    return box->answer();
}

}  // namespace yov
