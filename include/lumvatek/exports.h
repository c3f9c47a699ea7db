// Every export of the engine library, in one list.
//
// LV_EXPORT_LIST(X) expands X(result, name, (parameters), (arguments)) once per export.
// The engine's declarations below come from it, and so do the program's lazily bound
// entry points (program/core/binding/engine_binding.cpp), so the two sides cannot drift apart.
//
// Conventions at this boundary (64-bit build):
// - LvHandle is a 32-bit id into a table of the side that made it: device contexts,
//   bitmaps, brushes, DirectDraw surfaces, menus, resource modules, off-screen buffers.
//   0 means none.
// - LvWindow is a pointer-sized window handle that the engine only stores and hands back
//   to the program's window operations.
// - const char16_t* texts use the shared-string layout: UTF-16 characters with their byte
//   length as a 32-bit integer just before the first character, ((const int32_t*)p)[-1].
//   A char16_t* buffer in that layout takes its capacity from that length.
// - const char* texts are 8-bit: file names (UTF-8 here), keys and menu captions.
// - char16_t** is a variable holding such a text, which the engine replaces through the
//   shared text allocator (include/lumvatek/shared.h).
// - LvArrayDesc* is one of the program's shared dynamic arrays; the engine reads and
//   re-dimensions it in place.
// - Exports and callbacks are noexcept: no C++ exception crosses the boundary either way.
#pragma once

#include <cstdint>

#include "lumvatek/api.h"

// Shared records, defined in include/lumvatek/shared.h (BlitOp and LvPresenter in blit.h).
struct SharedState;
struct DllEventRec;
struct LvArrayDesc;
struct FormLimits;
struct StockEntry;
struct StockFileEntry;
struct BlitOp;
struct LvPresenter;
struct LvPageView;
struct LvWindowOps;
struct LvWindowMessage;

using LvHandle = uint32_t;
using LvWindow = uintptr_t;
using LvInstance = uintptr_t;

// The program's procedures that the engine calls.
using LvEventProc = int32_t (*)(DllEventRec* record) noexcept;
// Random index from 0 to n - 1; the site code names the calling place in diagnostics.
using LvRandomProc = int32_t (*)(int32_t n, int32_t site) noexcept;
// A "$" line of a stock file with its line number.
using LvStockLineProc = int32_t (*)(const char16_t* line, int32_t lineNumber) noexcept;
using LvStockFileProc = int32_t (*)(const StockFileEntry* file) noexcept;
using LvStockEntryProc = int32_t (*)(int32_t entryNumber, const StockEntry* entry) noexcept;
using LvStockLinkProc = int32_t (*)(int32_t stockIndex, int32_t descNumber) noexcept;
using LvDescTextProc = int32_t (*)(int32_t descNumber, const char16_t* text) noexcept;
using LvModeProc = int32_t (*)(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) noexcept;
using LvIndirProc = int32_t (*)(int32_t value) noexcept;

// clang-format off
#define LV_EXPORT_LIST(X) \
  /* cache */ \
  X(LvResult, OpenCache, (int32_t mode, const char* name), (mode, name)) \
  X(LvResult, CloseCache, (), ()) \
  X(LvResult, FreeCache, (), ()) \
  /* drops the pictures added in memory since the cache was opened */ \
  X(LvResult, CleanCache, (), ()) \
  /* three 256-byte colour translation tables */ \
  X(LvResult, SetXColor, (const uint8_t* red, const uint8_t* green, const uint8_t* blue), \
    (red, green, blue)) \
  /* passes the current picture's palette through one 256-byte table */ \
  X(LvResult, ReColor, (const uint8_t* table, int32_t unused1, int32_t unused2), \
    (table, unused1, unused2)) \
  \
  /* picture libraries */ \
  X(LvResult, CreateTrLib, (const char* file), (file)) \
  X(LvResult, AppendTrLib, (const char* file), (file)) \
  /* cacheOffset 0 writes the current picture */ \
  X(LvResult, WriteTrLib, (const char* name, int32_t* offsetOut, int32_t cacheOffset), \
    (name, offsetOut, cacheOffset)) \
  X(LvResult, GetCodeLength, (const char* name), (name)) \
  X(LvResult, UpdateTrLib, (const char* name, int32_t* offsetOut, int32_t cacheOffset), \
    (name, offsetOut, cacheOffset)) \
  X(LvResult, CloseTrLib, (), ()) \
  /* "NAME:offset;" per record, no terminating zero */ \
  X(LvResult, ListTrLibNames, (const char* file, char* buffer, int32_t size), \
    (file, buffer, size)) \
  \
  /* resource pictures */ \
  X(LvResult, OpenLib32, (const char* file, LvHandle* moduleOut), (file, moduleOut)) \
  X(LvResult, CloseLib32, (LvHandle module), (module)) \
  X(LvResult, ListRes16Names, (const char* file, char* buffer, int32_t size), \
    (file, buffer, size)) \
  X(LvResult, ListRes32Names, (const char* file, char* buffer, int32_t size), \
    (file, buffer, size)) \
  /* size 0 asks for the size the list needs */ \
  X(LvResult, ListCache, (char* buffer, int32_t size), (buffer, size)) \
  \
  /* picture access and drawing */ \
  /* 0 found in the cache, 1 loaded; module serves names with ";" */ \
  X(LvResult, LookPicture, \
    (const char* name, LvHandle module, int16_t* widthOut, int16_t* heightOut, \
     int32_t* offsetOut, int32_t flags), \
    (name, module, widthOut, heightOut, offsetOut, flags)) \
  X(LvResult, GetLastLength, (), ()) \
  /* reads a BMP or DIB file into the current picture, not cached */ \
  X(LvResult, LoadBmpFile, (const char* file), (file)) \
  /* removes background rows at the top; returns their number */ \
  X(LvResult, CropPicture, (int32_t unused), (unused)) \
  X(LvResult, GetPart, \
    (int32_t offset, LvHandle dc, int32_t xDest, int32_t yDest, int32_t width, \
     int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags), \
    (offset, dc, xDest, yDest, width, height, xSrc, ySrc, flags)) \
  /* with flag 0x04 pictureDc carries a colour 0x00BBGGRR and only the mask is made */ \
  X(LvResult, GetPartWithMsk, \
    (int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest, \
     int32_t width, int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags), \
    (offset, pictureDc, maskDc, xDest, yDest, width, height, xSrc, ySrc, flags)) \
  X(LvResult, SetXColMethod, (int32_t method, int32_t red, int32_t green, int32_t blue), \
    (method, red, green, blue)) \
  /* takes the bitmap selected into dc as the current picture */ \
  X(LvResult, hDc2Cache, (LvHandle dc), (dc)) \
  X(LvResult, SetTransparentMode, (int32_t mode), (mode)) \
  /* a 16-bit entry count, then red, green, blue in a 4-byte slot per entry */ \
  X(LvResult, GetPalette, (uint8_t* buffer), (buffer)) \
  X(LvResult, GetPalNumEntries, (), ()) \
  X(LvResult, GetPictureFlags, (), ()) \
  /* colour depth of the display */ \
  X(LvResult, GetBitsPixel, (), ()) \
  X(uintptr_t, GetStackPointer, (), ()) \
  \
  /* comparison */ \
  /* stores the current picture as the reference */ \
  X(LvResult, SetCmpCache, (int32_t flags), (flags)) \
  /* result: seven counters */ \
  X(LvResult, CmpCacheOrig, (int32_t low, int32_t high, int32_t* result), \
    (low, high, result)) \
  X(LvResult, CmpCache, \
    (int32_t x0, int32_t y0, int32_t* xOut, int32_t* yOut, int32_t* widthOut, \
     int32_t* heightOut, int32_t flags), \
    (x0, y0, xOut, yOut, widthOut, heightOut, flags)) \
  \
  /* library start and stop; the process-detach work runs as the library's destructor */ \
  X(LvResult, InitDLL, \
    (LvInstance instance, LvEventProc onEvent, LvRandomProc random, SharedState* shared, \
     LvArrayDesc* stockEntries, LvArrayDesc* stockFiles, LvArrayDesc* authors, \
     LvArrayDesc* libInfos, LvArrayDesc* categories, LvArrayDesc* languages, \
     LvArrayDesc* texts, LvArrayDesc* descKeys, LvArrayDesc* descValues, \
     LvArrayDesc* descTexts), \
    (instance, onEvent, random, shared, stockEntries, stockFiles, authors, libInfos, \
     categories, languages, texts, descKeys, descValues, descTexts)) \
  X(LvResult, CloseDLL, (), ()) \
  \
  /* blits and timer */ \
  /* 0 after the last record; count itself when records is null */ \
  X(LvResult, DoBlt, (int32_t count, const BlitOp* records, LvHandle defaultDc), \
    (count, records, defaultDc)) \
  /* the records stay untouched until the batch is done */ \
  X(LvResult, BatchBlt, (int32_t count, const BlitOp* records, LvHandle defaultDc), \
    (count, records, defaultDc)) \
  /* 1 while a batch is pending; else the tick stamp goes to stampOut (may be null) */ \
  X(LvResult, CheckBlt, (int32_t* stampOut), (stampOut)) \
  X(LvResult, WaitBlt, (int32_t* stampOut), (stampOut)) \
  X(LvResult, StartMMTimer, (int32_t periodMs), (periodMs)) \
  X(LvResult, StopMMTimer, (), ()) \
  /* the screen side of batches (include/lumvatek/blit.h); null: none */ \
  X(LvResult, SetPresenter, (const LvPresenter* presenter), (presenter)) \
  /* draw with the raster object table of the program (called once the library is loaded) */ \
  X(LvResult, ShareRaster, (void* table, uint32_t layout), (table, layout)) \
  \
  /* buffers and visibility */ \
  /* stripCounts and widths may be null */ \
  X(LvResult, InitBuffer, \
    (LvHandle baseDc, int32_t minWidth, int32_t classCount, const int32_t* heights, \
     const int32_t* stripCounts, const int32_t* widths), \
    (baseDc, minWidth, classCount, heights, stripCounts, widths)) \
  /* an off-screen buffer id; 0 when none can be had (GetBufferError says why) */ \
  X(LvHandle, AllocBuffer, (int32_t width, int32_t height, int32_t value), \
    (width, height, value)) \
  /* why the last AllocBuffer gave 0 (-10041 to -10044), 0 after one that gave a buffer */ \
  X(LvResult, GetBufferError, (), ()) \
  /* the strips there are and the buffers in use; either pointer may be null */ \
  X(LvResult, GetBufferCounts, (int32_t* stripsOut, int32_t* buffersOut), \
    (stripsOut, buffersOut)) \
  /* clears the caller's variable */ \
  X(LvResult, FreeBuffer, (LvHandle* buffer), (buffer)) \
  /* every out pointer may be null */ \
  X(LvResult, GetBufferData, \
    (LvHandle buffer, LvHandle* pictureDcOut, LvHandle* maskDcOut, int32_t* xOut, \
     int32_t* yOut, uint8_t** maskBitsOut), \
    (buffer, pictureDcOut, maskDcOut, xOut, yOut, maskBitsOut)) \
  X(LvResult, ShutdownBuffer, \
    (int32_t classCount, const int32_t* heights, int32_t* stripCountsOut, \
     int32_t* widthsOut), \
    (classCount, heights, stripCountsOut, widthsOut)) \
  /* masks: bottom-up, 1 bit per pixel, most significant bit leftmost, rows of 32 bits */ \
  X(LvResult, IsVisible, \
    (int32_t unused, int32_t maskWidth, int32_t maskHeight, const uint8_t* maskBits, \
     int32_t x, int32_t y, int32_t width, int32_t height), \
    (unused, maskWidth, maskHeight, maskBits, x, y, width, height)) \
  /* per block: left column, top row (from y), width, height */ \
  X(LvResult, VisibleBlocks, \
    (int32_t unused, int32_t maskWidth, int32_t maskHeight, const uint8_t* maskBits, \
     int32_t x, int32_t y, int32_t width, int32_t height, int32_t* blocksOut, \
     int32_t maxBlocks, int32_t minGap), \
    (unused, maskWidth, maskHeight, maskBits, x, y, width, height, blocksOut, \
     maxBlocks, minGap)) \
  /* writes value into the 32-bit pixels whose mask bit is set */ \
  X(LvResult, GenMsk, \
    (int32_t width, int32_t height, const uint8_t* maskBits, uint32_t* pixels, int32_t x, \
     int32_t y, int32_t rectWidth, int32_t rectHeight, uint32_t value), \
    (width, height, maskBits, pixels, x, y, rectWidth, rectHeight, value)) \
  /* reports the engine's allocations as diagnostic texts (event 206) */ \
  X(LvResult, HeapDump, (), ()) \
  \
  /* stock text */ \
  X(LvResult, LoadStockAscii, \
    (const char* file, LvStockLineProc onStockKeyLine, LvStockFileProc onStockFile, \
     LvStockEntryProc onStockEntry, LvStockLineProc onDescKeyLine, \
     LvStockLinkProc onStockLink, LvDescTextProc onDescText, int32_t* lineCountOut), \
    (file, onStockKeyLine, onStockFile, onStockEntry, onDescKeyLine, onStockLink, \
     onDescText, lineCountOut)) \
  /* registers an author code during a load */ \
  X(LvResult, LSetAuth, (const char* authorCode, int32_t authorNumber), \
    (authorCode, authorNumber)) \
  /* fileNames: array of const char*, indexed by file index; colour 0x00BBGGRR */ \
  X(LvResult, SaveStock, \
    (int32_t formatVersion, const char* file, int32_t background, \
     const LvArrayDesc* fileNames), \
    (formatVersion, file, background, fileNames)) \
  /* first entry after startIndex whose composition uses the name */ \
  X(LvResult, LookUse, (const char16_t* name, int32_t startIndex), (name, startIndex)) \
  /* record streams in memory of size bytes */ \
  X(LvResult, GetStockData, \
    (const uint8_t* buffer, int32_t size, int32_t startOffset, int32_t count, \
     LvStockEntryProc proc, int32_t flag), \
    (buffer, size, startOffset, count, proc, flag)) \
  X(LvResult, GetDescTxtData, \
    (const uint8_t* buffer, int32_t size, int32_t startOffset, int32_t count, \
     LvDescTextProc proc), \
    (buffer, size, startOffset, count, proc)) \
  \
  /* stock binary */ \
  /* level 0 writes "StkB0", 1 to 9 "StkZ0"; colour 0x00BBGGRR */ \
  X(LvResult, SaveStockBin, \
    (int32_t formatVersion, int32_t level, const char* file, int32_t background), \
    (formatVersion, level, file, background)) \
  /* a non-zero stopFlag stops after the library infos */ \
  X(LvResult, LoadStockBin, (const char* file, int16_t stopFlag, int32_t* backgroundOut), \
    (file, stopFlag, backgroundOut)) \
  \
  /* writers */ \
  /* writes the current picture as GIF89a */ \
  X(LvResult, SaveGif, (const char* file, const char* unused1, const char* unused2), \
    (file, unused1, unused2)) \
  /* captures the bitmap selected into dc into slot 0..31 */ \
  X(LvResult, WriteBmpPicture, \
    (LvHandle dc, const char* file, int32_t slot, int32_t options), \
    (dc, file, slot, options)) \
  /* writes every captured slot; returns the bytes written */ \
  X(LvResult, FlushBmpPicture, (int32_t unused1, int32_t unused2, int32_t unused3), \
    (unused1, unused2, unused3)) \
  /* mask may be null; brightness and contrast from -1 to 1 */ \
  X(LvResult, BrightnessContrast, \
    (uint32_t* pixels, const uint8_t* mask, int32_t pictureWidth, int32_t unused, \
     int32_t x, int32_t y, int32_t width, int32_t height, float brightness, \
     float contrast), \
    (pixels, mask, pictureWidth, unused, x, y, width, height, brightness, contrast)) \
  /* stubs: no effect, -1 */ \
  X(LvResult, CollectZip, (int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5), \
    (a1, a2, a3, a4, a5)) \
  X(LvResult, PackZip, (int32_t a1, int32_t a2, int32_t a3), (a1, a2, a3)) \
  X(LvResult, WriteTSVPicture, (int32_t a1, int32_t a2, int32_t a3), (a1, a2, a3)) \
  X(LvResult, FinishZip, (int32_t a1), (a1)) \
  X(LvResult, MedianCut, (int32_t a1), (a1)) \
  X(LvResult, WriteGifPicture, \
    (int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, int32_t a6, int32_t a7, \
     int32_t a8), \
    (a1, a2, a3, a4, a5, a6, a7, a8)) \
  X(LvResult, ConvertPicture, (), ()) \
  X(LvResult, GenHist, (), ()) \
  X(LvResult, InitMedianCut, (), ()) \
  X(LvResult, TerminateMedianCut, (), ()) \
  \
  /* DirectDraw: surfaces are ids; a null surface means the default surface */ \
  X(LvResult, InitDDraw, (LvWindow window), (window)) \
  /* 0 primary, 1 back buffer, 2 third slot */ \
  X(LvResult, SetDefaultSurface, (int32_t which), (which)) \
  X(LvHandle, GetDDC, (LvHandle surface), (surface)) \
  /* dc 0 releases the last one from GetDDC */ \
  X(LvResult, ReleaseDDC, (LvHandle surface, LvHandle dc), (surface, dc)) \
  X(LvResult, CanFlip, (), ()) \
  /* ours: with a view, the pages of flip chains made from now on share one bitmap, which \
     the view shows (for a caller that repaints whole what changed since a page was drawn \
     last and never reads a page back); null, each page is a bitmap of its own (the default) */ \
  X(LvResult, SetPageSharing, (const LvPageView* view), (view)) \
  /* ours: 1 while the pages of the flip chain share one bitmap (a chain made while a page \
     view was set: it keeps sharing until it goes, view or not), else 0 */ \
  X(LvResult, PagesShared, (), ()) \
  X(LvResult, Flip, (), ()) \
  /* colourKey 0 = none; site names the calling place */ \
  X(LvHandle, CreateSurface, (int32_t width, int32_t height, uint32_t colourKey, int32_t site), \
    (width, height, colourKey, site)) \
  /* clears the caller's variable */ \
  X(void, DeleteSurface, (LvHandle* surface), (surface)) \
  X(LvResult, FillSurface, \
    (LvHandle surface, int32_t x, int32_t y, int32_t width, int32_t height, \
     uint32_t colour, int32_t flags, int32_t site), \
    (surface, x, y, width, height, colour, flags, site)) \
  X(LvResult, CanBlt, (), ()) \
  X(LvResult, DDBlt, \
    (LvHandle dest, int32_t x, int32_t y, int32_t width, int32_t height, LvHandle source, \
     int32_t xSrc, int32_t ySrc, int32_t flags, int32_t site), \
    (dest, x, y, width, height, source, xSrc, ySrc, flags, site)) \
  X(LvResult, EnumDDModes, (LvModeProc proc), (proc)) \
  X(LvResult, EnumDispModes, (LvModeProc proc), (proc)) \
  /* the surface's pixel value for an RGB colour */ \
  X(LvResult, MatchColor, (LvHandle surface, uint32_t rgb), (surface, rgb)) \
  X(LvResult, SetDisplayMode, \
    (int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate), \
    (width, height, bitsPerPixel, refreshRate)) \
  X(LvResult, CreatePrimary, (int32_t backBuffers), (backBuffers)) \
  X(void, DeletePrimary, (), ()) \
  X(LvResult, CloseDDraw, (), ()) \
  X(LvResult, GetScanLine, (), ()) \
  X(LvResult, DDGetLastError, (), ()) \
  \
  /* texts and tables: out buffers hold at most capacity units, terminator included */ \
  /* alias list n (0..39) */ \
  X(LvResult, GetFixedString, (int32_t list, char16_t* buffer, int32_t capacity), \
    (list, buffer, capacity)) \
  /* default text of a key, from the text table or the menu captions */ \
  X(LvResult, GetDefTxt, (const char* key, char* buffer, int32_t capacity), \
    (key, buffer, capacity)) \
  /* message of an engine error number */ \
  X(LvResult, GetNumTxt, (int32_t number, char16_t* buffer, int32_t capacity), \
    (number, buffer, capacity)) \
  /* key of text-table entry n (0..410) */ \
  X(LvResult, GetKey, (int32_t entry, char* buffer, int32_t capacity), \
    (entry, buffer, capacity)) \
  /* text key of a menu item; bit 15 of menuWord searches every menu */ \
  X(LvResult, GetMenuKey, \
    (int32_t menuWord, int32_t identifier, char* buffer, int32_t capacity), \
    (menuWord, identifier, buffer, capacity)) \
  \
  /* window slots */ \
  X(LvResult, OpenFrm, (int16_t slot, LvWindow window, const FormLimits* limits), \
    (slot, window, limits)) \
  X(LvResult, CloseFrm, (int32_t slot), (slot)) \
  X(LvResult, SetWindowLimits, (int32_t slot, int32_t minWidth, int32_t minHeight), \
    (slot, minWidth, minHeight)) \
  /* attaches the slot's menu bar again */ \
  X(LvResult, ShowMenu, (int32_t slot), (slot)) \
  X(LvResult, HideMenu, (int32_t slot), (slot)) \
  /* reports hover and leave of a control as events with Code = code, Arg1 = id */ \
  X(LvResult, StartSubclass, \
    (LvWindow window, uint8_t flags, uint8_t code, int16_t identifier), \
    (window, flags, code, identifier)) \
  /* the last mouse position over a form; returns its key-state word */ \
  X(LvResult, GetMouseMoveData, (int32_t* xOut, int32_t* yOut), (xOut, yOut)) \
  /* the version text, cut to capacity bytes with its terminator */ \
  X(LvResult, GetDLLVersion, (char* buffer, int32_t capacity), (buffer, capacity)) \
  /* the program's window and menu operations (include/lumvatek/window_ops.h) */ \
  X(LvResult, SetWindowOps, (const LvWindowOps* ops), (ops)) \
  /* runs the engine's procedure for a hooked window's event */ \
  X(LvResult, WindowProc, (LvWindow window, LvWindowMessage* message), (window, message)) \
  \
  /* timetable reader */ \
  X(LvResult, InitTtRead, (), ()) \
  X(LvResult, FinishTtRead, (), ()) \
  /* the name "=" sets the default option value */ \
  X(LvResult, SetTtOption, (const char16_t* name, int32_t value), (name, value)) \
  /* a non-null text is read in place of the file and must stay unchanged meanwhile */ \
  X(LvResult, OpenTtFile, (const char* name, int32_t value, const char16_t* text), \
    (name, value, text)) \
  /* closes the innermost file or text source */ \
  X(LvResult, TtFileClose, (), ()) \
  /* buffer in the shared-string layout; returns the characters written, no terminator */ \
  X(LvResult, GetTtLine, (char16_t* buffer, int32_t* valueOut, int32_t* lineOut), \
    (buffer, valueOut, lineOut)) \
  /* level 0 is the innermost source; nameCapacity in characters */ \
  X(LvResult, GetTtPosition, \
    (int32_t level, int32_t* kindOut, char16_t* nameOut, int32_t nameCapacity, \
     int32_t* lineOut, int32_t* columnOut, int32_t* paramIndexOut), \
    (level, kindOut, nameOut, nameCapacity, lineOut, columnOut, paramIndexOut)) \
  \
  /* stock look-up and macros */ \
  /* builds the name index over entries 1..count of the stock table */ \
  X(void, PrepareLookStock, (const LvArrayDesc* stockTable, int32_t count), \
    (stockTable, count)) \
  X(LvResult, LookStockIdx, (const char16_t* name), (name)) \
  /* position -1 gives the number of keys */ \
  X(LvResult, GetStockSortIdx, (int32_t position), (position)) \
  X(LvResult, GetLastFoundIdx, (), ()) \
  X(LvResult, MacIni, (), ()) \
  X(LvResult, DefMac, (const char16_t* name, const char16_t* value), (name, value)) \
  X(LvResult, GetMac, (int32_t number, char16_t** nameOut, char16_t** valueOut), \
    (number, nameOut, valueOut)) \
  /* sorts the macros and marks duplicate names; returns the count */ \
  X(LvResult, SortMac, (), ()) \
  X(LvResult, MacFree, (), ()) \
  \
  /* expansion */ \
  /* writes elements 1..n of the string array; direction -1 left, 1 right, 0 choose */ \
  X(LvResult, ExpandS, \
    (const char16_t* pattern, LvArrayDesc* strings, int32_t flags, int16_t* direction), \
    (pattern, strings, flags, direction)) \
  /* ORs mask into the selection mask of every stock entry named in the text */ \
  X(LvResult, SelectFromText, (const char16_t* text, uint16_t mask), (text, mask)) \
  X(LvResult, FindAttrib, (const char16_t* text), (text)) \
  \
  /* animation compiler */ \
  /* the first character of steps is skipped; returns the offset after the end byte */ \
  X(LvResult, CompileAnim, (const char* steps, int32_t offset), (steps, offset)) \
  X(LvResult, GetCompiled, (uint8_t* buffer, int32_t capacity), (buffer, capacity)) \
  X(LvIndirProc, SetIndir, (LvIndirProc proc), (proc)) \
  X(LvResult, CallIndir, (int32_t value), (value)) \
  \
  /* utilities: positions are 1-based characters */ \
  /* what: a character code below 256, or the address of a text of candidates */ \
  X(LvResult, RLook, (const char16_t* text, int32_t start, int32_t end, uintptr_t what), \
    (text, start, end, what)) \
  /* wildcard match; templ and out may be null */ \
  X(LvResult, Match, \
    (const char16_t* pattern, const char16_t* text, const char16_t* templ, char16_t* out), \
    (pattern, text, templ, out)) \
  /* next word character (wantWord != 0) or next other character from start */ \
  X(LvResult, LookDelim, (const char16_t* text, int32_t start, int32_t wantWord), \
    (text, start, wantWord)) \
  /* is the word at index followed by "|" and another word */ \
  X(LvResult, LookSel, \
    (const char16_t* text, int32_t index, int32_t* wordEndOut, int32_t* nextWordOut), \
    (text, index, wordEndOut, nextWordOut)) \
  /* removes blanks before line ends and at the end, in place */ \
  X(LvResult, RTrimBlk, (char16_t* text), (text)) \
  X(LvResult, SortText, (char16_t** text), (text)) \
  /* sorts count text references elementSize bytes apart */ \
  X(LvResult, SSort, (void* array, int32_t count, int32_t elementSize), \
    (array, count, elementSize)) \
  X(LvResult, ISort, (void* array, int32_t count, int32_t elementSize), \
    (array, count, elementSize)) \
  X(LvResult, MemCpy, (void* dest, const void* source, int32_t count), \
    (dest, source, count)) \
  X(LvResult, GetDDCaps, (), ()) \
  X(LvResult, BufferIntegrity, (), ()) \
  \
  /* menus: menu numbers 0..30 address the engine's menu table, LvHandle a built menu */ \
  /* position word: low 12 bits the position (4095 appends), bit 15 makes a submenu */ \
  X(LvResult, SetMenuItem, \
    (int32_t menu, int32_t positionWord, const char* caption, int32_t identifier), \
    (menu, positionWord, caption, identifier)) \
  X(LvResult, InsertMenuData, \
    (LvHandle menu, int32_t position, int32_t identifier, const char* caption), \
    (menu, position, identifier, caption)) \
  /* position -1 cuts back to the items the menu was built with */ \
  X(LvResult, CutMenu, (int32_t menu, int32_t position), (menu, position)) \
  /* breaks a long menu into columns */ \
  X(LvResult, BreakMenu, (int32_t menu), (menu)) \
  X(LvResult, DoBreakMenu, (LvHandle menu, int32_t itemCount), (menu, itemCount)) \
  X(LvResult, CheckMenu, (int32_t identifier, int32_t on), (identifier, on)) \
  X(LvResult, CheckItem, (int32_t menu, int32_t position, int32_t on), \
    (menu, position, on)) \
  X(LvResult, EnableMenu, (int32_t identifier, int32_t on), (identifier, on)) \
  /* byte index := (byte AND keepMask) OR setBits */ \
  X(LvResult, SetCheckState, (int32_t index, int32_t keepMask, int32_t setBits), \
    (index, keepMask, setBits)) \
  /* shows menu (flags AND 0x3F) at client point (x, y) of window */ \
  X(LvResult, ShowPopup, \
    (int16_t slot, int32_t flags, int32_t x, int32_t y, LvWindow window, int32_t modeWord), \
    (slot, flags, x, y, window, modeWord)) \
  /* builds the label submenus one label at a time; menuOut may be null */ \
  X(LvResult, SetCatMenu, \
    (int16_t index, int16_t level, const char* caption, LvHandle* menuOut), \
    (index, level, caption, menuOut)) \
  /* enumerates every default text through event 202 */ \
  X(LvResult, GetMenuTxt, (), ()) \
  /* the program's answer to event 203 */ \
  X(LvResult, SetMenuTxt, (const char* text), (text))
// clang-format on

#define LV_DECLARE_EXPORT(result, name, params, args) LV_EXPORT result name params noexcept;
LV_EXPORT_LIST(LV_DECLARE_EXPORT)
#undef LV_DECLARE_EXPORT
