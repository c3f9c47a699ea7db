// Opening documents, web pages and mail through the desktop.
//
// Link addresses come from stock and script files, which anybody may write, so only web
// pages (http, https), mail (mailto) and local documents are handed to the desktop. A
// local document is an existing readable file of a document kind (pages, text, PDF,
// pictures) without execute permission. Anything else (a program, a script, another
// scheme such as javascript: or smb:) is refused with a message naming the address.
#pragma once

#include <string>
#include <string_view>

#include <QUrl>

#include "program/core/startup/installed.h"

namespace yov {

enum class LinkKind { Web, Mail, Document, Refused };

struct LinkDecision {
    LinkKind kind = LinkKind::Refused;
    QUrl url;            // what the desktop is given; empty when refused
    std::string reason;  // why it was refused (English, for the log and tests)
};

// How an address would be opened. Paths may be spelled as on Windows.
LinkDecision classifyLink(std::string_view target);

// Has the desktop open a web page, mail address or local document. A refused target is
// reported in a message box; a desktop that fails to open an allowed one is not reported.
// True when the target was handed to the desktop.
bool OpenWithShell(std::string_view target);

// Opens a local document at an anchor (empty: the top), refusing as OpenWithShell does.
bool openDocumentAt(std::string_view path, const QString& anchor);

// OpenWithShell("mailto:" & address).
bool SendMail(std::string_view address);

// A web page or mail address only (http, https, mailto), refused as OpenWithShell refuses
// otherwise: links that stock files give (authors' home pages and mail) never open a
// local file.
bool OpenWebLink(std::string_view target);

// Opens the local documentation page found at start-up, when there is one.
bool OpenStoredAddress();

// Where an address the program accepted goes: the desktop (QDesktopServices::openUrl). Tests
// put a recorder in its place (`ScopedInstall<Desktop>`).
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl& url);
};

inline Desktop& desktop() { return *Installed<Desktop>(); }

}  // namespace yov
