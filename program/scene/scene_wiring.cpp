#include "program/scene/scene_wiring.h"

#include "program/core/windows/window_dispatch.h"
#include "program/scene/script_reader.h"
#include "program/show/run_show.h"
#include "program/show/show_font.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"

namespace yov {

void WireScene() {
    ScriptReader& reader = scriptReader();
    const auto settings = reader.hooks.start;
    reader.hooks.start = [settings] {
        ScriptStart s = settings ? settings() : ScriptStart{};
        // The font is ours and fixed, so the first script read of a run knows its height
        // before any show window has measured it.
        const int32_t measured = displayState().ShowFontHeight;
        s.LabelHeight = measured != 0 ? measured : ShowFontLineHeight();
        return s;
    };
    reader.hooks.parseShowOptions = [] {
        showState().SplashPicture = scriptReader().S.Run.SplashPicture;
        ParseShowOptions();
    };

    ShowSeams& seams = showSeams();
    seams.readScript = [](const std::u16string& script, uint8_t headerOnly) {
        const bool ok = ReadScript(script, headerOnly);
        if (ok && headerOnly == 0) showState().SpeedFactor = scriptReader().S.Run.SpeedFactor;
        return ok;
    };

    // The About window's version line names the script's version.
    laterParts().scriptVersionText = [] { return scriptReader().S.Run.VersionText; };
}

}  // namespace yov
