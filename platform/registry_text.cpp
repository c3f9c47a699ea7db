#include "platform/registry_text.h"

#include <cstdint>
#include <optional>

#include "platform/text.h"

namespace plat {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHive = "HKEY_CURRENT_USER";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kHexLineWidth = 76;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHex(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        int d = hexDigitValue(c);
        if (d < 0) return std::nullopt;
        v = v << 4 | std::uint32_t(d);
    }
    return v;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && regNamesEqual(s.substr(0, prefix.size()), prefix);
}

// Physical lines with their numbers; CR before LF dropped.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    bool next(std::string_view& line) {
        if (rest_.empty()) return false;
        std::size_t nl = rest_.find('\n');
        line = rest_.substr(0, nl);
        rest_ = nl == std::string_view::npos ? std::string_view() : rest_.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

// Reads a quoted text at the start of s (which begins with the quote); on
// success s is left after the closing quote.
std::optional<std::string> readQuoted(std::string_view& s, std::string& why) {
    std::string out;
    std::size_t i = 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                why = "backslash not followed by \\ or \" inside quotes";
                return std::nullopt;
            }
            ++i;
            c = s[i];
        }
        out.push_back(c);
        ++i;
    }
    why = "missing closing quote";
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lines_(text) {}

    RegTextParse run() {
        std::string_view line;
        if (!lines_.next(line) || !isHeader(line)) {
            error(1, "not a REGEDIT4 file (first line must be \"REGEDIT4\")");
            return std::move(out_);
        }
        while (lines_.next(line)) {
            std::size_t at = lines_.number();
            std::string_view s = trimLeft(line);
            if (s.empty() || s.front() == ';') continue;
            std::string why;
            bool fine = s.front() == '[' ? keyLine(s, why) : valueLine(s, why);
            if (!fine) error(at, why);
        }
        return std::move(out_);
    }

private:
    static bool isHeader(std::string_view line) {
        if (line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
        return trimRight(line) == kHeader;
    }

    void error(std::size_t line, std::string reason) {
        if (out_.errors.size() < RegTextParse::kMaxReported)
            out_.errors.push_back(RegTextError{line, std::move(reason)});
        ++out_.errorCount;
    }

    bool keyLine(std::string_view s, std::string& why) {
        // Until a section parses, values have no home.
        current_ = nullptr;
        std::size_t close = s.rfind(']');
        if (close == std::string_view::npos || !trimLeft(s.substr(close + 1)).empty()) {
            why = "key line without closing ]";
            return false;
        }
        std::string_view path = s.substr(1, close - 1);
        if (!path.empty() && path.front() == '-') {
            why = "key deletion lines are not supported";
            return false;
        }
        std::size_t sep = path.find('\\');
        if (!regNamesEqual(path.substr(0, sep), kHive)) {
            why = "key outside HKEY_CURRENT_USER";
            return false;
        }
        std::string_view below = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
        if (sep != std::string_view::npos && below.empty()) {
            why = "empty key name";
            return false;
        }
        auto parts = splitKeyPath(below);
        if (!parts) {
            why = "invalid key name or key nested too deeply";
            return false;
        }
        current_ = &out_.root.findOrAdd(*parts);
        return true;
    }

    bool valueLine(std::string_view s, std::string& why) {
        if (!current_) {
            why = "value line outside a valid key";
            return false;
        }
        std::string name;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else if (s.front() == '"') {
            auto quoted = readQuoted(s, why);
            if (!quoted) return false;
            name = std::move(*quoted);
            if (!isValidValueName(name)) {
                why = "invalid value name";
                return false;
            }
        } else {
            why = "line is neither a key nor a value";
            return false;
        }
        s = trimLeft(s);
        if (s.empty() || s.front() != '=') {
            why = "missing = after the value name";
            return false;
        }
        s = trimLeft(s.substr(1));
        auto value = readData(s, why);
        if (!value) return false;
        current_->setValue(name, *value);
        return true;
    }

    std::optional<RegValue> readData(std::string_view s, std::string& why) {
        if (!s.empty() && s.front() == '"') {
            auto text = readQuoted(s, why);
            if (!text) return std::nullopt;
            if (!trimLeft(s).empty()) {
                why = "text after the closing quote";
                return std::nullopt;
            }
            return RegValue::string(*text);
        }
        if (startsWithNoCase(s, "dword:")) {
            auto n = parseHex(trimRight(s.substr(6)), 8);
            if (!n) {
                why = "dword: needs 1 to 8 hex digits";
                return std::nullopt;
            }
            return RegValue::dword(*n);
        }
        if (startsWithNoCase(s, "hex")) {
            s.remove_prefix(3);
            std::uint32_t type = kRegBinary;
            if (!s.empty() && s.front() == '(') {
                std::size_t close = s.find(')');
                auto t = close == std::string_view::npos ? std::nullopt : parseHex(s.substr(1, close - 1), 8);
                if (!t) {
                    why = "hex( needs a type of 1 to 8 hex digits and )";
                    return std::nullopt;
                }
                type = *t;
                s.remove_prefix(close + 1);
            }
            if (s.empty() || s.front() != ':') {
                why = "missing : after hex";
                return std::nullopt;
            }
            RegValue v{type, {}};
            if (!readHexList(s.substr(1), v.data, why)) return std::nullopt;
            return v;
        }
        why = s.empty() ? "missing value data" : "unknown value data";
        return std::nullopt;
    }

    // Bytes separated by commas; a line ending in "\" (after the comma that
    // separates it from the next byte) goes on on the next line.
    bool readHexList(std::string_view s, std::vector<std::uint8_t>& out, std::string& why) {
        for (;;) {
            s = trimRight(s);
            bool more = !s.empty() && s.back() == '\\';
            if (more) {
                s = trimRight(s.substr(0, s.size() - 1));
                if (!s.empty() && s.back() == ',') s.remove_suffix(1);
            }
            while (!s.empty()) {
                std::size_t comma = s.find(',');
                auto b = parseHex(trimRight(trimLeft(s.substr(0, comma))), 2);
                if (!b) {
                    why = "hex list item is not a byte";
                    return false;
                }
                out.push_back(static_cast<std::uint8_t>(*b));
                if (comma == std::string_view::npos) break;
                s = s.substr(comma + 1);
                if (s.empty()) {
                    why = "hex list ends with a comma";
                    return false;
                }
            }
            if (!more) return true;
            std::string_view next;
            if (!lines_.next(next)) {
                why = "hex list continues past the end of the file";
                return false;
            }
            s = trimLeft(next);
        }
    }

    LineReader lines_;
    RegTextParse out_;
    RegKeyNode* current_ = nullptr;
};

void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

bool quotable(const RegValue& v) {
    if (v.type != kRegSz || v.data.empty() || v.data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i)
        if (v.data[i] < 0x20 || v.data[i] == 0x7F) return false;
    return true;
}

void appendHexDigits(std::string& out, std::uint32_t v, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kDigits[(v >> shift) & 0xF]);
}

void appendValue(std::string& out, const RegNamedValue& nv) {
    std::size_t lineStart = out.size();
    if (nv.name.empty())
        out.push_back('@');
    else
        appendQuoted(out, nv.name);
    out.push_back('=');
    const RegValue& v = nv.value;
    if (quotable(v)) {
        appendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
    } else if (auto n = v.number()) {
        out += "dword:";
        appendHexDigits(out, *n, 8);
    } else {
        if (v.type == kRegBinary) {
            out += "hex:";
        } else {
            out += "hex(";
            int digits = 1;
            while (digits < 8 && (v.type >> (digits * 4)) != 0) ++digits;
            appendHexDigits(out, v.type, digits);
            out += "):";
        }
        for (std::size_t i = 0; i < v.data.size(); ++i) {
            appendHexDigits(out, v.data[i], 2);
            if (i + 1 == v.data.size()) break;
            out.push_back(',');
            if (out.size() - lineStart > kHexLineWidth) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
    out.push_back('\n');
}

void appendSection(std::string& out, std::string& path, const RegKeyNode& key) {
    out += '[';
    out += path;
    out += "]\n";
    for (const RegNamedValue& nv : key.values()) appendValue(out, nv);
    out.push_back('\n');
    for (const RegKeyNode& child : key.children()) {
        std::size_t keep = path.size();
        path += '\\';
        path += child.name();
        appendSection(out, path, child);
        path.resize(keep);
    }
}

}  // namespace

RegTextParse parseRegText(std::string_view text) { return Parser(text).run(); }

std::string formatRegText(const RegKeyNode& root) {
    std::string out(kHeader);
    out += "\n\n";
    std::string path(kHive);
    if (!root.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const RegNamedValue& nv : root.values()) appendValue(out, nv);
        out.push_back('\n');
    }
    for (const RegKeyNode& child : root.children()) {
        path.resize(kHive.size());
        path += '\\';
        path += child.name();
        appendSection(out, path, child);
    }
    return out;
}

}  // namespace plat
