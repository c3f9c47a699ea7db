#include "program/core/binding/engine_binding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/raster_share.h"
#include "program/core/binding/engine.h"

namespace yov {

EngineBindingError::EngineBindingError(const std::string& message, std::string libraryPath, std::string exportName)
    : std::runtime_error(message), libraryPath_(std::move(libraryPath)), exportName_(std::move(exportName)) {}

namespace {

enum class ExportId : size_t {
#define YOV_EXPORT_ID(result, name, params, args) name,
    LV_EXPORT_LIST(YOV_EXPORT_ID)
#undef YOV_EXPORT_ID
        Count
};

constexpr std::array<const char*, static_cast<size_t>(ExportId::Count)> kExportNames = {
#define YOV_EXPORT_NAME(result, name, params, args) #name,
    LV_EXPORT_LIST(YOV_EXPORT_NAME)
#undef YOV_EXPORT_NAME
};

// Opening and closing are serialised; the looked-up addresses are read without the lock.
struct Binding {
    std::mutex mutex;
    std::atomic<void*> library{nullptr};
    std::string libraryPath;
    std::optional<std::string> dirOverride;
    std::array<std::atomic<void*>, static_cast<size_t>(ExportId::Count)> slots{};
};

Binding& binding() {
    static Binding b;
    return b;
}

std::string executableDir() {
    std::string path(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) return {};
    path.resize(static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string joinPath(std::string_view dir) {
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += engine_binding::kLibraryName;
    return path;
}

std::string lastDlError() {
    const char* text = ::dlerror();
    return text ? std::string(text) : std::string("unknown error");
}

// The library draws with the program's raster objects, so that device contexts and
// bitmaps cross the boundary both ways (platform/raster_share.h). Closes lib on failure.
void shareRaster(void* lib, const std::string& path) {
    ::dlerror();
    auto share = reinterpret_cast<decltype(&::ShareRaster)>(::dlsym(lib, "ShareRaster"));
    const plat::raster::SharedTableRef own = plat::raster::OwnTable();
    if (share == nullptr || share(own.table, own.layout) != 0) {
        ::dlclose(lib);
        throw EngineBindingError("The engine library " + path + " cannot draw with the program's raster", path,
                                 "ShareRaster");
    }
}

// Caller holds the mutex.
void* openLibraryLocked(Binding& b) {
    if (void* lib = b.library.load(std::memory_order_acquire)) return lib;
    std::vector<std::string> candidates =
        b.dirOverride ? std::vector<std::string>{joinPath(*b.dirOverride)}
                      : engine_binding::candidatePaths(executableDir(), std::getenv("YOV_ENGINE_DIR"));
    std::string tried;
    for (const std::string& path : candidates) {
        void* lib = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (lib) {
            shareRaster(lib, path);
            b.libraryPath = path;
            b.library.store(lib, std::memory_order_release);
            return lib;
        }
        tried += "\n  " + path + ": " + lastDlError();
    }
    std::string where = candidates.empty() ? std::string() : candidates.front();
    throw EngineBindingError(
        "Cannot load the engine library " + std::string(engine_binding::kLibraryName) + "; tried:" + tried, where, {});
}

void* lookUp(Binding& b, const char* name) {
    std::lock_guard lock(b.mutex);
    void* lib = openLibraryLocked(b);
    ::dlerror();
    void* address = ::dlsym(lib, name);
    if (!address) {
        throw EngineBindingError(
            "The engine library " + b.libraryPath + " has no export \"" + name + "\": " + lastDlError(), b.libraryPath,
            name);
    }
    return address;
}

void* resolve(ExportId id) {
    Binding& b = binding();
    std::atomic<void*>& slot = b.slots[static_cast<size_t>(id)];
    if (void* address = slot.load(std::memory_order_acquire)) return address;
    void* address = lookUp(b, kExportNames[static_cast<size_t>(id)]);
    slot.store(address, std::memory_order_release);
    return address;
}

}  // namespace

// Each call converts the looked-up address to the export's own type, taken from its
// declaration, so a signature changed in the list changes caller and callee alike.
#define YOV_DEFINE_BOUND_CALL(result, name, params, args) \
    result BoundEngine::name params { return reinterpret_cast<decltype(&::name)>(resolve(ExportId::name)) args; }
LV_EXPORT_LIST(YOV_DEFINE_BOUND_CALL)
#undef YOV_DEFINE_BOUND_CALL

namespace {

BoundEngine& bound() {
    static BoundEngine e;
    return e;
}

std::atomic<Engine*>& installed() {
    static std::atomic<Engine*> e{nullptr};
    return e;
}

}  // namespace

Engine& engine() {
    Engine* e = installed().load(std::memory_order_acquire);
    return e != nullptr ? *e : bound();
}

ScopedEngine::ScopedEngine(Engine& fake) : previous_(installed().exchange(&fake, std::memory_order_acq_rel)) {}

ScopedEngine::~ScopedEngine() { installed().store(previous_, std::memory_order_release); }

namespace lv {
#define YOV_DEFINE_ENTRY_POINT(result, name, params, args) \
    result name params { return engine().name args; }
LV_EXPORT_LIST(YOV_DEFINE_ENTRY_POINT)
#undef YOV_DEFINE_ENTRY_POINT
}  // namespace lv

namespace engine_binding {

std::vector<std::string> candidatePaths(std::string_view executableDir, const char* engineDir) {
    std::vector<std::string> paths;
    if (!executableDir.empty()) paths.push_back(joinPath(executableDir));
    if (engineDir && *engineDir) paths.push_back(joinPath(engineDir));
    paths.emplace_back(kLibraryName);
    return paths;
}

std::string loadedLibraryPath() {
    Binding& b = binding();
    std::lock_guard lock(b.mutex);
    return b.library.load(std::memory_order_acquire) ? b.libraryPath : std::string();
}

void unloadEngine() {
    Binding& b = binding();
    std::lock_guard lock(b.mutex);
    for (std::atomic<void*>& slot : b.slots) slot.store(nullptr, std::memory_order_release);
    if (void* lib = b.library.exchange(nullptr, std::memory_order_acq_rel)) ::dlclose(lib);
    b.libraryPath.clear();
}

void setEngineDirOverride(std::optional<std::string> dir) {
    Binding& b = binding();
    std::lock_guard lock(b.mutex);
    b.dirOverride = std::move(dir);
}

void* lookUpExport(const char* name) { return lookUp(binding(), name); }

}  // namespace engine_binding
}  // namespace yov
