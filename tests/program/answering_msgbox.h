// A message box that answers without a window, for tests and fuzz targets: each request is
// written down and answered with `answer`, or by `answerFor` when it is set. In place while
// it lives, over whatever box was in place before (a fixture's, or the program's own).
// A test of the real window over such a fixture puts the real box back with
// `yov::FreshInstall<yov::MsgBox>`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "program/core/windows/msgbox.h"

namespace program_test {

struct MsgBoxRequest {
    std::u16string text;
    int32_t style = 0;
    std::u16string title;
    int32_t helpId = 0;
};

class AnsweringMsgBox : public yov::MsgBox {
public:
    explicit AnsweringMsgBox(int32_t fixedAnswer = yov::msgbox::kOk) : answer(fixedAnswer) {}
    explicit AnsweringMsgBox(std::function<int32_t(const MsgBoxRequest&)> answerOf) : answerFor(std::move(answerOf)) {}

    int32_t show(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId) override {
        requests.push_back({std::u16string(text), style, std::u16string(title), helpId});
        return answerFor ? answerFor(requests.back()) : answer;
    }

    // The texts asked so far, in order.
    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> all;
        for (const MsgBoxRequest& r : requests) all.push_back(r.text);
        return all;
    }

    int32_t answer = yov::msgbox::kOk;
    std::function<int32_t(const MsgBoxRequest&)> answerFor;
    std::vector<MsgBoxRequest> requests;

private:
    yov::ScopedInstall<yov::MsgBox> use_{*this};
};

}  // namespace program_test
