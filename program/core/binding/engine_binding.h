// The program's entry points into the engine library, bound lazily by name.
//
// yov::lv::LookPicture(...) and its 153 siblings take the engine's own names and
// signatures (include/lumvatek/exports.h). The first call of any of them opens
// liblumvatek.so; each export is looked up at its own first call and kept. The program
// never links the library, so a missing library or export surfaces here as
// EngineBindingError instead of a failed start of the process or a call through null.
// Each entry point calls the installed engine (engine.h): the bound library, or a test's fake.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lumvatek/exports.h"

namespace yov {

class EngineBindingError : public std::runtime_error {
public:
    EngineBindingError(const std::string& message, std::string libraryPath, std::string exportName);
    // The library that failed to open, or the one that lacks the export.
    const std::string& libraryPath() const noexcept { return libraryPath_; }
    // Empty when the library itself could not be opened.
    const std::string& exportName() const noexcept { return exportName_; }

private:
    std::string libraryPath_;
    std::string exportName_;
};

namespace lv {
#define YOV_DECLARE_BOUND_EXPORT(result, name, params, args) result name params;
LV_EXPORT_LIST(YOV_DECLARE_BOUND_EXPORT)
#undef YOV_DECLARE_BOUND_EXPORT
}  // namespace lv

namespace engine_binding {

inline constexpr std::string_view kLibraryName = "liblumvatek.so";

// Where the library is looked for, in order: the running executable's folder, the folder
// named by YOV_ENGINE_DIR (when set and not empty), then the bare name for the loader's
// own search path.
std::vector<std::string> candidatePaths(std::string_view executableDir, const char* engineDir);

// The path the library was opened from, or empty while it is not open.
std::string loadedLibraryPath();

// Forgets every looked-up export and closes the library; the next call opens it again.
// Only for tests: the engine must be stopped (CloseDLL) and no call may be in flight.
void unloadEngine();

// Test seams. With an override only that folder is tried.
void setEngineDirOverride(std::optional<std::string> dir);
// Looks any name up the way the entry points do (opening the library when needed).
void* lookUpExport(const char* name);

}  // namespace engine_binding
}  // namespace yov
