#include "program/trains/train_labels.h"

#include <algorithm>
#include <vector>

#include "lumvatek/shared.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_text.h"

namespace yov {
namespace {

constexpr int32_t kSiteLabelStart = 11501;
constexpr int32_t kSiteLabelDrawn = 11502;
constexpr int32_t kSiteLabelClear = 18018;
constexpr int32_t kSiteLabelBox = 18019;
constexpr plat::COLORREF kLabelGrey = 0xE0E0E0;
constexpr int16_t kNoStockFile = 0x7FFF;

// The built-in items, then the stock's description keys (as negative key numbers - 1).
enum Item : int32_t { kAuthNick = 1, kAuthFull, kName, kFileName, kMacro, kLength };

int32_t itemCode(const std::u16string& name) {
    static const std::u16string_view builtIn[] = {u"AUTHNICK", u"AUTHFULL", u"NAME", u"FNAME", u"MACRO", u"LENGTH"};
    for (int32_t i = 0; i < 6; ++i)
        if (name == builtIn[i]) return i + 1;
    const ProgramState& st = programState();
    const int32_t keys = st.Shared.DescKeyCount;
    for (int32_t k = st.Shared.BuiltinDescKeys + 1; k <= keys && st.Arrays.DescKeys.has(k); ++k)
        if (plat::ucase(st.Arrays.DescKeys[k].Key) == name) return -k - 1;
    return 0;
}

std::u16string fileName(const StockEntry& e) {
    const ProgramState& st = programState();
    if (e.FileIndex == kNoStockFile || e.FileIndex <= 0 || !st.Arrays.StockFiles.has(e.FileIndex)) return e.Text2;
    const StockFileEntry& f = st.Arrays.StockFiles[e.FileIndex];
    const PictureRefHooks& h = pictureRefHooks();
    const uint8_t kindFlags = h.kindClass ? h.kindClass(f.Kind) : 0;
    if ((kindFlags & 1) == 0) return f.Path + u" " + e.Text2;
    return JoinFilePath(f.Path,
                        WithKindExtension(e.Text2, h.kindExtension ? h.kindExtension(f.Kind) : std::u16string()));
}

std::u16string itemValue(int32_t code, int32_t stock) {
    const ProgramState& st = programState();
    const StockEntry& e = st.Arrays.Stock[stock];
    const bool author = e.Author > 0 && st.Arrays.Authors.has(e.Author);
    switch (code) {
    case kAuthNick: return author ? std::u16string(st.Arrays.Authors[e.Author].ShortName) : u"?";
    case kAuthFull: return author ? std::u16string(st.Arrays.Authors[e.Author].Name) : u"?";
    case kName: return e.Name;
    case kFileName: return fileName(e);
    case kMacro: {
        const bool ownFile = e.FileIndex != kNoStockFile && e.FileIndex > 0;
        const std::u16string m = ownFile ? e.Text3 : e.Text2;
        return m.empty() ? u"-" : m;
    }
    case kLength: return decimal(e.Width);
    default: ExpandDescription(e.DescNumber, 0, u""); return GetDescItemText(-code - 1, 2);
    }
}

// The text of one macro body over the train's member pictures.
std::u16string expandMacro(const TrainRec& train, std::u16string_view macro) {
    std::u16string body(macro);
    std::u16string separator = u" + ";
    const size_t colon = body.find(u':');
    if (colon != std::u16string::npos) {
        separator = body.substr(colon + 1);
        body = plat::rtrim(body.substr(0, colon));
    }
    body = plat::ucase(body);
    std::u16string member;
    bool anyMember = true;
    const size_t dot = body.find(u'.');
    if (dot != std::u16string::npos) {
        member = plat::rtrim(body.substr(0, dot));
        body = plat::trim(body.substr(dot + 1));
        anyMember = false;
    }
    std::vector<int32_t> codes;
    size_t start = 0;
    for (int32_t n = 0; n < kMaxCaptionItems && start <= body.size(); ++n) {
        size_t comma = body.find(u',', start);
        if (comma == std::u16string::npos) comma = body.size();
        const int32_t code = itemCode(plat::trim(std::u16string_view(body).substr(start, comma - start)));
        if (code != 0) codes.push_back(code);
        start = comma + 1;
    }

    std::u16string result;
    const ProgramState& st = programState();
    const int32_t members = std::min<int32_t>(train.MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        const int32_t pic = train.Members[static_cast<size_t>(m)];
        if (!trainPictures().valid(pic)) continue;
        if (!anyMember && plat::ucase(trainPictures()[pic].SourceName) != member) continue;
        int32_t part = trainPictures()[pic].FirstPart;
        for (int32_t hops = 0; part != 0 && picParts().valid(part) && hops <= picParts().Count; ++hops) {
            const int32_t stock = picParts()[part].StockIndex;
            part = picParts()[part].NextPart;
            if (stock <= 0 || !st.Arrays.Stock.has(stock)) continue;
            std::u16string vehicle;
            for (int32_t code : codes) {
                const std::u16string v = itemValue(code, stock);
                if (v.empty()) continue;
                if (!vehicle.empty()) vehicle += u' ';
                vehicle += v;
            }
            if (vehicle.empty()) continue;
            if (!result.empty()) result += separator;
            result += vehicle;
        }
    }
    return result;
}

}  // namespace

void ExpandCaption(TrainRec& train, std::u16string& text) {
    // The search goes on after each replacement: a vehicle text that itself holds "$(" is
    // shown as it is, not expanded again (which could grow without end).
    size_t from = 0;
    for (size_t open = text.find(u"$(", from); open != std::u16string::npos; open = text.find(u"$(", from)) {
        const size_t close = text.find(u')', open + 2);
        if (close == std::u16string::npos)
            throw ProgramError(error_number::kMessage, GetText(u"PARMA", u"Parenthesis matching problem"));
        const std::u16string value = expandMacro(train, std::u16string_view(text).substr(open + 2, close - open - 2));
        text.replace(open, close - open + 1, value);
        from = open + value.size();
    }
}

std::u16string ScriptPosText(int32_t line) {
    const SceneScript& s = scriptReader().S;
    if (line < 1 || static_cast<size_t>(line) >= s.Members.size()) return u"? " + decimal(line);
    const ScriptItem& item = s.Members[static_cast<size_t>(line)];
    const std::u16string file = item.FileIndex >= 0 && static_cast<size_t>(item.FileIndex) < s.FileNames.size()
                                    ? s.FileNames[static_cast<size_t>(item.FileIndex)]
                                    : std::u16string(u"?");
    return file + u" " + decimal(item.Line);
}

int32_t DrawLabelText(std::u16string_view text) {
    const int32_t t = showState().CurTrain;
    const bool haveTrain = trains().valid(t);
    const std::u16string pos = ScriptPosText(haveTrain ? trains().at(t).Line : 0);
    frameStep(kSiteLabelStart);
    const TextExtent te = MeasureShowText(text);
    const TextExtent pe = MeasureShowText(pos);
    const int32_t w = std::max(te.Width, pe.Width) + 10;
    const int32_t h = te.Height;
    // A label outside any train still needs a height to be seen: the stock's picture height.
    int32_t vh = haveTrain ? trains().at(t).VehicleHeight : 0;
    if (vh < 1) vh = canvasUnit();
    RebuildCanvas(w, 0);

    TrainBuildState& b = trainBuild();
    const CurrentCanvas& c = currentCanvas();
    const int32_t x = b.PenX;
    const int32_t y = b.BaseY;
    FillRectColor(c.pictureDc, c.maskDc, x, y - vh, w, vh, c.colour, plat::BLACKNESS, kSiteLabelClear);
    FillRectColor(c.pictureDc, c.maskDc, x + 3, y - vh / 2 - 4 - h, w - 7, 2 * h + 7, kLabelGrey, plat::WHITENESS,
                  kSiteLabelBox);
    DrawShowText(c.pictureDc, x + 5, y - vh / 2 - 2 - h, text, plat::RGB(0, 0, 0));
    DrawShowText(c.pictureDc, x + 5, y - vh / 2 + 2, pos, plat::RGB(0, 0, 0));
    frameStep(kSiteLabelDrawn);

    const int32_t part = AllocPicPart(static_cast<uint8_t>(t));
    PicPart& p = picParts()[part];
    p.SrcX = x;
    p.PartY = y - vh;
    p.Width = w;
    p.PartHeight = vh;
    p.Name = std::u16string(text) + u" <> " + pos;
    trainBuild().PenX += w;
    trainBuild().RunningLength += w;
    return part;
}

}  // namespace yov
