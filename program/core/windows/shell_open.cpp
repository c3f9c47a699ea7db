#include "program/core/windows/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/codepage.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

namespace {

constexpr std::array<std::string_view, 10> kDocumentSuffixes = {"htm", "html", "xhtml", "txt",  "pdf",
                                                                "gif", "png",  "jpg",   "jpeg", "bmp"};

LinkDecision refused(std::string reason) {
    LinkDecision d;
    d.reason = std::move(reason);
    return d;
}

std::string lower(std::string_view s) { return plat::asciiLower(s); }

// "http:", "mailto:" ... ; a single letter before the colon is a drive, not a scheme.
std::string schemeOf(std::string_view s) {
    const size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2) return {};
    if (std::isalpha(static_cast<unsigned char>(s[0])) == 0) return {};
    for (size_t i = 1; i < colon; ++i) {
        const char c = s[i];
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '+' && c != '-' && c != '.') return {};
    }
    return lower(s.substr(0, colon));
}

LinkDecision localDocument(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return refused("no such file");
    const QFileInfo target(info.canonicalFilePath());
    if (!target.isFile()) return refused("not a file");
    if (!target.isReadable()) return refused("not readable");
    if (target.isExecutable()) return refused("a program");
    // Both the name given and the file it leads to must be of a document kind.
    for (const QFileInfo* f : {&info, &target}) {
        const std::string suffix = lower(f->suffix().toStdString());
        if (std::find(kDocumentSuffixes.begin(), kDocumentSuffixes.end(), suffix) == kDocumentSuffixes.end())
            return refused("not a document");
    }
    LinkDecision d;
    d.kind = LinkKind::Document;
    d.url = QUrl::fromLocalFile(target.absoluteFilePath());
    return d;
}

bool hasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void reportRefused(std::string_view target) {
    std::u16string text =
        GetText(u"NOLINK", u"Not opened: only web pages, mail addresses and documents are opened.", 2);
    text += u"\r\n";
    text += QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())).toStdU16String();
    ShowMsgBox(text, msgbox::kOk);
}

}  // namespace

LinkDecision classifyLink(std::string_view raw) {
    const std::string_view target = trimmed(raw);
    if (target.empty()) return refused("empty address");
    if (hasControlCharacter(target)) return refused("control character in the address");
    const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
    const std::string scheme = schemeOf(target);

    if (scheme == "http" || scheme == "https") {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty()) return refused("not a valid web address");
        LinkDecision d;
        d.kind = LinkKind::Web;
        d.url = url;
        return d;
    }
    if (scheme == "mailto") {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || url.path().isEmpty()) return refused("not a valid mail address");
        LinkDecision d;
        d.kind = LinkKind::Mail;
        d.url = url;
        return d;
    }
    if (scheme == "file") {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || !url.isLocalFile()) return refused("not a local file");
        if (!url.host().isEmpty()) return refused("a file on another machine");
        return localDocument(url.toLocalFile());
    }
    if (!scheme.empty()) return refused("scheme \"" + scheme + "\" is not opened");

    const std::string found = plat::resolvePath(target);
    if (found.empty()) return refused("no such file");
    return localDocument(QString::fromStdString(found));
}

bool OpenWithShell(std::string_view target) {
    const LinkDecision d = classifyLink(target);
    if (d.kind == LinkKind::Refused) {
        reportRefused(target);
        return false;
    }
    desktop().openUrl(d.url);
    return true;
}

bool openDocumentAt(std::string_view path, const QString& anchor) {
    LinkDecision d = classifyLink(path);
    if (d.kind != LinkKind::Document) {
        reportRefused(path);
        return false;
    }
    if (!anchor.isEmpty()) d.url.setFragment(anchor);
    desktop().openUrl(d.url);
    return true;
}

bool SendMail(std::string_view address) { return OpenWithShell("mailto:" + std::string(address)); }

bool OpenWebLink(std::string_view target) {
    const LinkDecision d = classifyLink(target);
    if (d.kind != LinkKind::Web && d.kind != LinkKind::Mail) {
        reportRefused(target);
        return false;
    }
    return OpenWithShell(target);
}

bool OpenStoredAddress() {
    const std::u16string& doc = programState().files.DocFile;
    if (doc.empty()) return false;
    return OpenWithShell(plat::utf16ToUtf8(doc));
}

bool Desktop::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace yov
