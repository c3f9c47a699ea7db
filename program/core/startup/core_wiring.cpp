#include "program/core/startup/core_wiring.h"

#include "platform/codepage.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/localize.h"
#include "program/core/startup/program_state.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/util_hooks.h"

namespace yov {

namespace {
constexpr uint8_t kFrameLoopRunning = 0x20;
}  // namespace

void WireCoreServices() {
    UtilHooks& h = utilHooks();
    h.shared = &programState().Shared;
    h.getText = [](std::u16string_view key, std::u16string_view defaultText, int32_t flags) {
        return GetText(key, defaultText, flags);
    };
    h.localizeForm = LocalizeForm;
    h.languageCode = [] {
        const ProgramState& st = programState();
        const uint8_t lang = st.Shared.CurrentLanguage;
        if (lang == 0 || lang >= st.Arrays.Languages.length()) return std::string();
        return plat::utf16ToUtf8(st.Arrays.Languages[lang].Code);
    };
    h.getRegString = [](std::string_view name, std::string_view defaultText) {
        return plat::utf16ToUtf8(GetRegString(plat::utf8ToUtf16(name), plat::utf8ToUtf16(defaultText)));
    };
    h.saveRegString = [](std::string_view name, std::string_view text) {
        SaveRegString(plat::utf8ToUtf16(name), plat::utf8ToUtf16(text));
    };
    h.chooseFile = [](std::u16string_view titleKey, int32_t flags) {
        std::u16string path;
        return GetFileFilter(titleKey, flags, path) ? plat::utf16ToUtf8(path) : std::string();
    };
    h.batchMode = [] { return programState().run.BatchMode != 0; };
    h.frameLoopRunning = [] { return (programState().run.RunFlags & kFrameLoopRunning) != 0; };
    h.requestStop = [] { programState().run.StopRequest = 1; };

    PictureRefHooks& refs = pictureRefHooks();
    refs.kindClass = [](int kind) -> uint8_t {
        return kind >= 0 && kind < kPictureKinds ? programState().tables.PicKindClass[static_cast<size_t>(kind)] : 0;
    };
    refs.kindExtension = [](int kind) -> std::u16string {
        return kind >= 0 && kind < kPictureKinds ? programState().tables.PicKindExt[static_cast<size_t>(kind)]
                                                 : std::u16string();
    };
}

}  // namespace yov
