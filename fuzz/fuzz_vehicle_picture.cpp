// Vehicle pictures built from arbitrary description text against a small fixture stock: a
// pantograph with its frame section, a door leaf, a font, a crate, and every stock pattern
// expanding to a vehicle whose description is the input itself (so placing recurses).
//
// Input: byte 0 picks the picture direction (bits 0-1), the plain view (bit 2), canvas
// mode 2 (bit 3) and the variant (bit 4); the rest is the description, one byte per
// character. The program errors of bad descriptions are expected; a crash, a hang or any
// other exception is a finding, and so is an engine buffer still in use once everything
// the input built has gone back through the program's own release: buffers kept from input
// to input would pile up until the engine has no strip left to give.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lumvatek/exports.h"
#include "program/core/binding/engine.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "tests/program/answering_msgbox.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/placed_pictures.h"
#include "program/scene/vehicle_build.h"
#include "program/scene/vehicle_picture.h"

namespace {

struct FixturePicture {
    const char16_t* name;
    int16_t width;
    int16_t height;
    const char16_t* description;
};

constexpr FixturePicture kStock[] = {
    {u"PANTO", 12, 4, u"[PAN:W=4;H=4;N=3;SX=4;T=5][ANIM:PAN,*PAN=B]"},
    {u"LEAF", 4, 6, u""},
    {u"FONT", 8, 3, u"[FONT:FONT]AB:2,C :2"},
    {u"CRATE", 5, 3, u"[CB:1,1][DOOR:1,2,3,2,0,0,2,5][ANIM:UP=0,1][UP:W=2;H=3]"},
};

std::u16string g_input;

// The library, but for the fixture stock's pictures: each is found by its name at the end of
// the reference and drawn as a block of its own colour.
// A placed picture builds the input again, as a new part of its own: the nesting bound and
// the canvas's room are reached from one description.
class PlacedFromInput : public yov::PlacedPictureLoader {
public:
    int32_t load(std::u16string_view) override {
        const int32_t part = yov::AllocPicPart(0);
        yov::PicPart& p = yov::picParts()[part];
        p.Width = 16;
        p.PartHeight = 20;
        p.SrcX = 48;
        yov::picParts().CurPart = part;
        int32_t value = 0;
        yov::BuildVehiclePicture(g_input, value, 0, 0);
        return part;
    }
};

class FixtureEngine : public yov::BoundEngine {
public:
    LvResult LookPicture(const char* name, LvHandle, int16_t* w, int16_t* ht, int32_t* offset, int32_t) override {
        const std::string text = name;
        for (size_t i = 0; i < std::size(kStock); ++i) {
            const std::u16string n = kStock[i].name;
            if (text.size() >= n.size() && std::equal(n.begin(), n.end(), text.end() - static_cast<long>(n.size()))) {
                *w = kStock[i].width;
                *ht = kStock[i].height;
                *offset = static_cast<int32_t>(i) + 1;
                return 1;
            }
        }
        return -10501;
    }
    LvResult GetPartWithMsk(int32_t offset, LvHandle dc, LvHandle mask, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                            int32_t, int32_t) override {
        if (offset < 1 || offset > static_cast<int32_t>(std::size(kStock))) return -10501;
        const FixturePicture& p = kStock[offset - 1];
        yov::FillRectColor(plat::HDC{dc}, plat::HDC{mask}, x, y, p.width, p.height,
                           plat::RGB(static_cast<uint8_t>(40 * offset), 90, 200), plat::WHITENESS, 0);
        return 0;
    }
    // Every stock pattern expands to the vehicle whose description is the input itself.
    LvResult ExpandS(const char16_t*, LvArrayDesc* strings, int32_t, int16_t*) override {
        auto* out = SharedArray<LvString>::fromDesc(strings);
        if (out == nullptr || !out->redim(1)) return -1;
        (*out)[1] = u"SELF";
        return 1;
    }
};

program_test::AnsweringMsgBox* answeredBoxes = nullptr;

void Setup() {
    yov::ProgramState& st = yov::programState();
    st.machine.ScreenWidthPx = 640;
    st.machine.ScreenHeightPx = 480;
    st.Shared.PictureHeight = 20;
    SharedArrays& a = st.Arrays;
    if (yov::lv::InitDLL(0, nullptr, nullptr, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                         a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(),
                         a.DescKeys.desc(), a.DescValues.desc(), a.DescTexts.desc()) != 0)
        std::abort();
    static program_test::AnsweringMsgBox boxes(yov::msgbox::kOk);  // every report answered O.K., no window
    answeredBoxes = &boxes;
    a.StockFiles.redim(2);
    st.Shared.StockFileCount = 1;
    a.StockFiles[1].Kind = 1;
    a.Stock.redim(8);
    int32_t n = 0;
    for (const FixturePicture& p : kStock) {
        StockEntry& e = a.Stock[++n];
        e.Name = p.name;
        e.Text2 = p.name;
        e.Text3 = p.description;
        e.FileIndex = 1;
    }
    st.Shared.StockCount = n;
    static FixtureEngine engine;
    static yov::ScopedEngine useEngine(engine);
    static PlacedFromInput loader;
    static yov::ScopedInstall<yov::PlacedPictureLoader> useLoader(loader);
}

// Frees every part and slot the input made, as a failed train start does, and the canvas.
void ReleaseInput() {
    yov::ReleaseToMark(0, 0);
    yov::FreeCanvas(1);
    int32_t strips = 0, buffers = 0;
    yov::lv::GetBufferCounts(&strips, &buffers);
    if (buffers != 0) {
        std::fprintf(stderr, "%d engine buffers are still in use after the input\n", buffers);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    answeredBoxes->requests.clear();  // only this input's boxes are kept
    if (size < 1) return 0;
    g_input.clear();
    for (size_t i = 1; i < size; ++i) g_input += static_cast<char16_t>(data[i]);
    yov::ClearPicturePools();
    yov::pictureSlots() = {};
    yov::vehicleBuild() = {};
    yov::vehicleBuild().PlainView = (data[0] & 4) != 0;
    yov::pictureSlots().PictureDirection = static_cast<int16_t>((data[0] & 3) == 1 ? -1 : (data[0] & 3) == 2 ? 1 : 0);
    yov::UseCanvas(1, 0, 64, 20, (data[0] & 8) != 0 ? 2 : 0);
    const int32_t part = yov::AllocPicPart(0);
    yov::picParts().CurPart = part;
    yov::picParts()[part].Width = 24;
    yov::picParts()[part].PartHeight = 20;
    int32_t value = 0;
    try {
        yov::BuildVehiclePicture(g_input, value, static_cast<uint8_t>((data[0] >> 4) & 1), 0);
    } catch (const yov::ProgramError&) {}
    ReleaseInput();
    return 0;
}
