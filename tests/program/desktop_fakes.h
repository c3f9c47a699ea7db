// The desktop and the file dialog as tests meet them: addresses written down instead of
// opened, and file dialogs answered without a window. Each is in place while it lives.
#pragma once

#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

#include "program/core/windows/file_dialog.h"
#include "program/core/windows/shell_open.h"

namespace desktop_test {

class RecordingDesktop : public yov::Desktop {
public:
    bool openUrl(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;

private:
    yov::ScopedInstall<yov::Desktop> use_{*this};
};

// Each request is written down and answered by `answer` (no file, as a cancel, without one).
class AnsweringFileDialogs : public yov::FileDialogs {
public:
    explicit AnsweringFileDialogs(std::function<QStringList(const yov::FileDialogRequest&)> answer = {})
        : answer(std::move(answer)) {}
    QStringList choose(const yov::FileDialogRequest& request) override {
        requests.push_back(request);
        return answer ? answer(request) : QStringList();
    }
    std::function<QStringList(const yov::FileDialogRequest&)> answer;
    std::vector<yov::FileDialogRequest> requests;

private:
    yov::ScopedInstall<yov::FileDialogs> use_{*this};
};

}  // namespace desktop_test
