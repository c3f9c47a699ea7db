// The base of the program tests' engine fakes: it takes the engine's place for its lifetime and
// passes every call it does not override on to the engine it replaced (the bound library, or
// the fake of an enclosing fixture), so that fakes of different needs stack.
#pragma once

#include "lumvatek/exports.h"
#include "program/core/binding/engine.h"

namespace engine_test {

class EngineFake : public yov::Engine {
public:
    EngineFake() : next_(yov::engine()), use_(*this) {}
    EngineFake(const EngineFake&) = delete;
    EngineFake& operator=(const EngineFake&) = delete;

#define YOV_PASS_ON_CALL(result, name, params, args) \
    result name params override { return next_.name args; }
    LV_EXPORT_LIST(YOV_PASS_ON_CALL)
#undef YOV_PASS_ON_CALL

protected:
    // The engine this one replaced.
    yov::Engine& next() { return next_; }

private:
    yov::Engine& next_;
    yov::ScopedEngine use_;
};

}  // namespace engine_test
