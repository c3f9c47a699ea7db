#include "program/show/preview_motion.h"

namespace yov {

PreviewStep PreviewTick(PreviewState& s, const PreviewSizes& sizes) {
    PreviewStep step;
    if (s.Pause > 0) {
        --s.Pause;
        return step;
    }
    if (s.Phase == 0) {
        s.X = -sizes.pic1Width;
        s.Phase = 1;
        s.Base = (sizes.windowHeight - kPreviewVehicleHeight) / 2 + kPreviewVehicleHeight;
        step.layout = true;
        step.railY = s.Base;
        // A picture reaching within two rows of the full height carries a pantograph to the wire.
        const int32_t tallEnough = kPreviewVehicleHeight - 2;
        step.wireShown = sizes.pic1Height >= tallEnough || sizes.pic2Height >= tallEnough;
        step.wireY = s.Base - (kPreviewVehicleHeight + 1);
    } else if (s.Phase == 1) {
        ++s.X;
        step.picture = 1;
        step.x = s.X;
        step.y = s.Base - sizes.pic1Height;
        if (s.X >= sizes.windowWidth) {
            s.Pause = kPreviewPauseTicks;
            s.Phase = 2;
            s.X = sizes.windowWidth;
        }
    } else if (s.Phase == 2) {
        --s.X;
        step.picture = 2;
        step.x = s.X;
        step.y = s.Base - sizes.pic2Height;
        if (s.X <= -sizes.pic2Width) {
            s.Pause = kPreviewPauseTicks;
            s.Phase = 1;
            s.X = -sizes.pic1Width;
        }
    }
    return step;
}

}  // namespace yov
