// The engine as the program calls it: one interface with every export of the library, under
// its own name and signature. yov::lv::Name(...) (engine_binding.h) calls the installed
// engine, which is the bound library unless a test has put a fake in its place.
//
// A fake derives from BoundEngine and overrides what it stands in for, so every call it does
// not override still reaches the library; or from Engine itself, where a test must run with
// no library at all. ScopedEngine installs one for its own lifetime.
#pragma once

#include "lumvatek/exports.h"

namespace yov {

class Engine {
public:
    virtual ~Engine() = default;
#define YOV_DECLARE_ENGINE_CALL(result, name, params, args) virtual result name params = 0;
    LV_EXPORT_LIST(YOV_DECLARE_ENGINE_CALL)
#undef YOV_DECLARE_ENGINE_CALL
};

// The library bound lazily by name: the first call of any export opens it.
class BoundEngine : public Engine {
public:
#define YOV_DECLARE_BOUND_CALL(result, name, params, args) result name params override;
    LV_EXPORT_LIST(YOV_DECLARE_BOUND_CALL)
#undef YOV_DECLARE_BOUND_CALL
};

// The engine calls go to now: the bound library, or the fake a ScopedEngine installed.
Engine& engine();

// Installs an engine for its lifetime and puts back the one before it. Main thread only,
// and never while an engine thread may call back.
class ScopedEngine {
public:
    explicit ScopedEngine(Engine& fake);
    ~ScopedEngine();
    ScopedEngine(const ScopedEngine&) = delete;
    ScopedEngine& operator=(const ScopedEngine&) = delete;

private:
    Engine* previous_;
};

}  // namespace yov
