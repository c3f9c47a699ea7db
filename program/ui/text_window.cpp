#include "program/ui/text_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>

#include <algorithm>

#include "lumvatek/shared.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/qt_text.h"
#include "program/core/texts/text_files.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/windows/form_members.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/scene/script_keyword_kinds.h"
#include "program/stock/editor_language.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr uint8_t kTextSlotByte = kTextWindowSlot | kSlotNoRestore;
constexpr int32_t kPopupMenu = 30;
constexpr int32_t kMinSize = 100;
constexpr int32_t kSaveFileKinds = 6155;
constexpr uint8_t kModal = 2, kModalOverShow = 3, kErrorLogMode = 14;

namespace cmd {
constexpr int32_t kEsc = 27;
constexpr int32_t kCtrlS = 595;
constexpr int32_t kSaveAs = 4193;
constexpr int32_t kAltS = 1107;
constexpr int32_t kSort = 4479;
}  // namespace cmd

std::vector<TextFrm*>& windows() {
    static std::vector<TextFrm*> w;
    return w;
}

// The window showing the error log (mode 14), which the log's new lines go to.
TextFrm*& logView() {
    static TextFrm* w = nullptr;
    return w;
}

QFont textFont() {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(10);
    return f;
}

int32_t twipsX() { return std::max(programState().machine.TwipsPerPixelX, 1); }
int32_t twipsY() { return std::max(programState().machine.TwipsPerPixelY, 1); }

}  // namespace

const std::vector<TextFrm*>& openTextWindows() { return windows(); }

bool LooksLikeScript(std::u16string_view text) {
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find_first_of(u"\r\n", from);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = text.substr(from, end - from);
        while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
        if (!line.empty() && line.front() == u'$') {
            const size_t word = line.find_first_of(u" \t", 1);
            if (KindOfScriptKeyword(line.substr(1, word == std::u16string_view::npos ? line.npos : word - 1)) !=
                ScriptKeywordKind::None)
                return true;
        }
        from = end + 1;
    }
    return false;
}

TextFrm::TextFrm() : DTxt(this) {
    setAttribute(Qt::WA_DeleteOnClose, true);
    DTxt.installEventFilter(this);
    DTxt.onRightMouseUp = [this](QPoint at) {
        const QPoint p = DTxt.mapTo(this, at);
        lv::ShowPopup(kTextWindowSlot, kPopupMenu, p.x(), p.y(), reinterpret_cast<LvWindow>(this), 0);
    };
    SetFormMembers(this, FormMembers{[this](int16_t& code, int32_t&, int32_t&, int32_t&, int32_t&) {
                                         return FCmd(static_cast<uint16_t>(code));
                                     },
                                     {}});
    windows().push_back(this);
}

TextFrm::~TextFrm() {
    if (!unloaded_) Form_Unload();
    SetFormMembers(this, {});
    std::erase(windows(), this);
    if (logView() == this) logView() = nullptr;
}

void TextFrm::Form_Load() {
    SetupScriptEditor(DTxt);
    if (programState().run.RunMode == kModalOverShow) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    OpenForm(kTextSlotByte, this, 0, 0, kMinSize, kMinSize);
    setMinimumSize(kMinSize, kMinSize);
}

void TextFrm::Form_Resize() {
    if (isMinimized()) return;
    DTxt.setGeometry(0, 0, width(), height());
}

bool TextFrm::FCmd(int32_t code) {
    switch (code) {
    case cmd::kEsc: close(); return true;
    case cmd::kCtrlS:
    case cmd::kSaveAs: Save(); return true;
    case cmd::kAltS:
    case cmd::kSort: SortLines(); return true;
    default: return HandleFormCmd(code, this, 0);
    }
}

void TextFrm::Save() {
    std::u16string path;
    if (!GetFileFilter(u"SAS", kSaveFileKinds, path) || path.empty()) return;
    SaveTextFile(path, DTxt.wholeText(), {}, 0);
}

void TextFrm::SortLines() {
    const std::u16string text = DTxt.wholeText();
    // The editor's lines end in LF; the engine sorts lines ended by CR LF.
    std::u16string crlf;
    crlf.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\r') continue;
        if (c == u'\n') crlf += u'\r';
        crlf += c;
    }
    char16_t* t = LvTextAlloc(crlf.data(), static_cast<int32_t>(crlf.size()));
    if (t == nullptr) return;
    if (lv::SortText(&t) == 0 && t != nullptr) {
        std::u16string sorted(t, static_cast<size_t>(LvTextLength(t)));
        std::erase(sorted, u'\r');
        DTxt.setWholeText(sorted);
    }
    LvTextFree(t);
    DTxt.Operation102(0, 0);
}

void TextFrm::Form_Unload() {
    unloaded_ = true;
    std::vector<TextFrm*>& all = windows();
    std::erase(all, this);
    ProgramState& st = programState();
    // Every text window is slot 42; the slot stays with one still open, so that closing
    // one window does not unregister (and hide) the others.
    const bool ownsSlot = st.WindowTable[kTextWindowSlot].window == this;
    if (all.empty()) {
        if (ownsSlot) CloseForm(kTextSlotByte);
    } else if (ownsSlot) {
        OpenForm(kTextSlotByte, all.back(), 0, 0, kMinSize, kMinSize);
    }
    if (logView() == this) logView() = nullptr;
    st.run.RunMode = 0;
}

void TextFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void TextFrm::closeEvent(QCloseEvent* event) {
    if (!unloaded_) Form_Unload();
    QWidget::closeEvent(event);
}

bool TextFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &DTxt && event->type() == QEvent::KeyPress) {
        const int32_t code = keyCommandOf(*static_cast<QKeyEvent*>(event));
        if (code != 0 && FCmd(code)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MeasureText(std::u16string_view text, int32_t& width, int32_t& height) {
    const QFontMetrics fm(textFont());
    const QRect r = fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, toQString(text));
    width = r.width() * twipsX();
    height = r.height() * twipsY();
}

void ShowTextWindowFor(const TextWindowRequest& r) {
    auto* w = new TextFrm;
    w->setWindowTitle(toQString(r.caption));
    w->DTxt.setWholeText(r.text);
    if (LooksLikeScript(r.text)) w->DTxt.UseTimetableLexer();
    w->Form_Load();
    DeferFormMove(r.left / twipsX(), r.top / twipsY(), r.width / twipsX(), r.height / twipsY(), w, kTextSlotByte);
    if (r.mode == kErrorLogMode) {
        logView() = w;
        w->DTxt.setReadOnly(true);
        w->DTxt.Operation102(std::max(w->DTxt.lines() - 1, 0), 0);
    }
    if (r.mode == kModal || r.mode == kModalOverShow) {
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        ShowModal(w);
        delete w;
        return;
    }
    w->show();
}

void AppendToLogView(const std::u16string& line) {
    TextFrm* w = logView();
    if (w == nullptr) return;
    w->DTxt.append(toQString(line) + QLatin1Char('\n'));
    w->DTxt.Operation102(std::max(w->DTxt.lines() - 1, 0), 0);
}

}  // namespace yov
