#include "program/show/show_window_calls.h"

namespace yov {

namespace {

ShowWindowCalls*& installed() {
    static ShowWindowCalls* calls = nullptr;
    return calls;
}

}  // namespace

ShowWindowCalls* showWindowCalls() { return installed(); }

ShowWindowCalls* InstallShowWindowCalls(ShowWindowCalls* calls) {
    ShowWindowCalls* previous = installed();
    installed() = calls;
    return previous;
}

}  // namespace yov
