// Finding the help pages, the script documentation and the temporary folder at start-up.
#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "program/core/windows/context_help.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/program_resources.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup.h"

namespace yov {

namespace {

const std::u16string kNotFound(1, u'\1');

std::u16string join(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'/' && path.back() != u'\\') path += u'/';
    return path + std::u16string(name);
}

// Whether the folder holds the page, in any letter case. The page is looked for in that folder
// only: a missing page resolved as a whole path would list every folder above it, for each
// place and page, to find folders of another spelling holding it.
bool pageInFolder(std::u16string_view folder, std::u16string_view page) {
    const std::string found = plat::resolvePath(plat::utf16ToUtf8(page), plat::utf16ToUtf8(folder));
    if (found.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(found, ec)) return false;
    const std::uintmax_t size = std::filesystem::file_size(found, ec);
    return !ec && size > 10;
}

bool isFolder(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

bool FileExistsMin(std::u16string_view path, int64_t minimum) {
    if (path.empty()) return false;
    const std::string found = plat::resolvePath(plat::utf16ToUtf8(path));
    if (found.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(found, ec)) return false;
    const std::uintmax_t size = std::filesystem::file_size(found, ec);
    return !ec && static_cast<int64_t>(size) > minimum;
}

std::u16string ProgramHome() { return ProgramHomeOf(programFolder()); }

std::u16string ProgramHomeOf(const std::string& exe) {
    std::vector<std::filesystem::path> candidates;
    if (!exe.empty()) {
        candidates.emplace_back(exe);
        candidates.emplace_back(std::filesystem::path(exe) / "..");
        candidates.emplace_back(std::filesystem::path(exe) / ".." / "share" / "yov");
    }
    candidates.emplace_back(YOV_SOURCE_DIR);
    std::error_code ec;
    for (const std::filesystem::path& c : candidates) {
        if (std::filesystem::is_directory(c / "doc", ec)) {
            const std::filesystem::path home = std::filesystem::weakly_canonical(c, ec);
            return plat::utf8ToUtf16((ec ? c : home).string());
        }
    }
    return plat::utf8ToUtf16(exe);
}

std::u16string HelpPageName(std::u16string_view helpFile) {
    std::u16string name(helpFile);
    if (name.size() >= 4 && plat::equalsNoCase(std::u16string_view(name).substr(name.size() - 4), u".hlp"))
        name.replace(name.size() - 4, 4, u".htm");
    return name;
}

std::u16string FindHelpFile(std::u16string_view fileName, std::u16string_view settingName, int index) {
    ProgramState& ms = programState();
    const ProgramState& st = programState();
    std::u16string& found = ms.files.HelpPath[static_cast<size_t>(index)];
    const std::u16string stored = GetRegString(settingName, u"");
    if (!stored.empty() && FileExistsMin(stored, 10)) {
        found = stored;
        return stored;
    }
    const std::u16string page = HelpPageName(fileName);
    const std::u16string home = ProgramHome();
    std::vector<std::u16string> places{join(home, u"doc")};
    const bool stockElsewhere = !st.scene.StockDir.empty() && !plat::equalsNoCase(st.scene.StockDir, home);
    if (stockElsewhere) places.push_back(st.scene.StockDir);
    if (!st.scene.ConfigDir.empty() && !plat::equalsNoCase(st.scene.ConfigDir, home) &&
        !(stockElsewhere && plat::equalsNoCase(st.scene.ConfigDir, st.scene.StockDir)))
        places.push_back(st.scene.ConfigDir);
    places.push_back(ms.files.WinDir);
    places.push_back(ms.files.SysDir);
    for (const std::u16string& folder : places) {
        if (pageInFolder(folder, page)) {
            const std::u16string p = join(folder, page);
            SaveRegString(settingName, p);
            found = p;
            return p;
        }
    }
    found = kNotFound;
    return {};
}

void SelectLanguage() {
    ProgramState& st = programState();
    ProgramState& ms = programState();
    SharedState& sh = st.Shared;
    const SharedArrays& a = st.Arrays;
    sh.CurrentLanguage = 0;
    const int32_t count = sh.LanguageCount;
    if (count > 1) {
        const std::u16string code = GetRegString(u"Lang", u"E");
        for (int32_t i = 1; i <= count && a.Languages.has(i); ++i) {
            if (a.Languages[i].Code == code) {
                sh.CurrentLanguage = static_cast<uint8_t>(i);
                break;
            }
        }
    }
    if (sh.CurrentLanguage == 0 && count >= 1) sh.CurrentLanguage = 1;
    const std::u16string code =
        sh.CurrentLanguage != 0 && a.Languages.has(sh.CurrentLanguage) ? a.Languages[sh.CurrentLanguage].Code : u"";

    // One name for the chosen help file wherever it is read or written: the code, then "Hlp".
    const std::u16string chosen = GetRegString(code + u"Hlp", u"");
    if (!chosen.empty() && FileExistsMin(chosen, 10)) {
        helpFiles().HelpFile = chosen;
        return;
    }
    const int k = code == u"E" ? 1 : code == u"G" ? 2 : 0;
    if (k == 0) return;
    std::u16string& path = ms.files.HelpPath[static_cast<size_t>(k)];
    if (path.empty()) FindHelpFile(u"rolvane" + code + u".hlp", code + u"Help", k);
    if (path != kNotFound && !path.empty()) helpFiles().HelpFile = path;
}

std::u16string SearchTempDir() {
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (isFolder(value)) return plat::utf8ToUtf16(value);
    }
    return u"/tmp";
}

}  // namespace yov
