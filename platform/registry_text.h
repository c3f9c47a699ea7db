// The registry file's text: the REGEDIT4 export format, limited to the
// HKEY_CURRENT_USER hive.
//
// Choices where the format is loose, made once here:
// - A REG_SZ is written in quotes (only "\" and the double quote escaped, the
//   bytes otherwise as stored, so UTF-8 text stays readable) when its data is
//   text plus one terminating zero with no control character inside. Any other
//   REG_SZ (newlines, tabs, inner zeros, no terminator) is written as
//   hex(1): with its exact bytes, so every string survives byte for byte.
// - REG_DWORD of four bytes as dword:xxxxxxxx, REG_BINARY as hex:, any other
//   type or size as hex(type):.
// - Keys come out sorted by their folded names, values in the order they were
//   first set; a hex list wraps after ",\" with a two-space indent.
// - The reader accepts what the writer makes plus blank lines, ";" comments,
//   CR LF line ends, a UTF-8 byte-order mark and blanks around "=". Sections
//   naming the same key merge, and a value set twice keeps the last data.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace plat {

struct RegTextError {
    std::size_t line = 0;  // 1-based; a continued hex list reports its first line
    std::string reason;
};

struct RegTextParse {
    RegKeyNode root;  // the hive; every line understood is in it
    // Lines that were not understood, in file order (at most kMaxReported).
    std::vector<RegTextError> errors;
    std::size_t errorCount = 0;

    static constexpr std::size_t kMaxReported = 50;
    bool ok() const { return errorCount == 0; }
};

// Never throws on bad input; a wrong header yields one error and an empty hive.
RegTextParse parseRegText(std::string_view text);

std::string formatRegText(const RegKeyNode& root);

}  // namespace plat
