#include "program/trains/trains_wiring.h"

#include <string>

#include "program/show/show_seams.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"

namespace yov {

void WireTrains() {
    // A section's line painted at set-up: its layers and points, no way of its own.
    showSeams().paintObject = [](int32_t train, const LineSection& sect) {
        std::u16string way, fg = sect.FgText, bg = sect.BgText, tg = sect.TgText, points = sect.PointText;
        PaintObject(trains().at(train), way, fg, sect.FgLine, bg, sect.BgLine, tg, sect.TgLine, points);
    };
}

}  // namespace yov
