#include "program/ui/cfg_frm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

#include "program/core/texts/qt_text.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/form_members.h"
#include "program/core/windows/utilities.h"
#include "program/core/startup/upper_calls.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/script_options.h"
#include "program/scene/script_reader.h"
#include "program/ui/window_ops_qt.h"

namespace yov {

namespace {

constexpr int kTextPixels = 11;
constexpr int kTitlePixels = 13;

template <typename T>
T* make(QWidget* parent, const char16_t* caption, const char16_t* tag) {
    auto* w = new T(parent);
    if (caption != nullptr) setControlCaption(w, caption);
    if (tag != nullptr) setControlTag(w, tag);
    return w;
}

QGroupBox* frame(QWidget* parent, const char16_t* caption, const char16_t* tag) {
    auto* g = new QGroupBox(parent);
    if (caption != nullptr) g->setTitle(toQString(caption));
    if (tag != nullptr) setControlTag(g, tag);
    return g;
}

void place(QWidget* w, const CfgRect& r) { MoveForm(w, r.x, r.y, r.w, r.h); }

// Where a frame's controls may stand: inside its line and below its caption.
QRect groupContents(const QGroupBox* g) {
    QStyleOptionGroupBox o;
    o.initFrom(g);
    o.text = g->title();
    o.lineWidth = 1;
    o.subControls = QStyle::SC_GroupBoxFrame | (g->title().isEmpty() ? QStyle::SC_None : QStyle::SC_GroupBoxLabel);
    o.textAlignment = g->alignment();
    return g->style()->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxContents, g);
}

}  // namespace

const QFont& cfgFont() {
    static const QFont font = [] {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(kTextPixels);
        return f;
    }();
    return font;
}

const QFont& cfgTitleFont() {
    static const QFont font = [] {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(kTitlePixels);
        f.setBold(true);
        return f;
    }();
    return font;
}

CfgFrm::CfgFrm() : QWidget(nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(cfgFont());
    setControlTag(this, u"CFG");
    setWindowTitle(QStringLiteral("Yov"));
    const ProgramState& ms = programState();
    metrics_.rowHeight = ms.machine.CtlHeightPx > 0 ? ms.machine.CtlHeightPx : 315 / 15;
    metrics_.lineHeight = ms.machine.TextHeightPx > 0 ? ms.machine.TextHeightPx : 195 / 15;
    metrics_.statusBarHeight = ms.machine.EditHeightPx > 0 ? ms.machine.EditHeightPx : 285 / 15;
    build();
}

CfgFrm::~CfgFrm() {
    SetFormMembers(this, {});
    WindowSlot& s = programState().WindowTable[kSettingsSlot];
    if (s.window == this) s = {};
}

void CfgFrm::build() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    Client = new QWidget(this);
    root->addWidget(Client, 1);
    SBar = new QStatusBar(this);
    SBar->setSizeGripEnabled(false);
    SBar->setFixedHeight(metrics_.statusBarHeight);
    root->addWidget(SBar);
    Timer1 = new QTimer(this);
    Timer1->setInterval(20);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    Tab1Pane = new QWidget(Client);
    Tab1 = new QTabBar(Tab1Pane);
    QFont tabFont = cfgFont();
    Tab1->setFont(tabFont);
    Tab1->setDrawBase(false);
    const struct {
        const char16_t* caption;
        const char16_t* tag;
    } tabs[] = {{u"Main", u"FILS"}, {u"Full Screen", u"FULLS"}, {u"Window", u"WIN"}, {u"Files", u""}};
    for (const auto& t : tabs) {
        const int i = Tab1->addTab(toQString(t.caption));
        Tab1->setTabData(i, toQString(t.tag));
    }
    auto* pane = new QFrame(Tab1Pane);
    pane->setObjectName(QStringLiteral("Tab1Body"));
    pane->setFrameShape(QFrame::StyledPanel);
    QObject::connect(Tab1, &QTabBar::currentChanged, this, [this](int) { Tab1_Click(); });

    buildHeader();
    buildMainPage();
    buildModePage();
    SFrm = new QWidget(Client);
    SFrm->hide();
    CmbStkV = new QComboBox(SFrm);

    SetFormMembers(this, {[this](int16_t& code, int32_t& a1, int32_t& a2, int32_t& a3, int32_t& a4) {
                              return FCmd(code, a1, a2, a3, a4);
                          },
                          {}});
    connectHandlers();
}

void CfgFrm::buildHeader() {
    Shape1 = new QFrame(Client);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    QPalette p = Shape1->palette();
    p.setColor(QPalette::Window, Qt::white);
    Shape1->setPalette(p);
    for (auto& pic : Pic) pic = new QLabel(Client);
    LabN = make<QLabel>(Client, nullptr, u"ROLV");
    LabN->setFont(cfgTitleFont());
    CmdOk = make<QPushButton>(Client, u"&O.K.", u"OK");
    CmdHlp = make<QPushButton>(Client, u"&Info", u"INFO");
    CmdAbout = make<QPushButton>(Client, u"&About", u"ABOUT");
}

void CfgFrm::buildMainPage() {
    FFrm = new QWidget(Client);
    LabF[0] = make<QLabel>(FFrm, u"Timetable file name:", u"CNFNAM");
    LabF[1] = make<QLabel>(FFrm, u"Stock list definition file name:", u"STKNAM");
    const char16_t* comboTags[] = {u"#CNFNAM", u"#STKNAM"};
    for (size_t i = 0; i < 2; ++i) {
        CmbFil[i] = new QComboBox(FFrm);
        CmbFil[i]->setEditable(true);
        CmbFil[i]->setInsertPolicy(QComboBox::NoInsert);
        setControlTag(CmbFil[i], comboTags[i]);
        CmdBrw[i] = make<QPushButton>(FFrm, u"&Browse", u"BRW");
    }
    ChkBackup = make<QCheckBox>(FFrm, u"Backup files", u"WBAK");
    CmdStockList = make<QPushButton>(FFrm, u"&Stock List", u"STKLST");
    CmdStockList->hide();  // the first layout shows it
    CmdTestWindow = make<QPushButton>(FFrm, u"Test in Window", u"TWIN");
    CmdTestFull = make<QPushButton>(FFrm, u"Test Full Screen", u"TSCR");
    CmdHidden[0] = make<QPushButton>(FFrm, u"Edit &Timetable", u"ATIMED");
    CmdHidden[1] = make<QPushButton>(FFrm, u"&Description Editor", u"DESCED");
    CmdHidden[2] = make<QPushButton>(FFrm, u"&Graphic Testpad", u"GRAPH");
    for (QPushButton* b : CmdHidden) b->hide();
    FrmCache = frame(FFrm, u"Cache", u"CACHE");
    OptCache[0] = make<QRadioButton>(FrmCache, u"&No", u"CANO");
    OptCache[1] = make<QRadioButton>(FrmCache, u"&Use", u"USE");
    OptCache[2] = make<QRadioButton>(FrmCache, u"&Load", u"LDCA");
    OptCache[3] = make<QRadioButton>(FrmCache, u"Load && Sa&ve", u"LDSV");
    CmdClear = make<QPushButton>(FrmCache, u"Clear", u"CLRC");
}

void CfgFrm::buildModePage() {
    WFrm = new QWidget(Client);
    FrmDraw = frame(WFrm, u"Draw method", u"DRWM");
    const struct {
        const char16_t* caption;
        const char16_t* tag;
    } methods[] = {{u"GDI, &Vehicles", u"GDI"},
                   {u"&GDI, Trains", u"BURST"},
                   {u"DirectX, single frame", u"SINGLE"},
                   {u"&DirectX, dual frame", u"FLIP"},
                   {u"&DirectX, triple frame", u"FLP3"}};
    for (size_t i = 0; i < OptAlg.size(); ++i)
        OptAlg[i] = make<QRadioButton>(FrmDraw, methods[i].caption, methods[i].tag);
    FramDX = frame(WFrm, nullptr, nullptr);
    ChkAct = make<QCheckBox>(FramDX, u"Use actual settings", u"UACT");
    ModeLabel[0] = make<QLabel>(FramDX, u"Screen:", u"SAREA");
    ModeLabel[1] = make<QLabel>(FramDX, u"Color:", u"PAL");
    ModeLabel[2] = make<QLabel>(FramDX, u"Frequency:", u"FREQ");
    const char16_t* comboTags[] = {u"#SAREA", u"#PAL", u"#FREQ"};
    for (size_t i = 0; i < 3; ++i) {
        ModeCombo[i] = new QComboBox(FramDX);
        setControlTag(ModeCombo[i], comboTags[i]);
    }
    FrmSeq = frame(WFrm, u"Sequence", u"SEQ");
    OptSeq[0] = make<QRadioButton>(FrmSeq, u"Fixed - from &begin", u"SQFIX");
    OptSeq[1] = make<QRadioButton>(FrmSeq, u"Fix - &continued", u"SQCNT");
    OptSeq[2] = make<QRadioButton>(FrmSeq, u"Random - in block", u"RNDBLK");
    OptSeq[3] = make<QRadioButton>(FrmSeq, u"&Random", u"RND");
    ChkSkipErr = make<QCheckBox>(WFrm, u"Skip &Errors", u"SKPE");
    FrmStp = frame(WFrm, u"Stop on:", u"STPO");
    ChkStopKey = make<QCheckBox>(FrmStp, u"&Keyboard Key", u"KKEY");
    ChkStopMove = make<QCheckBox>(FrmStp, u"&Mouse Move", u"MMOV");
    ChkStopClick = make<QCheckBox>(FrmStp, u"Mouse Click", u"MCLK");
    LabSpeed = make<QLabel>(WFrm, u"Speed:", u"SPEED");
    LabSpeed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TxtSpeed = make<QLineEdit>(WFrm, nullptr, u"#SPEED");
    LimLab = make<QLabel>(WFrm, u"Limits", u"LIM");
    ChkLin = make<QCheckBox>(WFrm, u"Active &tracks", u"ATRK");
    TxtLin = make<QLineEdit>(WFrm, nullptr, u"#ATRK");
    ChkLen = make<QCheckBox>(WFrm, u"Total &length", u"TLEN");
    TxtLen = make<QLineEdit>(WFrm, nullptr, u"#TLEN");
    ChkAvg = make<QCheckBox>(WFrm, u"&Processor load", u"PROC");
    TxtAvg = make<QLineEdit>(WFrm, nullptr, u"#PROC");
    CmdTst = make<QPushButton>(WFrm, u"&Test", u"TEST");
}

void CfgFrm::measureCaptions() {
    const QFont& f = cfgFont();
    auto widest = [&f](std::initializer_list<QWidget*> controls) {
        return GetMaxCaptionWidth(std::span<QWidget* const>(controls.begin(), controls.size()), f);
    };
    CfgCaptions c;
    c.toolButtons = widest({CmdStockList, CmdTestFull, CmdTestWindow});
    c.headerButtons = widest({CmdAbout, CmdHlp, CmdOk});
    c.testButton = widest({CmdTst});
    c.browseButton = widest({CmdBrw[0]});
    c.clearButton = widest({CmdClear});
    c.cacheOptions = widest({OptCache[0], OptCache[1], OptCache[2], OptCache[3], ChkBackup});
    c.drawMethods = widest({OptAlg[0], OptAlg[1], OptAlg[2], OptAlg[3], OptAlg[4], ChkAct});
    c.displayLabels = widest({ModeLabel[0], ModeLabel[1], ModeLabel[2]});
    c.sequenceStop =
        widest({OptSeq[0], OptSeq[1], OptSeq[2], OptSeq[3], ChkSkipErr, ChkStopKey, ChkStopMove, ChkStopClick});
    c.limitChecks = widest({ChkLin, ChkLen, ChkAvg});
    c.speedLabel = widest({LabSpeed});
    c.limitsLabel = widest({LimLab});
    metrics_.borderWidth = 0;  // placement sizes are client sizes; the menu bar lies inside them
    metrics_.borderHeight = MenuRowHeight();
    measureRows(f);
    widths_ = MeasureCfgCaptions(c, metrics_);
}

// The toolkit's controls are taller than a line of text and their marks wider than the twips
// figures allow: the rows take what the style asks for, so that no mark touches the next or a
// frame's line.
void CfgFrm::measureRows(const QFont& font) {
    const QFontMetricsF text(font);
    int32_t row = 0;
    int32_t mark = 0;
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             OptCache[0], OptCache[1], OptCache[2],  OptCache[3], ChkBackup, OptAlg[0], OptAlg[1], OptAlg[2],
             OptAlg[3],   OptAlg[4],   ChkAct,       OptSeq[0],   OptSeq[1], OptSeq[2], OptSeq[3], ChkSkipErr,
             ChkStopKey,  ChkStopMove, ChkStopClick, ChkLin,      ChkLen,    ChkAvg}) {
        const QSize wanted = b->sizeHint();
        const std::u16string caption = controlCaption(b).value_or(std::u16string());
        const double captionWidth = text.horizontalAdvance(toQString(caption));
        row = std::max(row, wanted.height());
        mark = std::max(mark, wanted.width() - static_cast<int32_t>(captionWidth));
    }
    metrics_.optionRow = row;
    metrics_.markRoom = mark;
    // A combo box keeps its own height when it is placed: the one its style asks for.
    int32_t combo = 0;
    for (QComboBox* c : {CmbFil[0], CmbFil[1], ModeCombo[0], ModeCombo[1], ModeCombo[2]})
        combo = std::max(combo, c->sizeHint().height());
    for (QComboBox* c : {CmbFil[0], CmbFil[1], ModeCombo[0], ModeCombo[1], ModeCombo[2]}) c->resize(c->width(), combo);
    metrics_.comboHeight = combo;
    const QRect captioned = groupContents(FrmCache);
    const QRect plain = groupContents(FramDX);
    metrics_.captionedTop = captioned.top() + 1;
    metrics_.plainTop = plain.top() + 1;
    metrics_.frameEdge = std::max(plain.left(), FramDX->width() - plain.right() - 1) + 1;
}

CfgLayout CfgFrm::currentLayout() const {
    CfgHeader header;
    for (size_t i = 0; i < 2; ++i) {
        header.pictureWidth[i] = cfgState().PictureWidths[i];
        header.pictureHeight[i] = Pic[i]->height();
    }
    const QSize title = LabN->sizeHint();
    header.titleWidth = title.width();
    header.titleHeight = title.height();
    header.helpHidden = cfgState().HelpHidden != 0;
    return LayoutCfg(widths_, metrics_, header, Client->width(), Client->height() + metrics_.statusBarHeight);
}

void CfgFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void CfgFrm::Form_Resize() {
    if (isMinimized() || widths_.MinDialogWidth == 0) return;
    if (layout() != nullptr) layout()->activate();
    const CfgLayout l = currentLayout();
    place(Shape1, l.shape1);
    for (size_t i = 0; i < 2; ++i) {
        Pic[i]->adjustSize();
        place(Pic[i], l.pic[i]);
    }
    LabN->adjustSize();
    place(LabN, l.title);
    place(CmdAbout, l.cmdAbout);
    place(CmdHlp, l.cmdHelp);
    place(CmdOk, l.cmdOk);

    place(Tab1Pane, l.tab1);
    const int barHeight = Tab1->sizeHint().height();
    Tab1->setGeometry(0, 0, l.tab1.w, barHeight);
    if (auto* body = Tab1Pane->findChild<QFrame*>(QStringLiteral("Tab1Body")))
        body->setGeometry(0, barHeight - 1, l.tab1.w, std::max(0, l.tab1.h - barHeight + 1));
    for (QWidget* page : {FFrm, WFrm, SFrm}) {
        place(page, l.pageFrame);
        page->raise();
    }

    for (size_t i = 0; i < 2; ++i) {
        LabF[i]->adjustSize();
        place(LabF[i], l.labF[i]);
        place(CmbFil[i], l.cmbFil[i]);
        place(CmdBrw[i], l.cmdBrw[i]);
    }
    place(ChkBackup, l.chkBackup);
    place(CmdStockList, l.cmdStockList);
    CmdStockList->show();
    place(CmdTestWindow, l.cmdTestWindow);
    place(CmdTestFull, l.cmdTestFull);
    place(FrmCache, l.frmCache);
    for (size_t i = 0; i < 4; ++i) place(OptCache[i], l.optCache[i]);
    place(CmdClear, l.cmdClear);

    place(FrmDraw, l.frmDraw);
    for (size_t i = 0; i < 5; ++i) place(OptAlg[i], l.optAlg[i]);
    place(FramDX, l.framDX);
    place(ChkAct, l.chkAct);
    for (size_t i = 0; i < 3; ++i) {
        place(ModeLabel[i], l.modeLabel[i]);
        place(ModeCombo[i], l.modeCombo[i]);
    }
    place(FrmSeq, l.frmSeq);
    for (size_t i = 0; i < 4; ++i) place(OptSeq[i], l.optSeq[i]);
    place(ChkSkipErr, l.chkSkipErr);
    place(FrmStp, l.frmStp);
    place(ChkStopKey, l.chkStopKey);
    place(ChkStopMove, l.chkStopMove);
    place(ChkStopClick, l.chkStopClick);
    place(LabSpeed, l.labSpeed);
    place(TxtSpeed, l.txtSpeed);
    place(LimLab, l.limLab);
    place(ChkLin, l.chkLin);
    place(TxtLin, l.txtLin);
    place(ChkLen, l.chkLen);
    place(TxtLen, l.txtLen);
    place(ChkAvg, l.chkAvg);
    place(TxtAvg, l.txtAvg);
    place(CmdTst, l.cmdTst);
    for (QComboBox* c : CmbFil) c->lineEdit()->setCursorPosition(c->lineEdit()->text().size());
}

void CfgFrm::closeEvent(QCloseEvent* event) {
    // The dialog leaves its slot, storing its placement; when it was the last window the
    // pending deferred action runs (normally the end of the program), whoever closed it.
    const bool heldSlot = programState().WindowTable[kSettingsSlot].window == this;
    if (heldSlot) CloseForm(kSettingsSlot);
    event->accept();
    if (heldSlot) {
        int16_t ignored = 0;
        UnloadWindow(ignored, 0);
    }
}

void CfgFrm::DrawMenuBar() {
    const LvWindowOps* ops = windowOps().table();
    ops->drawMenuBar(ops->context, reinterpret_cast<LvWindow>(static_cast<QWidget*>(this)));
}

void ShowCfg() {
    auto* cfg = new CfgFrm;
    cfg->Form_Load();
    if (programState().WindowTable[kSettingsSlot].window == cfg) cfg->show();
}

namespace {

CfgFrm* openDialog() { return dynamic_cast<CfgFrm*>(programState().WindowTable[kSettingsSlot].window); }

// The option and help menus' marks in the program's menus, and the open dialog's menu bar.
class CfgMenuView : public OptionMenuView {
public:
    void checkItem(LvHandle menu, int32_t identifier, bool on) override { windowOps().checkItem(menu, identifier, on); }
    void drawMenuBar() override {
        if (CfgFrm* cfg = openDialog()) cfg->DrawMenuBar();
    }
};

}  // namespace

void WireSettingsDialog() {
    upperCalls().scriptLink = [](int entry) {
        const SceneScript& s = scriptReader().S;
        if (entry < 1 || entry > std::min(s.LinkCount, kMaxHelpLinks)) return std::string();
        return plat::utf16ToUtf8(s.Links[static_cast<size_t>(entry)].Url);
    };
    static CfgMenuView menus;
    SetOptionMenuView(&menus);
}

}  // namespace yov
