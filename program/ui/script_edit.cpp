#include "program/ui/script_edit.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QContextMenuEvent>
#include <QMouseEvent>

#include "program/core/texts/qt_text.h"
#include "program/scene/script_lexer.h"

namespace yov {

namespace {

// Our meanings of the editor's dispatch ids.
namespace dispid {
constexpr int32_t kTabWidth = 21;        // characters
constexpr int32_t kLeftMargin = 89;      // pixels before the text
constexpr int32_t kCaretWidth = 88;      // pixels
constexpr int32_t kBraceMatching = 14;   // show matching brackets
constexpr int32_t kFontSize = 29;        // points, 0: the default 10
constexpr int32_t kLineNumbers = 3;      // a margin of line numbers
constexpr int32_t kAutoIndent = 5;       // a new line takes the indent of the last
constexpr int32_t kShowBlanks = 6;       // blanks and tabs shown
constexpr int32_t kWrapLines = 1;        // long lines wrap at the window's edge
constexpr int32_t kCurrentLine = 2;      // the caret's line highlighted
constexpr int32_t kIndentGuides = 78;    // indentation guides
constexpr int32_t kShowLineEnds = 10;    // line ends shown
constexpr int32_t kIndentWithTabs = 12;  // indents made of tabs
constexpr int32_t kBackspaceUnindents = 87;
constexpr int32_t kTabIndents = 75;  // Tab in the indent indents the line
}  // namespace dispid

constexpr int32_t kDefaultPoints = 10;

QFont editorFont(int points) {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(points);
    return f;
}

int utf8Bytes(char16_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

ScriptEditGlobal& scriptEditGlobal() {
    static ScriptEditGlobal g;
    return g;
}

TimetableLexer::TimetableLexer(QObject* parent) : QsciLexerCustom(parent) {}

const char* TimetableLexer::language() const { return "RolvaneTimetable"; }

QString TimetableLexer::description(int style) const {
    static const char* const kNames[kScriptStyleCount] = {"Default",   "Comment",         "Keyword", "Block begin",
                                                          "Block end", "Unknown keyword", "Word",    "String",
                                                          "Macro",     "Conditional"};
    return style >= 0 && style < kScriptStyleCount ? QString::fromLatin1(kNames[style]) : QString();
}

QColor TimetableLexer::defaultColor(int style) const {
    switch (static_cast<ScriptStyle>(style)) {
    case ScriptStyle::Comment: return QColor(0, 128, 0);
    case ScriptStyle::Keyword: return QColor(0, 0, 192);
    case ScriptStyle::BlockBegin:
    case ScriptStyle::BlockEnd: return QColor(128, 0, 128);
    case ScriptStyle::Dollar: return QColor(192, 0, 0);
    case ScriptStyle::Word: return QColor(0, 96, 160);
    case ScriptStyle::String: return QColor(160, 96, 0);
    case ScriptStyle::Macro: return QColor(0, 128, 128);
    case ScriptStyle::Conditional: return QColor(176, 0, 96);
    case ScriptStyle::Default: break;
    }
    return QColor(0, 0, 0);
}

QFont TimetableLexer::defaultFont(int style) const {
    QFont f = editorFont(kDefaultPoints);
    const auto s = static_cast<ScriptStyle>(style);
    if (s == ScriptStyle::Keyword || s == ScriptStyle::BlockBegin || s == ScriptStyle::BlockEnd) f.setBold(true);
    if (s == ScriptStyle::Comment) f.setItalic(true);
    return f;
}

void TimetableLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (ed == nullptr) return;
    // Whole lines, from the start of the line holding `start`; a line continues the one
    // before when that one ends in "\".
    int line = 0, index = 0;
    ed->lineIndexFromPosition(start, &line, &index);
    const int last = std::max(line, ed->lines() - 1);
    int lastLine = 0, lastIndex = 0;
    ed->lineIndexFromPosition(end, &lastLine, &lastIndex);
    lastLine = std::min(lastLine, last);
    bool continued = line > 0 && ContinuesOnNextLine(ed->text(line - 1).toStdU16String());
    startStyling(static_cast<int>(ed->positionFromLineIndex(line, 0)));
    for (int l = line; l <= lastLine; ++l) {
        const std::u16string body = ed->text(l).toStdU16String();
        size_t eol = body.size();
        while (eol > 0 && (body[eol - 1] == u'\n' || body[eol - 1] == u'\r')) --eol;
        const std::vector<ScriptStyle> styles = StyleScriptLine(std::u16string_view(body).substr(0, eol), continued);
        // Styles go by bytes of the editor's UTF-8 text.
        for (size_t i = 0; i < body.size(); ++i) {
            const int style = static_cast<int>(i < styles.size() ? styles[i] : ScriptStyle::Default);
            if (QChar::isHighSurrogate(body[i]) && i + 1 < body.size() && QChar::isLowSurrogate(body[i + 1])) {
                setStyling(4, style);
                ++i;
            } else {
                setStyling(utf8Bytes(body[i]), style);
            }
        }
        continued = ContinuesOnNextLine(std::u16string_view(body).substr(0, eol));
    }
}

ScriptEdit::ScriptEdit(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setFont(editorFont(kDefaultPoints));
    setMarginWidth(1, 0);
    // The horizontal scroll bar follows the longest line shown, not a fixed 2000 pixels.
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1L);
    setContextMenuPolicy(Qt::PreventContextMenu);
    applyHotKeys(scriptEditGlobal().hotKeys);
}

void ScriptEdit::setIntProperty(int32_t id, int32_t value) {
    switch (id) {
    case dispid::kTabWidth: setTabWidth(std::max(value, 1)); break;
    case dispid::kLeftMargin: SendScintilla(SCI_SETMARGINLEFT, 0, static_cast<long>(value)); break;
    case dispid::kCaretWidth: setCaretWidth(value); break;
    case dispid::kFontSize: {
        const int points = value > 0 ? value : kDefaultPoints;
        setFont(editorFont(points));
        if (QsciLexer* l = lexer()) l->setFont(editorFont(points));
        break;
    }
    default: break;
    }
}

void ScriptEdit::setBoolProperty(int32_t id, bool on) {
    switch (id) {
    case dispid::kBraceMatching: setBraceMatching(on ? SloppyBraceMatch : NoBraceMatch); break;
    case dispid::kLineNumbers:
        setMarginLineNumbers(0, on);
        setMarginWidth(0, on ? QStringLiteral("00000") : QString());
        if (!on) setMarginWidth(0, 0);
        break;
    case dispid::kAutoIndent: setAutoIndent(on); break;
    case dispid::kShowBlanks: setWhitespaceVisibility(on ? WsVisible : WsInvisible); break;
    case dispid::kWrapLines: setWrapMode(on ? WrapWord : WrapNone); break;
    case dispid::kCurrentLine: setCaretLineVisible(on); break;
    case dispid::kIndentGuides: setIndentationGuides(on); break;
    case dispid::kShowLineEnds: setEolVisibility(on); break;
    case dispid::kIndentWithTabs: setIndentationsUseTabs(on); break;
    case dispid::kBackspaceUnindents: setBackspaceUnindents(on); break;
    case dispid::kTabIndents: setTabIndents(on); break;
    default: break;
    }
}

void ScriptEdit::applyHotKeys(const std::vector<uint8_t>& table) {
    // Our layout of "EdHotKeys": records of 8 bytes, the editor command (a Scintilla
    // message number) and its key (a Qt key code with modifiers), both little-endian.
    // A record naming no command or no valid key is passed over; a short tail is ignored.
    QsciCommandSet* set = standardCommands();
    for (size_t at = 0; at + 8 <= table.size(); at += 8) {
        const auto command = static_cast<QsciCommand::Command>(le32(&table[at]));
        const int key = static_cast<int>(le32(&table[at + 4]));
        QsciCommand* c = set->find(command);
        if (c != nullptr && QsciCommand::validKey(key)) c->setKey(key);
    }
}

void ScriptEdit::setHotKeys(const std::vector<uint8_t>& table) {
    scriptEditGlobal().hotKeys = table;
    applyHotKeys(table);
}

void ScriptEdit::resetGlobal() {
    ScriptEditGlobal& g = scriptEditGlobal();
    g.languages.clear();
    g.commands.clear();
    ++g.resets;
}

void ScriptEdit::registerLanguage(const EditorLanguage& language) { scriptEditGlobal().languages.push_back(language); }

void ScriptEdit::registerCommand(int32_t id, const std::u16string& name, const std::u16string& description) {
    scriptEditGlobal().commands.push_back({id, name, description});
}

void ScriptEdit::Operation102(int32_t a, int32_t b) {
    setCursorPosition(a, b);
    ensureCursorVisible();
}

void ScriptEdit::UseTimetableLexer() {
    if (lexer() == nullptr) setLexer(new TimetableLexer(this));
}

std::u16string ScriptEdit::wholeText() const { return text().toStdU16String(); }
void ScriptEdit::setWholeText(std::u16string_view t) { setText(toQString(t)); }

void ScriptEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && onRightMouseUp) {
        onRightMouseUp(event->position().toPoint());
        event->accept();
        return;
    }
    QsciScintilla::mouseReleaseEvent(event);
}

void ScriptEdit::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

}  // namespace yov
