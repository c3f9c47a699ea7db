// Files that scripts and stock files name are read only when they are plain files on disk.
// A device (/dev/zero never ends, /dev/tty waits for a key), a pipe (waits for a writer), a
// socket or a folder is refused without being read, and so is any file of the kernel's own
// file systems (/proc, /sys): they call themselves regular, yet their size says nothing of
// what reading them gives (/proc/self/mem is "0 bytes" and faults when read).
//
// Names here are resolved already (platform/paths resolves how Windows spells them).
#pragma once

#include <cstdint>
#include <string>

namespace plat {

enum class FileKind : uint8_t {
    Missing,     // no such file, or it cannot be looked at
    Regular,     // a plain file: it may be read
    NotRegular,  // something else: refused
};

// What the name designates, looked at without opening it.
FileKind fileKindOf(const std::string& path);

// Opens a regular file read-only, without ever waiting on what the name designates: 0 with
// the descriptor and size, ENOENT (or another errno value) when it cannot be opened, EISDIR
// for a folder, EINVAL for anything else that is not a regular file.
int openRegularFile(const std::string& path, int& fdOut, uint64_t& sizeOut);

}  // namespace plat
