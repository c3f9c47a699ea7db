#include "program/core/windows/context_help.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWhatsThis>
#include <QWidget>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/settings/settings.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/shell_open.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

namespace {

// Help pages are small; a larger file is opened at its top without looking for anchors.
constexpr qint64 kMaxScannedPage = 8 * 1024 * 1024;

// Flags of the help-file dialog: help files, open, starting in the program folder.
constexpr int32_t kHelpFileDialogFlags = 0x8030;

QString anchorName(int32_t topic) { return QStringLiteral("topic%1").arg(topic); }

bool pageHasAnchor(const QString& path, const QString& anchor) {
    QFile f(path);
    if (f.size() > kMaxScannedPage || !f.open(QIODevice::ReadOnly)) return false;
    const QByteArray page = f.readAll();
    const QByteArray name = anchor.toUtf8();
    for (const char* attr : {"id=\"", "name=\"", "id='", "name='"}) {
        const char quote = attr[qstrlen(attr) - 1];
        if (page.contains(QByteArray(attr) + name + quote)) return true;
    }
    return false;
}

void reportNoHelp() { ShowMsgBox(GetText(u"NOHELP", u"Help is not available.", 2), msgbox::kOk); }

void openTopicOf(QWidget* window, int32_t topic) {
    if (topic != 0) ShowHelpTopic(window, topic);
}

void chooseHelpFile() {
    std::u16string chosen;
    if (!GetFileFilter(u"SHLP", kHelpFileDialogFlags, chosen) || chosen.empty()) return;
    helpFiles().HelpFile = chosen;
    // One name for this setting wherever it is read or written: the code, then "Hlp".
    SaveRegString(CurrentLanguageCode() + u"Hlp", chosen);
}

void openScriptLink(int32_t code) {
    const int entry = code & 31;
    if (entry >= help_cmd::kScriptLinkCount || upperCalls().scriptLink == nullptr) return;
    const std::string address = upperCalls().scriptLink(entry);
    if (!address.empty()) OpenWithShell(address);
}

}  // namespace

std::string homePageAddress() { return plat::utf16ToUtf8(GetRegString(u"HomePage")); }

int32_t helpIdOf(const QWidget* widget) {
    if (widget == nullptr) return 0;
    bool ok = false;
    const int id = widget->property(kHelpIdProperty).toInt(&ok);
    return ok ? id : 0;
}

int32_t activeHelpId(QWidget* window) {
    if (window == nullptr) return 0;
    const int32_t control = helpIdOf(window->focusWidget());
    return control != 0 ? control : helpIdOf(window);
}

QUrl helpTopicUrl(std::u16string_view helpFile, int32_t topic) {
    if (helpFile.empty()) return {};
    const std::string found = plat::resolvePath(plat::utf16ToUtf8(helpFile));
    if (found.empty()) return {};
    const QFileInfo info(QString::fromStdString(found));
    const QString suffix = info.suffix().toLower();
    if (!info.isFile() || !info.isReadable() || (suffix != u"htm" && suffix != u"html")) return {};
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (topic > 0 && pageHasAnchor(info.absoluteFilePath(), anchorName(topic))) url.setFragment(anchorName(topic));
    return url;
}

void ShowHelpTopic(QWidget* /*window*/, int32_t topic) {
    const QUrl url = helpTopicUrl(helpFiles().HelpFile, topic);
    if (url.isEmpty()) {
        reportNoHelp();
        return;
    }
    openDocumentAt(url.toLocalFile().toStdString(), url.fragment());
}

bool ShowContextHelp(int32_t code, QWidget* window, int32_t menuItemId) {
    using namespace help_cmd;
    if (code >= kFirstScriptLink && code <= kLastScriptLink) {
        openScriptLink(code);
        return true;
    }
    switch (code) {
    case kContents: ShowHelpTopic(window, kContentsTopic); return true;
    case kFinder: ShowHelpTopic(window, 0); return true;
    case kActiveControl:
    case kKeyF1: openTopicOf(window, activeHelpId(window)); return true;
    case kWindowTopic:
    case kKeyAltF1:
    case kWindowTopic2:
    case kKeyCtrlF1: openTopicOf(window, helpIdOf(window)); return true;
    case kWhatsThis:
    case kKeyShiftF1: QWhatsThis::enterWhatsThisMode(); return true;
    case kMenuItem:
        if (menuItemId >= 1 && menuItemId <= 16383) ShowHelpTopic(window, kMenuTopicBase + menuItemId);
        return true;
    case kChooseHelpFile: chooseHelpFile(); return true;
    case kDocumentation: OpenStoredAddress(); return true;
    case kAbout:
        if (upperCalls().showAbout != nullptr) upperCalls().showAbout();
        return true;
    case kHomePage: {
        const std::string home = homePageAddress();
        if (!home.empty())
            OpenWithShell(home);
        else
            OpenStoredAddress();
        return true;
    }
    default: return false;
    }
}

}  // namespace yov
