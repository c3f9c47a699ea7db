#include "program/core/startup/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/codepage.h"

namespace yov {

namespace {

constexpr long kMaxSaverSpeed = 100;

bool needsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(" \t") != std::string::npos;
}

bool isOption(const std::string& argument, const char* name) {
    return argument == std::string("-") + name || argument == std::string("--") + name;
}

}  // namespace

uintptr_t ParseWindowId(const std::string& text) {
    if (text.empty()) return 0;
    errno = 0;
    char* end = nullptr;
    const unsigned long long id = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') return 0;
    return static_cast<uintptr_t>(id);
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const char* saverWindowEnv) {
    CommandLine line;
    std::vector<std::string> rest;
    bool saverOptions = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (isOption(a, "root")) {
            line.saver = true;
            line.saverRoot = true;
        } else if (isOption(a, "window-id") && hasValue) {
            line.saver = true;
            line.saverWindow = ParseWindowId(arguments[++i]);
        } else if (isOption(a, "script") && hasValue) {
            saverOptions = true;
            line.saverScript = plat::utf8ToUtf16(arguments[++i]);
        } else if (isOption(a, "stock") && hasValue) {
            saverOptions = true;
            line.saverStock = plat::utf8ToUtf16(arguments[++i]);
        } else if (isOption(a, "speed") && hasValue) {
            saverOptions = true;
            char* end = nullptr;
            const long speed = std::strtol(arguments[++i].c_str(), &end, 10);
            line.saverSpeed = static_cast<int32_t>(std::clamp(speed, 1L, kMaxSaverSpeed));
        } else {
            rest.push_back(a);
        }
    }
    if (!line.saver && rest.empty() && saverWindowEnv != nullptr && *saverWindowEnv != '\0') {
        line.saver = true;
        line.saverWindow = ParseWindowId(saverWindowEnv);
    }
    if (line.saver) {
        // The daemon's own window, when it names one, is where the show goes even with -root.
        if (line.saverWindow == 0 && saverWindowEnv != nullptr) line.saverWindow = ParseWindowId(saverWindowEnv);
        line.saverRoot = line.saverWindow == 0;
        line.text = u"/s";
        return line;
    }
    // Without the convention the screen saver's options are arguments like any other.
    if (saverOptions) rest = arguments;
    line.saverScript.clear();
    line.saverStock.clear();
    line.saverSpeed = 0;
    std::string text;
    for (const std::string& a : rest) {
        if (!text.empty()) text += ' ';
        text += needsQuotes(a) ? '"' + a + '"' : a;
    }
    line.text = plat::utf8ToUtf16(text);
    return line;
}

}  // namespace yov
