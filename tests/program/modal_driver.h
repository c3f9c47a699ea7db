// Drives modal windows from inside their loops, so that Qt tests never wait for a user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace yov_test {

// Once a visible modal window other than `skip` is active, runs `action` on it. When none
// shows up within the time, or the action leaves it open, the test fails and every modal
// window is hidden so that the loop returns. A wait that its test left behind ends with that
// test: it never acts on the modal windows of the next one.
inline void whenModal(std::function<void(QWidget*)> action, QWidget* skip = nullptr, int timeoutMs = 5000) {
    auto* poll = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QPointer<QWidget> skipped(skip);
    auto acted = std::make_shared<bool>(false);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (::testing::UnitTest::GetInstance()->current_test_info() != test) {
            poll->stop();
            poll->deleteLater();
            return;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (!*acted && w != nullptr && w->isVisible() && w != skipped.data()) {
            *acted = true;
            poll->stop();
            poll->deleteLater();
            action(w);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            ADD_FAILURE() << "no modal window to drive";
            poll->stop();
            poll->deleteLater();
            for (int i = 0; i < 20 && QApplication::activeModalWidget() != nullptr; ++i)
                QApplication::activeModalWidget()->hide();
        }
    });
    poll->start(2);
}

// Hides every modal window still open after the time: a test that forgot one fails
// instead of hanging.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int timeoutMs = 10000) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (QApplication::activeModalWidget() == nullptr) return;
            ADD_FAILURE() << "a modal window was left open";
            for (int i = 0; i < 20 && QApplication::activeModalWidget() != nullptr; ++i)
                QApplication::activeModalWidget()->hide();
        });
        timer_.start(timeoutMs);
    }

private:
    QTimer timer_;
};

}  // namespace yov_test
