#include "program/stock/stock_drawing.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/stock_data/code_letters.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"
#include "program/scene/vehicle_build.h"
#include "program/stock/stock_rows_view.h"
#include "program/stock/stock_window.h"
#include "program/trains/line_params.h"

namespace yov {

namespace {

constexpr int16_t kMacroFile = 32767;
constexpr uint8_t kKindAddressedByName = 1;  // pictures are path \ name
constexpr uint8_t kKindIsAuthor = 2;         // the file stands for the author of its pictures
constexpr int32_t kFirstLeft = 5;            // the category label's first name starts here
constexpr char16_t kTimes = u'\u00D7';

int32_t widthOf(StockWindow& w, RowFont font, std::u16string_view text) {
    StockRowsView* v = w.view().rowsView();
    return v != nullptr ? v->textWidth(font, text) : PlainTextWidth(font, text);
}

void changed(StockWindow& w, int32_t cell) {
    if (StockRowsView* v = w.view().rowsView()) v->cellChanged(cell);
}

StockEntry* entryAt(int32_t i) {
    ProgramState& st = programState();
    if (i < 1 || i > st.Shared.StockCount || !st.Arrays.Stock.has(i)) return nullptr;
    return &st.Arrays.Stock[i];
}

void hideCell(StockCell& c) {
    c.PictureName.clear();
    c.CaptionName.clear();
    c.CaptionSelected = 0;
    c.BoxVisible = c.NameVisible = c.CategoryVisible = c.SizeVisible = false;
    c.DescVisible = c.WayVisible = c.DotVisible = c.FrameVisible = false;
}

// The category labels that begin at entry e, from the category row on; the row moves past
// them. Levels at or below a new one's end it, so a row shows the path to its innermost.
void categoryLabels(StockWindow& w, StockCell& c, int32_t e, int32_t& catRow) {
    const ProgramState& st = programState();
    const int32_t count = st.Shared.CategoryCount;
    const SharedArray<CategoryEntry>& cats = st.Arrays.Categories;
    c.CategoryDepth = 0;
    while (catRow <= count && cats.has(catRow) && cats[catRow].FirstEntry == e) {
        const int16_t level = cats[catRow].Level;
        while (c.CategoryDepth > 0 && c.CategoryStack[static_cast<size_t>(c.CategoryDepth - 1)].Level >= level)
            --c.CategoryDepth;
        // Five levels are kept; a deeper one takes the innermost place.
        if (c.CategoryDepth == kCategoryStackDepth) --c.CategoryDepth;
        c.CategoryStack[static_cast<size_t>(c.CategoryDepth)] = CategoryLevel{catRow, level, 0};
        ++c.CategoryDepth;
        ++catRow;
    }
    c.CategoryVisible = false;
    c.CategoryText.clear();
    if (c.CategoryDepth == 0) return;
    int32_t x = kFirstLeft;
    for (int32_t k = 0; k < c.CategoryDepth; ++k) {
        CategoryLevel& l = c.CategoryStack[static_cast<size_t>(k)];
        const CategoryEntry& cat = st.Arrays.Categories[l.Row];
        const std::u16string name = PickLangText(cat.Names, cat.Text, cat.Key);
        if (k > 0) c.CategoryText += u" : ";
        c.CategoryText += name;
        x += widthOf(w, RowFont::Category, name);
        if (k + 1 < c.CategoryDepth) {
            l.Right = x + w.ColonWidth / 2;
            x += w.ColonWidth;
        } else {
            l.Right = x;
        }
    }
    c.CategoryWidth = std::max(stockWindows().Options.InfoColumnWidth - 5, x);
    c.CategoryVisible = true;
}

// Copies the frames that the picture builder left side by side on the current canvas into
// a buffer of the cell, shrinking a picture taller than the row with an area average.
void fillBuffer(StockCell& c, const PicPart& p, int32_t h) {
    c.Buffer = AllocDrawBuffer(c.DrawWidth * (c.LastFrame + 1), h, 0, kSiteCellBuffer);
    if (c.Buffer == 0) {
        c.DrawWidth = 0;
        return;
    }
    LvHandle dc = 0;
    lv::GetBufferData(c.Buffer, &dc, nullptr, &c.BufX, &c.BufY, nullptr);
    c.BufDC = dc;
    const CurrentCanvas& canvas = currentCanvas();
    const plat::HDC target{dc};
    for (int32_t f = 0; f <= c.LastFrame; ++f) {
        const int32_t sx = p.SrcX + f * c.BuiltWidth;
        const int32_t dx = c.BufX + f * c.DrawWidth;
        if (c.BuiltHeight > h) {
            // Only the left part that fits the box is used of a cut picture.
            const int32_t sw =
                std::min(c.BuiltWidth,
                         plat::clampToInt32(plat::roundHalfEven(static_cast<double>(c.DrawWidth) * c.BuiltHeight / h)));
            plat::SetStretchBltMode(target, plat::HALFTONE);
            plat::StretchBlt(target, dx, c.BufY, c.DrawWidth, h, canvas.pictureDc, sx, p.PartY, sw, c.BuiltHeight,
                             plat::SRCCOPY);
        } else {
            plat::BitBlt(target, dx, c.BufY, c.DrawWidth, h, canvas.pictureDc, sx, canvas.height - h, plat::SRCCOPY);
        }
    }
}

// Builds the picture of entry e for cell c; the figures, the buffer, the author.
void buildPicture(StockWindow& w, StockCell& c, int32_t e, const EntryTexts& texts, bool macro) {
    const StockOptions& o = stockWindows().Options;
    const int32_t h = programState().Shared.PictureHeight;
    FreeStockCell(c, kSiteCellRebuilt);
    c.ErrorText.clear();
    c.LastFrame = 0;
    c.Frame = 0;
    c.BuiltWidth = c.BuiltHeight = c.FitWidth = c.FitHeight = 0;
    c.PictureFlags = c.BuildFlags = 0;

    // Marks of our own: a failed build gives back what it made and nothing of other rows or
    // of a running show.
    const int32_t partMark = picParts().StackCount;
    const int32_t slotMark = pictureSlots().StackCount;
    PictureBuildState& b = pictureBuildState();
    const uint8_t options = b.PictureOptions;
    b.PictureOptions = 0;
    SelectCanvas(1);
    currentCanvas().fillPosition = 0;
    int32_t part = 0;
    try {
        part = LoadStockPicture(texts.pictureName, 0, 0, std::max(w.BoxWidth, 8 * h));
    } catch (const ProgramError& error) {
        if (error.number() == error_number::kReported) {
            b.PictureOptions = options;
            ReleaseToMark(partMark, slotMark);
            throw;
        }
        c.ErrorText = error.description();
    } catch (const std::exception&) {
        c.ErrorText = currentPendingError().description;
    }
    b.PictureOptions = options;
    if (part == 0 || !picParts().valid(part)) {
        ReleaseToMark(partMark, slotMark);
        c.DrawWidth = 0;
    } else {
        // The cell owns what the build made: the stacks go back to the marks.
        picParts().StackCount = std::min(picParts().StackCount, partMark);
        pictureSlots().StackCount = std::min(pictureSlots().StackCount, slotMark);
        const PicPart& p = picParts()[part];
        c.Part = part;
        c.BuiltWidth = p.Width;
        c.BuiltHeight = p.PartHeight;
        if (StockEntry* entry = entryAt(e)) {
            entry->Width = static_cast<int16_t>(c.BuiltWidth);
            entry->Height = static_cast<int16_t>(c.BuiltHeight);
        }
        c.LastFrame = p.RunFrames;
        c.Reverse = (p.Flags & 2) != 0 ? 1 : 0;
        c.FitWidth = c.BuiltWidth;
        c.FitHeight = c.BuiltHeight;
        if (c.BuiltHeight > h && h > 0) {
            c.FitWidth = std::max(
                1, plat::clampToInt32(plat::roundHalfEven(static_cast<double>(c.BuiltWidth) * h / c.BuiltHeight)));
            c.FitHeight = h;
        }
        c.DrawWidth = std::min(c.FitWidth, w.BoxWidth);
        c.PictureFlags = static_cast<uint8_t>(b.PictureFlags);
        c.BuildFlags = vehicleBuild().PictureFlags;
        if (c.DrawWidth > 0 && h > 0) fillBuffer(c, p, h);
    }
    c.PaletteSize = macro ? -1 : b.PaletteCount;
    c.DataSize = b.DataLength;
    c.Frame = 0;

    c.AuthorText = StockAuthorText(b.PictureSource, o.AuthorNames);
    c.AuthorWidth = c.AuthorText.empty() ? 0 : widthOf(w, RowFont::Box, c.AuthorText);
}

}  // namespace

int32_t PlainTextWidth(RowFont font, std::u16string_view text) {
    return static_cast<int32_t>(text.size()) * (font == RowFont::BoldName ? 7 : 6);
}

EntryTexts StockEntryTexts(const StockEntry& entry, uint8_t showFile) {
    const ProgramState& st = programState();
    const ProgramState& ms = programState();
    EntryTexts t;
    const int16_t f = entry.FileIndex;
    if (f == kMacroFile) {
        t.pictureName = entry.Text2;
        t.fileLine = entry.Text2;
        if (showFile == 3) t.secondLine = entry.Text2;
        return t;
    }
    t.pictureName = entry.Name + entry.Text3;
    if (f < 1 || f > st.Shared.StockFileCount || !st.Arrays.StockFiles.has(f)) {
        // An entry whose picture is named by its text alone.
        t.fileLine = entry.Text2;
        if (showFile != 0) t.secondLine = entry.Text2;
        return t;
    }
    const StockFileEntry& file = st.Arrays.StockFiles[f];
    const size_t kind = file.Kind < kPictureKinds ? file.Kind : 0;
    if ((ms.tables.PicKindClass[kind] & kKindAddressedByName) != 0) {
        const std::u16string name = WithKindExtension(entry.Text2, ms.tables.PicKindExt[kind]);
        t.fileLine = JoinFilePath(file.Path, name);
        if (showFile == 1 || showFile == 2) t.secondLine = name;
        if (showFile == 3) t.secondLine = t.fileLine;
    } else {
        t.fileLine = file.Path + u"  " + entry.Text2;
        if (showFile == 1) t.secondLine = file.Name;
        if (showFile == 2) t.secondLine = file.Name + u"  " + entry.Text2;
        if (showFile == 3) t.secondLine = t.fileLine;
    }
    return t;
}

std::u16string StockSizeText(const StockCell& c, const StockOptions& o) {
    std::u16string t;
    if (o.ShowWidth != 0) t += decimal(c.BuiltWidth);
    if (o.ShowHeight != 0) {
        if (o.ShowWidth != 0) t += kTimes;
        t += decimal(c.BuiltHeight);
    }
    if (o.ShowPaletteSize != 0 && c.PaletteSize >= 0) {
        if (!t.empty()) t += u'/';
        t += c.PaletteSize >= 1 ? decimal(c.PaletteSize) : u"#";
    }
    if (o.ShowPictureSize != 0 && c.DataSize != 0) {
        if (!t.empty()) t += u':';
        t += decimal(c.DataSize);
    }
    return t;
}

std::u16string StockAuthorText(int32_t source, uint8_t showAuth) {
    if (showAuth == 0 || source == 0) return {};
    const ProgramState& st = programState();
    if (source < 0) {
        const int32_t f = -source;
        if (f > st.Shared.StockFileCount || !st.Arrays.StockFiles.has(f)) return {};
        const StockFileEntry& file = st.Arrays.StockFiles[f];
        const size_t kind = file.Kind < kPictureKinds ? file.Kind : 0;
        if ((programState().tables.PicKindClass[kind] & kKindIsAuthor) == 0) return {};
        return file.Name;
    }
    if (source > st.Shared.AuthorCount || !st.Arrays.Authors.has(source)) return {};
    const AuthorEntry& a = st.Arrays.Authors[source];
    return showAuth == 1 ? a.ShortName : a.Name;
}

void FreeStockCell(StockCell& c, int32_t callSite) {
    if (c.Part != 0) FreePicPart(c.Part, callSite);
    c.Part = 0;
    if (c.Buffer != 0) FreeDrawBuffer(c.Buffer);
    c.Buffer = 0;
    c.BufDC = 0;
    c.DrawWidth = 0;
}

void DrawStockCells(StockWindow& w) {
    ProgramState& st = programState();
    const StockOptions& o = stockWindows().Options;
    vehicleBuild().PlainView = 0;
    const int32_t top = w.VscrValue();
    const int32_t count = st.Shared.StockCount;
    SelectCanvas(1);

    // The closing category after the last one ends every search over them.
    const int32_t categories = st.Shared.CategoryCount;
    SharedArray<CategoryEntry>& cats = st.Arrays.Categories;
    if (categories > 0 && cats.has(categories + 1)) {
        cats[categories + 1].FirstEntry = count + 1;
        cats[categories + 1].Level = 0;
    }
    int32_t catRow = 1;
    while (catRow <= categories && cats.has(catRow) && cats[catRow].FirstEntry < top) ++catRow;

    const ProgramState& ms = programState();
    for (int32_t i = 1; i <= w.CellCount && i <= kMaxCells; ++i) {
        StockCell& c = w.Cells[static_cast<size_t>(i)];
        const int32_t e = top + i - 1;
        const StockEntry* entry = entryAt(e);
        if (entry == nullptr) {
            hideCell(c);
            changed(w, i);
            continue;
        }
        const bool selected = (entry->SelectMask & static_cast<uint16_t>(w.SelectionBit)) != 0;
        categoryLabels(w, c, e, catRow);

        const bool cut = c.DrawWidth < w.BoxWidth && c.FitWidth > c.DrawWidth;
        if (entry->Name == c.PictureName && !cut) {
            if (w.LayoutWasDirty != 0) Box_Paint(w, i);
        } else {
            const bool macro = entry->FileIndex == kMacroFile;
            const EntryTexts texts = StockEntryTexts(*entry, o.ShowFile);
            c.FileTip = texts.fileLine;
            c.FileLine = texts.secondLine;
            c.FileLineWidth = c.FileLine.empty() ? 0 : widthOf(w, RowFont::Box, c.FileLine);
            int16_t dir = 0;
            const std::u16string upper = plat::ucase(texts.pictureName);
            if (const size_t at = upper.find(u"[#D:"); at != std::u16string::npos)
                dir = lineReaders().ParseDirection(plat::ltrim(std::u16string_view(texts.pictureName).substr(at + 4)),
                                                   0, 0);
            if (dir == 0) dir = static_cast<int16_t>(2 * (o.FaceRight != 0 ? 1 : 0) - 1);
            c.DrawDir = dir;
            pictureSlots().PictureDirection = dir;

            const std::u16string name = entry->Name;
            buildPicture(w, c, e, texts, macro);
            entry = entryAt(e);  // the build may have grown the table
            if (entry == nullptr) {
                hideCell(c);
                changed(w, i);
                continue;
            }
            c.PictureName = name;
            c.BoxVisible = true;
            c.DescCaption = entry->DescNumber != 0 ? u"D" : u"";
            const std::u16string size = StockSizeText(c, o);
            c.SizeText = size;
            c.SizeVisible = !size.empty();
            c.SizeTip = FormatText(u"STIP", {decimal(c.BuiltWidth), decimal(c.BuiltHeight), decimal(c.PaletteSize)});
            Box_Paint(w, i);
        }

        // The type dot, the way mark and the caption.
        uint8_t type = 0;
        if (o.ShowType != 0) {
            const size_t p = ms.tables.ColorLetters.find(entry->TypeLetter);
            type = p == std::u16string::npos ? 0 : static_cast<uint8_t>(p + 1);
        }
        if (type != c.TypeIndex) {
            c.DotVisible = type != 0;
            c.TypeIndex = type;
        }
        if (o.ShowWay != 0) {
            char16_t letter = entry->WayLetter;
            c.WayCaption = FormatCodeLetter(letter);
            if (StockEntry* writable = entryAt(e)) writable->WayLetter = letter;
        }
        c.WayVisible = o.ShowWay != 0;
        c.DescVisible = o.ShowDescriptionMark != 0;
        const uint8_t sel = selected ? 1 : 0;
        if (entry->Name != c.CaptionName || sel != c.CaptionSelected) {
            c.NameBold = selected;
            c.NameWidth =
                std::max(widthOf(w, selected ? RowFont::BoldName : RowFont::Name, entry->Name), o.InfoColumnWidth - 5);
            c.NameVisible = true;
            c.CaptionName = entry->Name;
            c.CaptionSelected = sel;
        }
        c.FrameVisible = selected;
        changed(w, i);
    }
}

void Box_Paint(StockWindow& w, int32_t cell) {
    if (w.LayoutDirty != 0 || cell < 1 || cell > kMaxCells) return;
    if (StockRowsView* v = w.view().rowsView()) v->paintBox(cell);
}

void StepStockFrames(StockWindow& w) {
    if (w.DrawState != 0) return;
    for (int32_t i = 1; i <= w.CellCount && i <= kMaxCells; ++i) {
        StockCell& c = w.Cells[static_cast<size_t>(i)];
        if (c.LastFrame == 0 || c.DrawWidth == 0) continue;
        const bool forward = (c.Reverse != 0) != (c.DrawDir > 0);
        if (forward)
            c.Frame = c.Frame >= c.LastFrame ? 0 : static_cast<uint8_t>(c.Frame + 1);
        else
            c.Frame = c.Frame == 0 ? c.LastFrame : static_cast<uint8_t>(c.Frame - 1);
        Box_Paint(w, i);
    }
}

void ReDesc0(StockWindow& w) {
    for (int32_t i = 1; i <= w.CellCount && i <= kMaxCells; ++i) {
        const StockEntry* entry = entryAt(w.VscrValue() + i - 1);
        if (entry == nullptr) continue;
        w.Cells[static_cast<size_t>(i)].DescCaption = entry->DescNumber != 0 ? u"D" : u"";
        changed(w, i);
    }
}

}  // namespace yov
