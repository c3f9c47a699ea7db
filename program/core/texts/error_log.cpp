#include "program/core/texts/error_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/codepage.h"
#include "platform/file_replace.h"
#include "platform/datetime.h"
#include "platform/paths.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/window_parts.h"

namespace yov {

namespace {

bool writeAll(int fd, const std::string& bytes) { return plat::writeAll(fd, bytes.data(), bytes.size()); }

}  // namespace

std::u16string errorLogFile() {
    const ProgramState& st = programState();
    if (!st.files.ErrorLogPath.empty()) return st.files.ErrorLogPath;
    std::string folder = plat::utf16ToUtf8(st.files.TempDir);
    if (folder.empty()) {
        std::error_code ec;
        folder = std::filesystem::temp_directory_path(ec).string();
        if (ec || folder.empty()) folder = "/tmp";
    }
    return plat::utf8ToUtf16(plat::joinPath(folder, plat::utf16ToUtf8(kErrorLogName)));
}

void BeginShowLog() noexcept {
    ProgramState& st = programState();
    st.log.LogShowBytes = 0;
    st.log.LogShowFull = 0;
}

void WriteErrorLog(std::u16string_view line) noexcept {
    try {
        ProgramState& st = programState();
        const bool inShow = st.run.RunFlags != 0;
        if (inShow && st.log.LogShowFull != 0) return;
        std::u16string text(line);
        if (inShow && st.log.LogShowBytes + static_cast<int64_t>(text.size()) + 2 > kShowLogLimit) {
            st.log.LogShowFull = 1;
            text = u"This show has written " + plat::utf8ToUtf16(std::to_string(kShowLogLimit / 1024)) +
                   u" KiB to the error log: its further messages are left out";
        }
        const std::string file = plat::utf16ToUtf8(errorLogFile());
        std::string bytes;
        int mode = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
        if (st.log.LogStarted == 0) {
            const std::string stamp = plat::formatLogStamp(st.road.StartTime);
            struct stat info {};
            if (::stat(file.c_str(), &info) == 0 && info.st_size > kErrorLogLimit) {
                mode = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
                bytes = "Error file truncated at " + stamp + "\r\n";
            } else {
                bytes = "Rolvane started at " + stamp + "\r\n";
            }
        }
        bytes += plat::utf16ToUtf8(text);
        bytes += "\r\n";
        if (inShow) st.log.LogShowBytes += static_cast<int64_t>(bytes.size());
        const int fd = ::open(file.c_str(), mode, 0644);
        if (fd >= 0) {
            writeAll(fd, bytes);
            ::close(fd);
        }
        st.log.LogStarted = 1;
        if (st.run.RunMode == 14) windowParts().appendToLogView(text);
    } catch (...) {
        // The log is the last resort for reporting; a failure here has nowhere left to go.
    }
}

}  // namespace yov
