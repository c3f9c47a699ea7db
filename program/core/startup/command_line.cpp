#include "program/core/startup/command_line.h"

#include <cerrno>
#include <cstdlib>

#include "platform/codepage.h"

namespace yov {

namespace {

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
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (isOption(a, "root")) {
      line.saver = true;
      line.saverRoot = true;
    } else if (isOption(a, "window-id") && i + 1 < arguments.size()) {
      line.saver = true;
      line.saverWindow = ParseWindowId(arguments[++i]);
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
  std::string text;
  for (const std::string& a : rest) {
    if (!text.empty()) text += ' ';
    text += needsQuotes(a) ? '"' + a + '"' : a;
  }
  line.text = plat::utf8ToUtf16(text);
  return line;
}

}  // namespace yov
