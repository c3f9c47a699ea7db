#include "program/core/texts/localize.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QTabBar>
#include <QVariant>
#include <QWidget>

#include "program/core/texts/lang_texts.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

struct TagKeys {
    std::u16string caption;  // empty: the caption stays
    std::u16string base;     // the tool tip's key without "_TIP"
};

TagKeys splitTag(const std::u16string& tag) {
    const size_t hash = tag.find(u'#');
    if (hash == std::u16string::npos) return {tag, tag};
    std::u16string base = tag;
    base.erase(hash, 1);
    return {tag.substr(0, hash), base};
}

// The translated tool tip of a key, when the stock has one.
std::optional<std::u16string> translatedTip(const std::u16string& base) {
    const int32_t i = FindLangText(base + u"_TIP");
    if (i == 0) return std::nullopt;
    return PickLangText(programState().Arrays.LangTexts[i].Texts, u"");
}

void localizeTabs(QTabBar* bar) {
    for (int i = 0; i < bar->count(); ++i) {
        const std::u16string tag = bar->tabData(i).toString().toStdU16String();
        if (tag.empty()) continue;
        const TagKeys keys = splitTag(tag);
        if (!keys.caption.empty())
            bar->setTabText(i, toQString(LookupText(keys.caption, bar->tabText(i).toStdU16String())));
        if (auto tip = translatedTip(keys.base)) bar->setTabToolTip(i, toQString(*tip));
    }
}

}  // namespace

std::u16string controlTag(const QWidget* control) {
    if (control == nullptr) return {};
    return control->property(kTagProperty).toString().toStdU16String();
}

void setControlTag(QWidget* control, std::u16string_view tag) { control->setProperty(kTagProperty, toQString(tag)); }

std::optional<std::u16string> controlCaption(const QWidget* control) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(control)) return b->text().toStdU16String();
    if (const auto* l = qobject_cast<const QLabel*>(control)) return l->text().toStdU16String();
    if (const auto* g = qobject_cast<const QGroupBox*>(control)) return g->title().toStdU16String();
    return std::nullopt;
}

bool setControlCaption(QWidget* control, std::u16string_view caption) {
    if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        b->setText(toQString(caption));
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(toQString(caption));
    } else if (auto* g = qobject_cast<QGroupBox*>(control)) {
        g->setTitle(toQString(caption));
    } else {
        return false;
    }
    return true;
}

void LocalizeControl(QWidget* control) {
    const std::u16string tag = controlTag(control);
    if (tag.empty()) return;
    const TagKeys keys = splitTag(tag);
    // Captions keep their "&" access keys; a control without a caption still takes its tip.
    if (!keys.caption.empty()) {
        if (auto present = controlCaption(control)) setControlCaption(control, LookupText(keys.caption, *present));
    }
    if (auto tip = translatedTip(keys.base)) control->setToolTip(toQString(*tip));
}

void LocalizeForm(QWidget* window) {
    if (window == nullptr) return;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        LocalizeControl(control);
        if (auto* bar = qobject_cast<QTabBar*>(control)) localizeTabs(bar);
    }
    const std::u16string tag = controlTag(window);
    if (tag.empty()) return;
    const std::u16string caption = GetText(tag, window->windowTitle().toStdU16String(), kTextStemOnly);
    window->setWindowTitle(toQString(FoldCaptionLines(caption)));
}

std::u16string FoldCaptionLines(std::u16string_view caption) {
    std::u16string s(caption);
    size_t p = s.find(u"\r\n", 1);
    while (p != std::u16string::npos) {
        if (s[p - 1] == u'-') {
            s.erase(p - 1, 3);
            p = s.find(u"\r\n", std::max<size_t>(p - 1, 1));
        } else {
            s.replace(p, 2, u" ");
            p = s.find(u"\r\n", p + 1);
        }
    }
    return s;
}

}  // namespace yov
