// OpenPictureRef: references by file name, by stock entry name and by stock index; the
// temporary cache's entries dropped again.
#include "program/core/pictures/picture_ref.h"

#include <algorithm>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/main_module.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/startup/program_resources.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/util_hooks.h"

namespace yov {

namespace {

constexpr int32_t kErrGifOpen = -10501;
constexpr int32_t kLoadFlagBits = 0x30;  // the kind's transparency bits for LookPicture
constexpr int32_t kStockPictureSite = 10201;
constexpr int32_t kMinPictureHeight = 30;
constexpr int32_t kMaxPictureHeight = 300;

PictureRef g_ref;
std::vector<int32_t> g_opened;

[[noreturn]] void NotFound(std::u16string_view what) { RaiseProgramError(FormatText(u"PNF", {what})); }

// A file in the stock file's folder P: P, a separator and the file, or the file alone without P.
std::u16string InFolder(const std::u16string& folder, const std::u16string& file) { return JoinFilePath(folder, file); }

struct Looked {
    int32_t result = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t offset = 0;
};

// LookPicture into variables of its own: the loader writes them while the show steps.
Looked Look(const std::u16string& name, LvHandle module, int32_t flags) {
    int16_t w = 0, h = 0;
    int32_t offset = 0;
    Looked l;
    l.result = pictureRefHooks().lookPicture(plat::utf16ToUtf8(name), module, &w, &h, &offset, flags);
    l.width = static_cast<uint16_t>(w);
    l.height = static_cast<uint16_t>(h);
    l.offset = offset;
    return l;
}

int32_t PictureHeight() {
    return std::clamp(programState().Shared.PictureHeight, kMinPictureHeight, kMaxPictureHeight);
}

StockEntry& Entry(int32_t index) {
    SharedArray<StockEntry>& stock = programState().Arrays.Stock;
    if (index < 1 || index > programState().Shared.StockCount || !stock.has(index))
        NotFound(u"#" + plat::utf8ToUtf16(std::to_string(index)));
    return stock[index];
}

// Quotes removed; the name keeps its separators as written. A file is a text with "/", "\"
// or ".".
void Normalise(std::u16string& text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') text = text.substr(1, text.size() - 2);
}

void OpenFile(PictureRef& r, std::u16string& text, int16_t flags) {
    r.PicRefStock = 0;
    const size_t lastSep = text.find_last_of(u"/\\");
    if (text.find(u'.', lastSep == std::u16string::npos ? 0 : lastSep + 1) == std::u16string::npos) text += u".GIF";
    const int32_t loadFlags = flags & kRefTemporaryCache;
    Looked l;
    if (IsRootedPath(text)) {
        l = Look(text, 0, loadFlags);
    } else {
        const std::u16string& stockDir = programState().scene.StockDir;
        l = Look(InFolder(stockDir, text), 0, loadFlags);
        const std::u16string programDir = plat::utf8ToUtf16(programFolder());
        if (l.result < 0 && !plat::equalsNoCase(programDir, stockDir))
            l = Look(InFolder(programDir, text), 0, loadFlags);
    }
    if (l.result < 0) NotFound(text);
    r.PicRefWidth = l.width;
    r.PicRefHeight = l.height;
    r.PicRefCache = l.offset;
    r.PicRefCell = 0;
}

// The picture name of a stock entry, with the module and load flags its file brings.
struct EntryPicture {
    std::u16string name;
    LvHandle module = 0;
    int32_t kindFlags = 0;
    bool sheet = false;
};

EntryPicture PictureOfEntry(PictureRef& r, int32_t index) {
    EntryPicture out;
    const StockEntry& e = Entry(index);
    const uint16_t fileIndex = static_cast<uint16_t>(e.FileIndex);
    if (fileIndex == kFileIndexPictureName) {
        out.name = u"|" + e.Text2;
        return out;
    }
    if (fileIndex == kFileIndexMacro) RaiseProgramError(GetText(u"MUP"));
    SharedArray<StockFileEntry>& files = programState().Arrays.StockFiles;
    if (fileIndex < 1 || fileIndex > programState().Shared.StockFileCount || !files.has(fileIndex)) NotFound(e.Name);
    const uint8_t kind = files[fileIndex].Kind;
    const PictureRefHooks& hooks = pictureRefHooks();
    out.kindFlags = (hooks.kindClass ? hooks.kindClass(kind) : 0) & kLoadFlagBits;
    if (e.Text2.empty()) RaiseProgramError(u"Empty Value for " + e.Name);
    const std::u16string text = e.Text2;
    const std::u16string path = files[fileIndex].Path;
    switch (kind) {
    case kKindResource16: out.name = path + u"|" + text; break;
    case kKindResource32: {
        // The library is opened once and kept in its stock file.
        if (files[fileIndex].LibHandle == 0) {
            LvHandle module = 0;
            const int32_t opened = hooks.openLib32(plat::utf16ToUtf8(path), &module);
            if (opened < 0) RaiseProgramError(FormatText(u"ERLD", {opened, path}));
            programState().Arrays.StockFiles[fileIndex].LibHandle = static_cast<int32_t>(module);
        }
        out.module = static_cast<LvHandle>(programState().Arrays.StockFiles[fileIndex].LibHandle);
        out.name = path + u";" + text;
        break;
    }
    case kKindLibrary: out.name = path + u"?" + text; break;
    case kKindSheet:
        r.PicRefCell = static_cast<uint8_t>(text.back());
        out.name = InFolder(path, text.substr(0, text.size() - 1) + u".BMP");
        out.sheet = true;
        break;
    default:
        out.name = InFolder(path, WithKindExtension(text, hooks.kindExtension && kind < 20 ? hooks.kindExtension(kind)
                                                                                           : std::u16string()));
        break;
    }
    return out;
}

void OpenStockEntry(PictureRef& r, int32_t index, int16_t flags) {
    {
        const StockEntry& e = Entry(index);
        if ((flags & kRefKnownSize) && e.Width != 0 && e.Height != 0) {
            r.PicRefCache = e.PictureRef;
            r.PicRefWidth = static_cast<uint16_t>(e.Width);
            r.PicRefHeight = static_cast<uint16_t>(e.Height);
            return;
        }
    }
    r.PicRefCell = 0;
    const bool cached = Entry(index).PictureRef != 0;
    // A sheet is looked up even when cached: its cells are cut from the size of the whole sheet.
    const bool sheetFile = static_cast<uint16_t>(Entry(index).FileIndex) < kFileIndexPictureName &&
                           programState().Arrays.StockFiles.has(Entry(index).FileIndex) &&
                           programState().Arrays.StockFiles[Entry(index).FileIndex].Kind == kKindSheet;
    if (!cached || sheetFile) {
        const EntryPicture picture = PictureOfEntry(r, index);
        const Looked l = Look(picture.name, picture.module, flags | picture.kindFlags);
        if (l.result == kErrGifOpen) RaiseProgramError(FormatText(u"FNF", {picture.name, l.result}));
        if (l.result < 0) RaiseProgramError(FormatText(u"ERLD", {l.result, picture.name}));
        StockEntry& e = Entry(index);
        e.Width = static_cast<int16_t>(l.width);
        e.Height = static_cast<int16_t>(l.height);
        e.PictureRef = l.offset;
        if (r.PicRefCell != 0) {
            const SheetCell cell = SheetCellOf(r.PicRefCell, l.width, l.height, PictureHeight());
            r.PicRefCellX = cell.x;
            r.PicRefCellY = cell.y;
            r.PicRefCellWidth = cell.width;
            r.PicRefCellHeight = cell.height;
            e.Width = static_cast<int16_t>(cell.width);
            e.Height = static_cast<int16_t>(cell.height);
        }
    }
    frameStep(kStockPictureSite);
    const StockEntry& e = Entry(index);
    r.PicRefCache = e.PictureRef;
    r.PicRefWidth = static_cast<uint16_t>(e.Width);
    r.PicRefHeight = static_cast<uint16_t>(e.Height);
}

}  // namespace

std::u16string WithKindExtension(std::u16string_view name, std::u16string_view extension) {
    const bool has = !extension.empty() && name.size() > extension.size() &&
                     plat::ucase(name.substr(name.size() - extension.size())) == plat::ucase(extension);
    return has ? std::u16string(name) : std::u16string(name) + std::u16string(extension);
}

PictureRef& pictureRef() { return g_ref; }

const std::vector<int32_t>& openedEntries() { return g_opened; }

SheetCell SheetCellOf(char16_t letter, int32_t sheetWidth, int32_t sheetHeight, int32_t pictureHeight) {
    const int32_t c = std::max(0, static_cast<int32_t>(plat::toUpper(letter)) - u'A');
    const int32_t column = c % 3, row = c / 3;
    SheetCell cell;
    cell.width = sheetWidth - 1;
    if (column != 0) cell.width /= 2;
    cell.x = column == 2 ? cell.width : 0;
    cell.height = std::min(sheetHeight, pictureHeight);
    cell.y = cell.height < pictureHeight ? -cell.height : -(row + 1) * pictureHeight;
    return cell;
}

void CleanPictureCache() {
    if (programState().scene.CacheMode != 0) return;
    pictureRefHooks().cleanCache();
    SharedArray<StockEntry>& stock = programState().Arrays.Stock;
    for (int32_t index : g_opened)
        if (stock.has(index)) stock[index].PictureRef = 0;
    g_opened.clear();
}

void OpenPictureRef(std::u16string& text, int16_t flags, int32_t stockIndex) {
    PictureRef& r = g_ref;
    if (stockIndex != 0) {
        r.PicRefStock = stockIndex;
        OpenStockEntry(r, stockIndex, flags);
    } else {
        Normalise(text);
        if (text.find_first_of(u"/\\.") != std::u16string::npos) {
            OpenFile(r, text, flags);
        } else {
            const int32_t found = FindStockEntry(text);
            if (found == 0) NotFound(text);
            r.PicRefStock = found;
            OpenStockEntry(r, found, flags);
        }
    }
    if ((flags & kRefTemporaryCache) && programState().scene.CacheMode == 0 && r.PicRefStock != 0)
        g_opened.push_back(r.PicRefStock);
    r.PicRefOpenWidth = r.PicRefWidth;
    r.PicRefOpenHeight = r.PicRefHeight;
}

}  // namespace yov
