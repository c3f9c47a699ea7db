// The settings dialog's pages as the real widgets lay them out under the offscreen platform,
// at its smallest size and larger: no control overlaps another, every control of a framed
// group stays inside the frame below its caption, and no option or check box is cut below
// the size its style asks for (a mark cut to a line of text touches its neighbours).
// Rectangles, not pictures: they hold at any scale factor (ctest runs them at 125 % too).
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>

#include <string>
#include <vector>

#include "cfg_dialog_fixture.h"
#include "program/dialogs/cfg_layout.h"
#include "program/stock_data/stock_loading.h"
#include "program/ui/cfg_frm.h"

namespace {

std::string nameOf(const QWidget* w) {
    QString text;
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    text.remove(QLatin1Char('&'));
    return std::string(w->metaObject()->className()) + " \"" + text.toStdString() + "\"";
}

std::string rectText(const QRect& r) {
    return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ", " + std::to_string(r.width()) + " x " +
           std::to_string(r.height()) + ")";
}

// Where a framed group's controls may stand: inside its frame line, below its caption.
QRect contentsOf(const QGroupBox* g) {
    QStyleOptionGroupBox o;
    o.initFrom(g);
    o.text = g->title();
    o.lineWidth = 1;
    o.subControls = QStyle::SC_GroupBoxFrame | (g->title().isEmpty() ? QStyle::SC_None : QStyle::SC_GroupBoxLabel);
    o.textAlignment = g->alignment();
    return g->style()->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxContents, g);
}

// The faults of one container's visible children, and of every framed group inside it.
void collectFaults(const QWidget* container, std::vector<std::string>& faults) {
    std::vector<const QWidget*> shown;
    for (const QObject* o : container->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (w != nullptr && !w->isHidden() && !w->isWindow()) shown.push_back(w);
    }
    const auto* group = qobject_cast<const QGroupBox*>(container);
    const QRect inside = group != nullptr ? contentsOf(group) : QRect();
    for (size_t i = 0; i < shown.size(); ++i) {
        const QWidget* a = shown[i];
        for (size_t j = i + 1; j < shown.size(); ++j) {
            if (a->geometry().intersects(shown[j]->geometry()))
                faults.push_back(nameOf(a) + " " + rectText(a->geometry()) + " overlaps " + nameOf(shown[j]) + " " +
                                 rectText(shown[j]->geometry()));
        }
        if (group != nullptr && !inside.contains(a->geometry()))
            faults.push_back(nameOf(a) + " " + rectText(a->geometry()) + " crosses the frame of " + nameOf(group) +
                             ", inside " + rectText(inside));
        if (qobject_cast<const QRadioButton*>(a) != nullptr || qobject_cast<const QCheckBox*>(a) != nullptr) {
            const QSize wanted = a->sizeHint();
            if (a->width() < wanted.width() || a->height() < wanted.height())
                faults.push_back(nameOf(a) + " " + rectText(a->geometry()) + " is cut below its " +
                                 std::to_string(wanted.width()) + " x " + std::to_string(wanted.height()));
        }
        if (qobject_cast<const QGroupBox*>(a) != nullptr) collectFaults(a, faults);
    }
}

class CfgGroupLayout : public cfg_test::CfgDialogTest {
protected:
    void SetUp() override {
        CfgDialogTest::SetUp();
        yov::WireSettingsDialog();
        script_ = makeFile("scenes/Night.ttt");
        stock_ = makeFile("stock/Cars.stk", "CAR;;G;;car.gif\n");
        writeSettings("\"Conf01\"=\"@SCRIPT@\"\n\"Stock01\"=\"@STOCK@\"\n");
    }

    // The faults of every page at the window's current size.
    std::vector<std::string> pageFaults(yov::CfgFrm* cfg) {
        std::vector<std::string> faults;
        const struct {
            int tab;
            QWidget* page;
        } pages[] = {{0, cfg->FFrm}, {1, cfg->WFrm}, {2, cfg->WFrm}};
        for (const auto& p : pages) {
            selectTab(cfg, p.tab);
            std::vector<std::string> found;
            collectFaults(p.page, found);
            for (const std::string& f : found) faults.push_back(cfg->Tab1->tabText(p.tab).toStdString() + ": " + f);
        }
        return faults;
    }
};

TEST_F(CfgGroupLayout, NoControlOverlapsAnotherOrItsFrame) {
    yov::CfgFrm* cfg = open();
    ASSERT_NE(cfg, nullptr);
    const yov::CaptionWidths& w = cfg->captionWidths();
    const struct {
        const char* name;
        int width;
        int height;
    } sizes[] = {{"smallest", w.MinDialogWidth, w.MinDialogHeight}, {"800 x 600", 800, 600}, {"1200 x 900", 1200, 900}};
    for (const auto& s : sizes) {
        cfg->resize(s.width, s.height);
        runFor(30);
        for (const std::string& f : pageFaults(cfg)) ADD_FAILURE() << s.name << ": " << f;
    }
    keepPicture(cfg, "cfg_groups.png");
}

}  // namespace
