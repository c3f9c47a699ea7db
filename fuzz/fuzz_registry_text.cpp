// The registry file reader over arbitrary bytes: it must never crash, and
// whatever it understood must come back unchanged through the writer.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    plat::RegTextParse first = plat::parseRegText(text);
    std::string written = plat::formatRegText(first.root);
    plat::RegTextParse second = plat::parseRegText(written);
    if (!second.ok() || !(second.root == first.root) || plat::formatRegText(second.root) != written) std::abort();
    return 0;
}
