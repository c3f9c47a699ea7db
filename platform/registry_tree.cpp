#include "platform/registry_tree.h"

#include <algorithm>

namespace plat {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

unsigned char foldByte(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

}  // namespace

RegValue RegValue::string(std::string_view utf8) {
    RegValue v{kRegSz, {}};
    v.data.reserve(utf8.size() + 1);
    v.data.assign(utf8.begin(), utf8.end());
    v.data.push_back(0);
    return v;
}

RegValue RegValue::dword(std::uint32_t n) {
    return RegValue{kRegDword, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}

RegValue RegValue::binary(std::span<const std::uint8_t> bytes) {
    return RegValue{kRegBinary, {bytes.begin(), bytes.end()}};
}

std::string RegValue::text() const {
    std::size_t n = data.size();
    if (n > 0 && data[n - 1] == 0) --n;
    return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
}

std::optional<std::uint32_t> RegValue::number() const {
    if (type != kRegDword || data.size() != 4) return std::nullopt;
    return std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16 |
           std::uint32_t(data[3]) << 24;
}

std::string foldRegName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    return out;
}

bool regNamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldByte(static_cast<unsigned char>(x)) == foldByte(static_cast<unsigned char>(y));
           });
}

bool isValidKeyName(std::string_view name) {
    if (name.empty() || name.size() > kRegMaxKeyNameBytes) return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '\\' || isControl(static_cast<unsigned char>(c)); });
}

bool isValidValueName(std::string_view name) {
    if (name.size() > kRegMaxValueNameBytes) return false;
    return std::none_of(name.begin(), name.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

std::optional<std::vector<std::string_view>> splitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    if (path.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find('\\', start);
        std::string_view part = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
        if (!isValidKeyName(part) || parts.size() >= kRegMaxKeyDepth) return std::nullopt;
        parts.push_back(part);
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

RegKeyNode::RegKeyNode(std::string_view name) : name_(name), folded_(foldRegName(name)) {}

std::vector<RegKeyNode>::iterator RegKeyNode::lowerBound(const std::string& folded) {
    return std::lower_bound(children_.begin(), children_.end(), folded,
                            [](const RegKeyNode& n, const std::string& f) { return n.folded_ < f; });
}

RegKeyNode* RegKeyNode::child(std::string_view name) {
    std::string folded = foldRegName(name);
    auto it = lowerBound(folded);
    return (it != children_.end() && it->folded_ == folded) ? &*it : nullptr;
}

const RegKeyNode* RegKeyNode::child(std::string_view name) const { return const_cast<RegKeyNode*>(this)->child(name); }

RegKeyNode& RegKeyNode::addChild(std::string_view name) {
    std::string folded = foldRegName(name);
    auto it = lowerBound(folded);
    if (it != children_.end() && it->folded_ == folded) return *it;
    return *children_.insert(it, RegKeyNode(name));
}

bool RegKeyNode::removeChild(std::string_view name) {
    std::string folded = foldRegName(name);
    auto it = lowerBound(folded);
    if (it == children_.end() || it->folded_ != folded) return false;
    children_.erase(it);
    return true;
}

const RegValue* RegKeyNode::value(std::string_view name) const {
    for (const RegNamedValue& v : values_)
        if (regNamesEqual(v.name, name)) return &v.value;
    return nullptr;
}

bool RegKeyNode::setValue(std::string_view name, const RegValue& v) {
    for (RegNamedValue& nv : values_) {
        if (regNamesEqual(nv.name, name)) {
            if (nv.value == v) return false;
            nv.value = v;
            return true;
        }
    }
    values_.push_back(RegNamedValue{std::string(name), v});
    return true;
}

bool RegKeyNode::removeValue(std::string_view name) {
    auto it = std::find_if(values_.begin(), values_.end(),
                           [&](const RegNamedValue& nv) { return regNamesEqual(nv.name, name); });
    if (it == values_.end()) return false;
    values_.erase(it);
    return true;
}

RegKeyNode* RegKeyNode::find(std::span<const std::string_view> path) {
    RegKeyNode* node = this;
    for (std::string_view part : path) {
        node = node->child(part);
        if (!node) return nullptr;
    }
    return node;
}

const RegKeyNode* RegKeyNode::find(std::span<const std::string_view> path) const {
    return const_cast<RegKeyNode*>(this)->find(path);
}

RegKeyNode& RegKeyNode::findOrAdd(std::span<const std::string_view> path) {
    RegKeyNode* node = this;
    for (std::string_view part : path) node = &node->addChild(part);
    return *node;
}

}  // namespace plat
