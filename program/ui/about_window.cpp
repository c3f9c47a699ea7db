#include "program/ui/about_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>

#include "platform/codepage.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/program_resources.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/qt_text.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/shell_open.h"
#include "program/scene/script_reader.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr uint8_t kAboutSlot = 31;
constexpr int32_t kMinWidth = 450, kMinHeight = 300;
constexpr const char* kRailFile = "about_rail.gif";

// Ours to write: the people behind this build of the program.
constexpr const char16_t* kOwnCreditLines =
    u"The Yov developers: program, engine and documentation\r\n"
    u"Scene and stock testing: the Yov test team\r\n"
    u"Vehicle drawings of the demo: the Yov artists\r\n"
    u"Fonts: the DejaVu fonts project\r\n"
    u"Toolkit: Qt; compression: zlib\r\n"
    u"Thanks to everybody who sent scenes, stock and reports\r\n";
constexpr const char16_t* kNotice = u"Free software: a railway scene for your screen.";
constexpr const char16_t* kMakersMail = u"yov@example.org";
constexpr const char16_t* kMakersHome = u"https://example.org/yov/";

std::string utf8(const QString& s) { return s.toStdString(); }

QFont dejaVu(const char* family, double points, bool bold = false, bool underline = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

void fitToText(QLabel& label) { label.resize(label.sizeHint()); }
void fitToPicture(QLabel& box) {
    const QPixmap p = box.pixmap();
    box.resize(p.isNull() ? QSize(0, 0) : p.size());
}

// The pointer of the mail label: an envelope.
QCursor envelopeCursor() {
    QPixmap pm(24, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 21, 15);
    p.drawLine(1, 1, 11, 10);
    p.drawLine(22, 1, 11, 10);
    p.end();
    return QCursor(pm, 1, 1);
}

void place(QWidget& w, const AboutRect& r) { w.setGeometry(r.x, r.y, r.w, r.h); }

}  // namespace

CreditsSources CurrentCreditsSources() {
    CreditsSources src;
    ProgramState& st = programState();
    const RunSettings& run = scriptReader().S.Run;
    src.info = run.InfoText;
    src.scriptFlags = run.Suppress;
    src.ownCreditsTitle = GetText(u"PAU", u"Program testing, help and documentation", 1) + u":";
    src.ownCreditsLines = kOwnCreditLines;
    src.translatorsTitle = GetText(u"LTR", u"Language translations", 1) + u":";
    const int32_t languages = std::min(st.Shared.LanguageCount, st.Arrays.Languages.upperBound());
    for (int32_t i = 1; i <= languages; ++i) {
        const LanguageEntry& lang = st.Arrays.Languages[i];
        if (lang.LangTR.empty()) continue;
        src.translatorLines.push_back(PickLangText(lang.Names, lang.Code) + u": " + ExpandTextFields(lang.LangTR));
    }
    src.authorCount = std::min(st.Shared.AuthorCount, st.Arrays.Authors.upperBound());
    src.authors = src.authorCount >= 0 ? st.Arrays.Authors.begin() : nullptr;
    const int32_t entries = std::min(st.Shared.StockCount, st.Arrays.Stock.upperBound());
    for (int32_t i = 1; i <= entries; ++i) src.entryAuthors.push_back(st.Arrays.Stock[i].Author);
    return src;
}

AboutWindow::AboutWindow()
    : Shape1(this), Pic1(this), Pic2(this), Label1(this), Pic3(this), Command1(this), Line1(this), Txt(this) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setControlTag(this, u"ROLV");
    Shape1.setAutoFillBackground(true);
    QPalette band = Shape1.palette();
    band.setColor(QPalette::Window, QColor(0, 48, 112));
    Shape1.setPalette(band);
    Shape1.lower();
    setControlTag(&Label1, u"#ROLV");
    Label1.setFont(dejaVu("DejaVu Sans", 13.5, true));
    QPalette yellow = Label1.palette();
    yellow.setColor(QPalette::WindowText, QColor(255, 255, 0));
    Label1.setPalette(yellow);
    for (size_t i = 0; i < Lab.size(); ++i) Lab[i] = new QLabel(this);
    Lab[0]->setFont(dejaVu("DejaVu Serif", 9.75));
    Lab[1]->setFont(dejaVu("DejaVu Serif", 9.75));
    Lab[3]->setFont(dejaVu("DejaVu Serif", 8.25, false, true));
    QPalette navy = Lab[2]->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Lab[2]->setPalette(navy);
    Lab[3]->setPalette(navy);
    Lab[2]->setCursor(envelopeCursor());
    Lab[3]->setCursor(Qt::PointingHandCursor);
    for (QLabel* l : Lab) l->installEventFilter(this);
    Command1.setText(QStringLiteral("O.K."));
    setControlTag(&Command1, u"OK");
    Command1.setDefault(true);
    QObject::connect(&Command1, &QPushButton::clicked, this, [this] { close(); });
    Line1.setFrameShape(QFrame::HLine);
    Line1.setFrameShadow(QFrame::Sunken);
    Txt.setReadOnly(true);
    Txt.setFrameShape(QFrame::NoFrame);
    QPalette tip = Txt.palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    Txt.setPalette(tip);
    Txt.viewport()->setMouseTracking(true);
    Txt.viewport()->installEventFilter(this);
    Form_Load();
}

void AboutWindow::Form_Load() {
    Label1.setText(toQString(kProgramTitle));
    fitToText(Label1);
    // From here on a step that fails is passed over: the window always opens.
    LoadPictureBox(&Pic1, 2);
    LoadPictureBox(&Pic2, 3);
    fitToPicture(Pic1);
    fitToPicture(Pic2);
    LeftPicWidth = Pic1.width();
    RightPicWidth = Pic2.width();
    const std::string rail = programResourcePath(kRailFile);
    if (!rail.empty()) railTile_.load(QString::fromStdString(rail));
    LocalizeForm(this);
    Lab[0]->setText(toQString(GetVersionText()));
    Lab[1]->setText(toQString(kNotice));
    Lab[2]->setText(toQString(kMakersMail));
    Lab[3]->setText(toQString(kMakersHome));
    for (QLabel* l : Lab) fitToText(*l);
    Command1.resize(Command1.sizeHint());
    OpenForm(kAboutSlot, this, kMinWidth, kMinHeight, kMinWidth, kMinHeight, {});
    setMinimumSize(kMinWidth, kMinHeight);

    sources_ = CurrentCreditsSources();
    const QFontMetrics metrics(font());
    sources_.textWidth = [metrics](std::u16string_view t) {
        return static_cast<int32_t>(metrics.horizontalAdvance(toQString(t)));
    };
    credits_ = BuildCredits(sources_);
    appendCredits();
    Form_Resize();
}

void AboutWindow::appendCredits() {
    Txt.clear();
    QTextCursor c(Txt.document());
    c.movePosition(QTextCursor::Start);
    for (const CreditsPiece& piece : credits_.pieces) {
        QTextBlockFormat block = c.blockFormat();
        block.setAlignment(piece.align == CreditsAlign::Right    ? Qt::AlignRight
                           : piece.align == CreditsAlign::Centre ? Qt::AlignHCenter
                                                                 : Qt::AlignLeft);
        QList<QTextOption::Tab> tabs;
        for (int32_t x : piece.tabStops) tabs.append(QTextOption::Tab(x, QTextOption::LeftTab));
        block.setTabPositions(tabs);
        c.setBlockFormat(block);
        QTextCharFormat chars;
        chars.setFontPointSize(piece.pointSize);
        c.setCharFormat(chars);
        // A CR LF is one paragraph break in the pane; CreditsPositionAt counts it as two.
        std::u16string text = piece.text;
        std::erase(text, u'\r');
        c.insertText(toQString(text));
    }
    if (credits_.WrapWidth > 0) {
        Txt.setLineWrapMode(QTextEdit::FixedPixelWidth);
        Txt.setLineWrapColumnOrWidth(credits_.WrapWidth);
    } else {
        Txt.setLineWrapMode(QTextEdit::WidgetWidth);
    }
    Txt.moveCursor(QTextCursor::Start);
}

int32_t AboutWindow::CreditsPositionAt(QPoint panePoint) const {
    const QTextCursor c = Txt.cursorForPosition(panePoint);
    return c.position() + c.block().blockNumber();
}

void AboutWindow::fillGround() {
    if (railTile_.isNull() || width() <= 0) return;
    QPixmap strip(width(), railTile_.height());
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int x = 0; x < width(); x += railTile_.width()) p.drawPixmap(x, 0, railTile_);
    p.end();
    Pic3.setPixmap(strip);
}

void AboutWindow::Form_Resize() {
    AboutMeasures m;
    m.width = width();
    m.height = height();
    m.minimised = isMinimized();
    m.noRail = (sources_.scriptFlags & 1) != 0;
    m.titleWidth = Label1.width();
    m.titleHeight = Label1.height();
    for (size_t i = 0; i < Lab.size(); ++i) {
        m.labelWidths[i] = Lab[i]->width();
        m.labelHeights[i] = Lab[i]->height();
    }
    m.buttonWidth = Command1.width();
    m.buttonHeight = Command1.height();
    m.leftPictureWidth = LeftPicWidth;
    m.leftPictureHeight = Pic1.height();
    m.rightPictureWidth = RightPicWidth;
    m.rightPictureHeight = Pic2.height();
    m.railTileHeight = railTile_.isNull() ? 7 : railTile_.height();
    // One control row: 315 twips.
    m.rowHeight = 315 / std::max(programState().machine.TwipsPerPixelY, 1);
    places_ = LayOutAbout(m);
    if (!places_.changed) return;
    place(Shape1, places_.band);
    Pic3.setVisible(places_.groundShown);
    if (places_.groundShown) {
        place(Pic3, places_.ground);
        fillGround();
    }
    place(Pic1, places_.leftPicture);
    place(Pic2, places_.rightPicture);
    place(Label1, places_.title);
    for (size_t i = 0; i < Lab.size(); ++i) place(*Lab[i], places_.labels[i]);
    place(Command1, places_.button);
    Line1.setGeometry(places_.lineX1, places_.lineY - 1, std::max(places_.lineX2 - places_.lineX1, 0), 2);
    place(Txt, places_.credits);
}

void AboutWindow::FindItem(QPoint panePoint) {
    const LinkHit hit = yov::FindItem(credits_, sources_, CreditsPositionAt(panePoint));
    HoverLine = hit.line;
    HoverKind = hit.kind;
}

void AboutWindow::Txt_MouseMove(QPoint panePoint) {
    FindItem(panePoint);
    if (HoverKind == ShownKind) return;
    ShownKind = HoverKind;
    switch (ShownKind) {
    case CreditLink::None: Txt.viewport()->setCursor(Qt::ArrowCursor); break;
    case CreditLink::Mail: Txt.viewport()->setCursor(Lab[2]->cursor()); break;
    case CreditLink::HomePage: Txt.viewport()->setCursor(Lab[3]->cursor()); break;
    }
}

void AboutWindow::Txt_MouseDown(QPoint panePoint) {
    FindItem(panePoint);
    if (HoverKind == CreditLink::None) return;
    const int32_t author = credits_.lines[static_cast<size_t>(HoverLine)].author;
    const AuthorEntry& a = sources_.authors[author];
    if (HoverKind == CreditLink::Mail)
        OpenWebLink("mailto:" + plat::utf16ToUtf8(a.Mail));
    else
        OpenWebLink(plat::utf16ToUtf8(a.HomePage));
}

void AboutWindow::Lab_Click(int index) {
    if (index == 2) OpenWebLink("mailto:" + utf8(Lab[2]->text()));
    if (index == 3) OpenWebLink(utf8(Lab[3]->text()));
}

// The labels are children, deleted after the members (the text box among them): their events
// while they go must not reach a window that is half gone.
AboutWindow::~AboutWindow() {
    for (QLabel* l : Lab) l->removeEventFilter(this);
    Txt.viewport()->removeEventFilter(this);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Txt.viewport()) {
        if (event->type() == QEvent::MouseMove)
            Txt_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::MouseButtonPress)
            Txt_MouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        for (size_t i = 0; i < Lab.size(); ++i)
            if (watched == Lab[i]) Lab_Click(static_cast<int>(i));
    }
    return QWidget::eventFilter(watched, event);
}

void AboutWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void AboutWindow::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the About window; the keys every window shares do.
    const int32_t code = keyCommandOf(*event);
    if (code != 0 && HandleFormCmd(code, this, 0)) return;
    QWidget::keyPressEvent(event);
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    CloseForm(kAboutSlot, {});
    QWidget::closeEvent(event);
}

void ShowAboutWindow() {
    AboutWindow window;
    ShowModal(&window);
}

void WireAbout() { upperCalls().showAbout = ShowAboutWindow; }

}  // namespace yov
