#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"

namespace plat {
namespace {

using Components = std::vector<std::string>;

enum class Form {
    Relative,       // "a\b", "C:a"
    PosixAbsolute,  // "/a"
    Rooted,         // "\a"
    DriveAbsolute,  // "C:\a", UNC
};

struct ParsedName {
    Form form = Form::Relative;
    Components parts;
};

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && asciiUpper(s.substr(0, prefix.size())) == prefix;
}

Components splitComponents(std::string_view s) {
    Components parts;
    std::size_t from = 0;
    while (from <= s.size()) {
        std::size_t at = from;
        while (at < s.size() && !isPathSeparator(s[at])) ++at;
        if (at > from) parts.emplace_back(s.substr(from, at - from));
        from = at + 1;
    }
    return parts;
}

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

ParsedName parseName(std::string_view s) {
    ParsedName parsed;
    std::string unc;
    if (startsWithNoCase(s, "\\\\?\\") || startsWithNoCase(s, "\\\\.\\")) {
        s.remove_prefix(4);
        if (startsWithNoCase(s, "UNC\\")) {
            unc = "\\\\" + std::string(s.substr(4));
            s = unc;
        }
    }
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
        parsed.form = Form::DriveAbsolute;
        parsed.parts = splitComponents(s);
        const std::size_t drop = std::min<std::size_t>(2, parsed.parts.size());
        parsed.parts.erase(parsed.parts.begin(), parsed.parts.begin() + static_cast<long>(drop));
        return parsed;
    }
    if (s.size() >= 2 && isDriveLetter(s[0]) && s[1] == ':') {
        s.remove_prefix(2);
        parsed.form = (!s.empty() && isPathSeparator(s[0])) ? Form::DriveAbsolute : Form::Relative;
    } else if (!s.empty() && s[0] == '/') {
        parsed.form = Form::PosixAbsolute;
    } else if (!s.empty() && s[0] == '\\') {
        parsed.form = Form::Rooted;
    }
    parsed.parts = splitComponents(s);
    return parsed;
}

std::string joinDir(const std::string& dir, std::string_view part) {
    if (dir.empty()) return std::string(part);
    std::string out = dir;
    if (out.back() != '/') out += '/';
    out += part;
    return out;
}

std::optional<struct stat> statOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.empty() ? "." : path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

bool exists(const std::string& path) { return statOf(path).has_value(); }

bool isDirectory(const std::string& path) {
    auto st = statOf(path);
    return st && S_ISDIR(st->st_mode);
}

std::vector<std::string> listDirectory(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return names;
    while (const dirent* e = ::readdir(d)) {
        std::string_view n = e->d_name;
        if (n != "." && n != "..") names.emplace_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// The comparison key of a UTF-8 name, or nothing when the name is not valid
// UTF-8 (such names match only byte for byte).
std::optional<std::u16string> foldKey(std::string_view name) {
    std::u16string wide = utf8ToUtf16(name);
    if (utf16ToUtf8(wide) != name) return std::nullopt;
    return ucase(wide);
}

std::string withoutTrailingDotsAndBlanks(std::string_view part) {
    if (part == "." || part == "..") return std::string(part);
    std::size_t end = part.size();
    while (end > 0 && (part[end - 1] == '.' || part[end - 1] == ' ')) --end;
    return std::string(part.substr(0, end));
}

// Names in dir that may stand for part, best first: the exact name, then case
// variants in byte order, then variants of the name without trailing dots and
// blanks.
std::vector<std::string> candidates(const std::string& dir, const std::string& part) {
    std::vector<std::string> out;
    if (exists(joinDir(dir, part))) out.push_back(part);
    if (part == "." || part == "..") return out;

    const std::string trimmed = withoutTrailingDotsAndBlanks(part);
    const auto key = foldKey(part);
    const auto trimmedKey = trimmed.empty() ? std::nullopt : foldKey(trimmed);
    if (!key && !trimmedKey) return out;

    const std::vector<std::string> entries = listDirectory(dir);
    std::vector<std::string> loose;
    for (const std::string& entry : entries) {
        if (entry == part) continue;
        const auto entryKey = foldKey(entry);
        if (!entryKey) continue;
        if (key && *entryKey == *key)
            out.push_back(entry);
        else if (trimmedKey && *entryKey == *trimmedKey)
            loose.push_back(entry);
    }
    out.insert(out.end(), loose.begin(), loose.end());
    return out;
}

// Walks parts[i..] below dir; the path found or nothing. Every component but
// the last must be a folder; with lastMayBeMissing the last needs not exist.
std::optional<std::string> walk(const std::string& dir, const Components& parts, std::size_t i, bool lastMayBeMissing) {
    if (i == parts.size()) return dir;
    const bool last = i + 1 == parts.size();
    for (const std::string& name : candidates(dir, parts[i])) {
        const std::string path = joinDir(dir, name);
        if (last) return path;
        if (!isDirectory(path)) continue;
        if (auto found = walk(path, parts, i + 1, lastMayBeMissing)) return found;
    }
    if (last && lastMayBeMissing) {
        std::string spelled = withoutTrailingDotsAndBlanks(parts[i]);
        if (spelled.empty()) return std::nullopt;
        return joinDir(dir, spelled);
    }
    return std::nullopt;
}

std::optional<std::string> locateFrom(const std::string& root, const Components& parts, bool forCreate) {
    if (parts.empty()) {
        if (forCreate || !isDirectory(root)) return std::nullopt;
        return root.empty() ? std::string(".") : root;
    }
    if (!forCreate) {
        // The common case: the name is already spelled as on disk.
        std::string direct = root;
        for (const auto& part : parts) direct = joinDir(direct, part);
        if (exists(direct)) return direct;
    } else if (parts.size() == 1 && !isDirectory(root)) {
        return std::nullopt;
    }
    return walk(root, parts, 0, forCreate);
}

std::string baseFolder(std::string_view baseDir) {
    std::string base(baseDir);
    if (base.empty() || isDirectory(base)) return base;
    std::string resolved = resolvePath(baseDir, {});
    // Nothing found is no folder: "" would stand for the current directory.
    return !resolved.empty() && isDirectory(resolved) ? resolved : base;
}

std::string locate(std::string_view name, std::string_view baseDir, bool forCreate) {
    try {
        // A NUL would cut the name short at the system call and open another file.
        if (name.empty() || name.find('\0') != std::string_view::npos) return {};
        const ParsedName parsed = parseName(name);
        if (parsed.form == Form::PosixAbsolute || parsed.form == Form::Rooted) {
            if (auto found = locateFrom("/", parsed.parts, forCreate)) return *found;
            if (parsed.form == Form::PosixAbsolute) return {};
        }
        const std::string base = baseFolder(baseDir);
        if (parsed.form == Form::Relative || parsed.parts.empty()) {
            return locateFrom(base, parsed.parts, forCreate).value_or(std::string());
        }
        // Drive-absolute: the whole rest below the base folder, then shorter tails.
        for (std::size_t skip = 0; skip < parsed.parts.size(); ++skip) {
            const Components tail(parsed.parts.begin() + static_cast<long>(skip), parsed.parts.end());
            if (auto found = locateFrom(base, tail, forCreate)) return *found;
        }
        return {};
    } catch (...) {
        return {};
    }
}

}  // namespace

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

PathParts splitFilePath(std::string_view path) {
    PathParts parts;
    std::size_t cut = path.size();  // end of the name: before the extension's dot
    std::size_t i = path.size();
    while (i > 0) {
        const char c = path[i - 1];
        if (isPathSeparator(c)) {
            parts.dir = std::string(path.substr(0, i - 1));
            break;
        }
        if (c == '.' && cut == path.size()) {
            parts.ext = std::string(path.substr(i - 1));
            cut = i - 1;
        }
        --i;
    }
    parts.name = std::string(path.substr(i, cut - i));
    return parts;
}

std::string folderOf(std::string_view path) { return splitFilePath(path).dir; }

std::string fileNameOf(std::string_view path) {
    PathParts p = splitFilePath(path);
    return p.name + p.ext;
}

std::string baseNameOf(std::string_view path) { return splitFilePath(path).name; }
std::string extensionOf(std::string_view path) { return splitFilePath(path).ext; }

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || isPathSeparator(out.back())) return out + std::string(name);
    const bool backslashed = folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos;
    out += backslashed ? '\\' : '/';
    out += name;
    return out;
}

std::string resolvePath(std::string_view name, std::string_view baseDir) { return locate(name, baseDir, false); }

std::string resolveForCreate(std::string_view name, std::string_view baseDir) { return locate(name, baseDir, true); }

}  // namespace plat
