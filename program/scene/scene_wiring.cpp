#include "program/scene/scene_wiring.h"

#include "program/core/windows/window_dispatch.h"
#include "program/scene/script_reader.h"
#include "program/show/run_show.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"

namespace yov {
namespace {

// Section sect of the table the last read built, or nullptr outside it.
SectRec* Section(int32_t sect) {
  SceneScript& s = scriptReader().S;
  if (sect < 1 || sect >= static_cast<int32_t>(s.Sections.size())) return nullptr;
  return &s.Sections[static_cast<size_t>(sect)];
}

}  // namespace

void WireScene() {
  ScriptReader& reader = scriptReader();
  const auto settings = reader.hooks.start;
  reader.hooks.start = [settings] {
    ScriptStart s = settings ? settings() : ScriptStart{};
    s.LabelHeight = showState().ShowFontHeight;
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
  seams.sectionCount = [] { return scriptReader().S.SectionCount; };
  seams.bindSectionEvent = [](int32_t sect, int32_t entry, int32_t top, int32_t height) {
    SectRec* r = Section(sect);
    if (r == nullptr) return 0;
    r->Event = entry;
    r->Top = top;
    r->Height = height;
    return r->MaxLines;
  };
  seams.sectionRunState = [](int32_t sect) -> uint8_t {
    const SectRec* r = Section(sect);
    return r == nullptr ? 0 : r->RunState;
  };
  seams.setSectionRunState = [](int32_t sect, uint8_t state) {
    if (SectRec* r = Section(sect)) r->RunState = state;
  };
  seams.sectionFinishMode = [](int32_t sect) -> uint8_t {
    const SectRec* r = Section(sect);
    return r == nullptr ? 0 : r->FinishMode;
  };
  seams.markSectionFinishing = [](int32_t sect) {
    if (SectRec* r = Section(sect)) r->Flags |= sect_flag::kFinishing;
  };
  seams.sectionLinePosition = [](int32_t sect) {
    const SectRec* r = Section(sect);
    return r == nullptr ? 0 : r->CurrentLine;
  };

  // The About window's version line names the script's version.
  laterParts().scriptVersionText = [] { return scriptReader().S.Run.VersionText; };
}

}  // namespace yov
