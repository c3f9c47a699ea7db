// File names as scripts and stock files written on Windows spell them, found on
// Linux. Names are UTF-8. Keep the user's spelling for display and keys, and
// resolve only when opening.
//
// How a name is read ("\" and "/" both separate; empty components are dropped):
//   "/a/b"          POSIX absolute.
//   "\a\b"          rooted without a drive: tried as "/a/b" first, then like "C:\a\b".
//   "C:\a\b"        drive letter dropped, the rest relative to the base folder; when
//                   that does not exist, ever shorter tails of it are tried in the base
//                   folder ("b" last), so a tree copied off a Windows disk is found.
//   "\\srv\share\a" UNC: server and share dropped, then like "C:\a".
//   "\\?\C:\a", "\\.\C:\a", "\\?\UNC\srv\share\a": the prefix is dropped first.
//   "C:a", "a\b"    relative to the base folder (the current directory when empty).
// Each component is matched exactly when that name exists, else without regard to
// case (the helpers of text.h: ASCII, Latin-1, Latin Extended-A); among several
// case variants the one first in byte order wins, and a later dead end backtracks
// to the next. As Windows does, trailing dots and blanks of a requested component
// are ignored when nothing matches with them. Directory entries that are not valid
// UTF-8 match only exactly.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The pieces of a path, split at its last separator and the last dot after it,
// spelling kept: "C:\a.b\pic.gif" -> dir "C:\a.b", name "pic", ext ".gif".
struct PathParts {
    std::string dir;   // without the trailing separator; empty without separator
    std::string name;  // without extension
    std::string ext;   // with its dot, or empty
};
PathParts splitFilePath(std::string_view path);

std::string folderOf(std::string_view path);     // PathParts::dir
std::string fileNameOf(std::string_view path);   // name and extension
std::string baseNameOf(std::string_view path);   // name without extension
std::string extensionOf(std::string_view path);  // with its dot

// folder + separator + name. The separator is "\" when the folder is spelled with
// "\" only, else "/"; none is added when the folder is empty or ends in one.
std::string joinPath(std::string_view folder, std::string_view name);

bool isPathSeparator(char c);

// An existing file or folder for name, or "" when there is none. baseDir is the
// folder of the referring file; it may itself be spelled loosely. Never throws.
std::string resolvePath(std::string_view name, std::string_view baseDir = {});

// Where to write name: its folder resolved as above (it must exist), the last
// component matched to an existing entry when there is one, else kept as spelled
// (without trailing dots and blanks). "" when the folder cannot be found.
std::string resolveForCreate(std::string_view name, std::string_view baseDir = {});

}  // namespace plat
