// The program's one file dialog, offering the file kinds its flags choose.
//
// Flags: 0x800 and up choose file kinds (see BuildFileFilter); the low three bits the
// variant (0 open, 1 save, 2 open, 3 save asking before overwriting, 4 open several,
// 5 save with several names; all but the save variants want existing files; 6 and 7 are
// taken as 0); 0x08 a cancel raises error 6009; 0x30 the start folder (0x10 stock,
// 0x20 scene script, 0x30 program; 0 keeps the last one); 0x40 start at the last file;
// 0x80 the title is the text itself, not a text key; 0x04 also leaves the last file
// unchanged. The chosen path comes back as the file system spells it (0x100, which asked
// for upper- instead of lower-casing it, changes nothing here).
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

#include "program/core/startup/installed.h"

namespace yov {

// The filter in the dialog's "description|patterns|..." form, in the table's order, for
// every kind whose bit is set, without the final "|". Descriptions are the texts of the
// kinds' keys.
std::u16string BuildFileFilter(int32_t flags);

// The same filter as Qt's name filters: "Description (*.gif *.bmp)".
QStringList qtNameFilters(std::u16string_view filter);

struct FileDialogRequest {
    bool save = false;
    bool multiple = false;
    bool confirmOverwrite = false;
    QString title;
    QStringList nameFilters;
    QString directory;      // the start folder; empty keeps the dialog's own
    QString fileName;       // preselected name; empty for none
    QString defaultSuffix;  // save dialogs: added to a name without extension
};

// Shows the file dialog of a request: the chosen files, none when cancelled. Tests answer in
// its place without a window (`ScopedInstall<FileDialogs>`).
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QStringList choose(const FileDialogRequest& request);
};

inline FileDialogs& fileDialogs() { return *Installed<FileDialogs>(); }

// The request GetFileFilter makes for a title and flags (also updates the remembered
// start folder as the dialog would).
FileDialogRequest fileDialogRequest(std::u16string_view title, int32_t flags);

// Shows the dialog; true with the chosen path (several names: the folder, then each name,
// separated by NUL characters). A cancel gives false and "" or, with flag 0x08, raises
// error 6009. The path is split into the last file unless flag 0x04 is set.
bool GetFileFilter(std::u16string_view title, int32_t flags, std::u16string& path);

}  // namespace yov
