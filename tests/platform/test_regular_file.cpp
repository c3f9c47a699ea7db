// Only plain files on disk are read: devices, pipes, sockets, folders and the kernel's own
// files are refused, looked at without opening and without waiting.
#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/scratch_dir.h"

namespace {

TEST(RegularFile, WhatMayBeReadAndWhatIsRefused) {
    testutil::ScratchDir dir;
    {
        std::ofstream(dir.File("plain.ttt")) << "C=E40\n";
        std::ofstream(dir.File("empty.ttt"));
    }
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.File("plain.ttt"), dir.File("link.ttt"));
    std::filesystem::create_symlink("/dev/zero", dir.File("zero.ttt"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string socketPath = dir.File("socket");
    ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
    std::strcpy(addr.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);

    using plat::FileKind;
    const struct {
        const char* name;
        std::string path;
        FileKind kind;
        int openError;  // of openRegularFile
        uint64_t size;
    } cases[] = {
        {"a plain file", dir.File("plain.ttt"), FileKind::Regular, 0, 6},
        {"an empty file", dir.File("empty.ttt"), FileKind::Regular, 0, 0},
        {"a link to a plain file", dir.File("link.ttt"), FileKind::Regular, 0, 6},
        {"nothing", dir.File("none.ttt"), FileKind::Missing, ENOENT, 0},
        {"an empty name", "", FileKind::Missing, ENOENT, 0},
        {"a folder", dir.Path(), FileKind::NotRegular, EISDIR, 0},
        {"a device that never ends", "/dev/zero", FileKind::NotRegular, EINVAL, 0},
        {"a link to a device", dir.File("zero.ttt"), FileKind::NotRegular, EINVAL, 0},
        {"a pipe nobody writes to", dir.File("pipe"), FileKind::NotRegular, EINVAL, 0},
        {"a socket", socketPath, FileKind::NotRegular, EINVAL, 0},
        {"the process's memory", "/proc/self/mem", FileKind::NotRegular, EINVAL, 0},
        {"a kernel text that calls itself regular", "/proc/self/status", FileKind::NotRegular, EINVAL, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::fileKindOf(c.path), c.kind);
        int fd = -1;
        uint64_t size = 99;
        EXPECT_EQ(plat::openRegularFile(c.path, fd, size), c.openError);
        if (c.openError == 0) {
            EXPECT_GE(fd, 0);
            EXPECT_EQ(size, c.size);
            char byte = 0;
            EXPECT_EQ(::read(fd, &byte, 1), c.size > 0 ? 1 : 0) << "opened to block as usual";
            ::close(fd);
        } else {
            EXPECT_EQ(fd, -1);
        }
    }
    ::close(sock);
}

}  // namespace
