// The About window (slot 31): the program's title between two vehicle pictures on a band,
// the version, a notice, the makers' mail and home page, and a pane of credits whose
// author lines carry live mail and home-page links.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

#include <array>
#include <cstdint>

#include "program/dialogs/about_credits.h"
#include "program/dialogs/about_layout.h"

namespace yov {

class AboutWindow : public QWidget {
public:
    AboutWindow();
    ~AboutWindow() override;

    QFrame Shape1;
    QLabel Pic1, Pic2, Label1, Pic3;
    std::array<QLabel*, 4> Lab{};
    QPushButton Command1;
    QFrame Line1;
    QTextEdit Txt;

    int32_t LeftPicWidth = 0, RightPicWidth = 0;
    int32_t HoverLine = 0;
    CreditLink HoverKind = CreditLink::None;
    CreditLink ShownKind = CreditLink::None;

    const Credits& credits() const { return credits_; }
    const CreditsSources& sources() const { return sources_; }
    const AboutPlaces& places() const { return places_; }

    void Form_Load();
    void Form_Resize();
    // The credits position (CR LF counted as two) of a point over the pane.
    int32_t CreditsPositionAt(QPoint panePoint) const;
    void FindItem(QPoint panePoint);
    void Txt_MouseMove(QPoint panePoint);
    void Txt_MouseDown(QPoint panePoint);
    void Lab_Click(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendCredits();
    void fillGround();

    Credits credits_;
    CreditsSources sources_;
    AboutPlaces places_;
    QPixmap railTile_;
};

// The credits sources of what is loaded now: the script's info text and flags, the
// languages with translators, the authors and the stock's author numbers.
CreditsSources CurrentCreditsSources();

// Shows the About window modally; a new window each time, so the credits follow what is
// loaded at that moment.
void ShowAboutWindow();

// Puts ShowAboutWindow into the shared windows' hooks (command 4113).
void WireAbout();

}  // namespace yov
