// The registry's keys and values in memory, with the naming rules of the
// system registry: key and value names compare without regard to ASCII letter
// case and keep the spelling they were first stored with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Value type codes as the system registry numbers them; other codes are kept
// and written back unchanged.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// The registry's own limits, so that a file or a caller cannot build keys
// deeper or names longer than the program could ever have made.
inline constexpr std::size_t kRegMaxKeyDepth = 512;
inline constexpr std::size_t kRegMaxKeyNameBytes = 255;
inline constexpr std::size_t kRegMaxValueNameBytes = 16383;

struct RegValue {
    std::uint32_t type = kRegNone;
    // Exactly the bytes stored. A string written with string() carries one
    // terminating zero, as the system's ANSI calls store it, so the data size
    // of "abc" is 4 and of the empty string 1.
    std::vector<std::uint8_t> data;

    static RegValue string(std::string_view utf8);
    static RegValue dword(std::uint32_t v);
    static RegValue binary(std::span<const std::uint8_t> bytes);

    // The data as text with one terminating zero removed (any type).
    std::string text() const;
    // The number when this is a REG_DWORD of four bytes (little-endian).
    std::optional<std::uint32_t> number() const;

    bool operator==(const RegValue&) const = default;
};

struct RegNamedValue {
    std::string name;  // empty: the key's default value
    RegValue value;
    bool operator==(const RegNamedValue&) const = default;
};

// ASCII letters folded to lower case; every other byte compares as itself.
std::string foldRegName(std::string_view name);
bool regNamesEqual(std::string_view a, std::string_view b);

// A key name: 1 to 255 bytes, no "\" and no control character.
bool isValidKeyName(std::string_view name);
// A value name: up to 16383 bytes, no control character ("\" is allowed).
bool isValidValueName(std::string_view name);

// Splits "Software\Vantrel\Yov" into its key names. An empty path is the
// root; an empty component (leading, doubled or trailing "\") or an invalid
// name makes the whole path invalid.
std::optional<std::vector<std::string_view>> splitKeyPath(std::string_view path);

class RegKeyNode {
public:
    RegKeyNode() = default;
    explicit RegKeyNode(std::string_view name);

    const std::string& name() const { return name_; }

    RegKeyNode* child(std::string_view name);
    const RegKeyNode* child(std::string_view name) const;
    // Finds or adds a subkey; an existing one keeps its spelling.
    RegKeyNode& addChild(std::string_view name);
    bool removeChild(std::string_view name);
    // Ordered by folded name, the order in which they are enumerated.
    const std::vector<RegKeyNode>& children() const { return children_; }

    const RegValue* value(std::string_view name) const;
    // Returns false when the value was already stored with these contents.
    bool setValue(std::string_view name, const RegValue& v);
    bool removeValue(std::string_view name);
    // In the order they were first set.
    const std::vector<RegNamedValue>& values() const { return values_; }

    RegKeyNode* find(std::span<const std::string_view> path);
    const RegKeyNode* find(std::span<const std::string_view> path) const;
    RegKeyNode& findOrAdd(std::span<const std::string_view> path);

    bool operator==(const RegKeyNode&) const = default;

private:
    std::vector<RegKeyNode>::iterator lowerBound(const std::string& folded);

    std::string name_;
    std::string folded_;  // cached foldRegName(name_), the sort key
    std::vector<RegKeyNode> children_;
    std::vector<RegNamedValue> values_;
};

}  // namespace plat
