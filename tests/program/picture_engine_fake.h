// An engine whose picture calls (LookPicture, OpenLib32, GetPartWithMsk, CleanCache) a test
// answers itself: each call with an answer set goes to it, the others on to the engine this
// one replaced (the library, or an enclosing fixture's fake).
#pragma once

#include <functional>
#include <string>

#include "engine_fake.h"

namespace engine_test {

class PictureEngineFake : public EngineFake {
public:
    std::function<int32_t(const std::string& name, LvHandle module, int16_t* width, int16_t* height, int32_t* offset,
                          int32_t flags)>
        look;
    std::function<int32_t(const std::string& file, LvHandle* module)> openLib;
    std::function<int32_t(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest,
                          int32_t width, int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags)>
        draw;
    std::function<void()> clean;

    // Every picture call goes on to the engine again.
    void passOn() { look = nullptr, openLib = nullptr, draw = nullptr, clean = nullptr; }

    LvResult LookPicture(const char* name, LvHandle module, int16_t* width, int16_t* height, int32_t* offset,
                         int32_t flags) override {
        return look ? look(name, module, width, height, offset, flags)
                    : next().LookPicture(name, module, width, height, offset, flags);
    }
    LvResult OpenLib32(const char* file, LvHandle* module) override {
        return openLib ? openLib(file, module) : next().OpenLib32(file, module);
    }
    LvResult GetPartWithMsk(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest,
                            int32_t width, int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags) override {
        return draw ? draw(offset, pictureDc, maskDc, xDest, yDest, width, height, xSrc, ySrc, flags)
                    : next().GetPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, width, height, xSrc, ySrc, flags);
    }
    LvResult CleanCache() override {
        if (!clean) return next().CleanCache();
        clean();
        return 0;
    }
};

}  // namespace engine_test
