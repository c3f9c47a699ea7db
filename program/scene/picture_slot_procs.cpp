// Picture-slot procedures shared by the vehicle picture builders.
#include "program/scene/picture_slot_procs.h"

#include <algorithm>

#include "lumvatek/exports.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/scene/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_build.h"

namespace yov {

namespace {

constexpr int32_t kSlotGrowth = 20;
constexpr int32_t kLabelGrowth = 5;
constexpr uint32_t kSurfaceKey = 0x100010;

PicPart* CurrentPart() {
  PicPartPool& pool = picParts();
  if (pool.CurPart < 1 || !pool.valid(pool.CurPart)) return nullptr;
  return &pool[pool.CurPart];
}

}  // namespace

PartArea CurrentPartArea() {
  const PicPart* part = CurrentPart();
  if (part == nullptr) return {};
  return {pictureBuildState().PartOriginX, part->PartY, part->Width, part->PartHeight};
}

int32_t AllocPictureSlot() {
  PictureSlotTable& t = pictureSlots();
  int32_t slot = t.FreeHead;
  if (slot != 0 && t.valid(slot)) {
    t.FreeHead = t[slot].NextSlot;
  } else {
    slot = ++t.Count;
    if (t.Count > t.Alloc) {
      t.Alloc = std::max(t.Alloc, t.Count - 1) + kSlotGrowth;
      t.Slots.resize(static_cast<size_t>(t.Alloc) + 1);
    }
  }
  ++t.StackCount;
  if (t.StackCount > t.StackAlloc) {
    t.StackAlloc = std::max(t.StackAlloc, t.StackCount - 1) + kSlotGrowth;
    t.SlotStack.resize(static_cast<size_t>(t.StackAlloc) + 1);
  }
  t.SlotStack[static_cast<size_t>(t.StackCount)] = slot;
  t[slot] = t.Template;
  PicPartPool& pool = picParts();
  t[slot].OwnerPart = pool.CurPart;
  t[slot].State = kSlotAtRest;
  if (PicPart* part = CurrentPart()) {
    if (part->FirstSlot == 0) {
      part->FirstSlot = slot;
    } else if (t.valid(part->LastSlot)) {
      t[part->LastSlot].NextSlot = slot;
    }
    part->LastSlot = slot;
  }
  t.LabelCount = 0;
  t.DefaultLabel = 0;
  drawingStep(10401);
  return slot;
}

void InitPictureFrames(int32_t slot) {
  PictureSlot& s = pictureSlots()[slot];
  s.Frames.assign(static_cast<size_t>(s.LastFrame) + 1, SlotFrame{});
  for (int32_t k = 0; k <= s.LastFrame; ++k) {
    SlotFrame& f = s.Frames[static_cast<size_t>(k)];
    f.Surface = s.Surface;
    f.Buffer = s.Buffer;
    f.DC = s.BufDC;
    f.MaskDC = s.BufMaskDC;
    f.X = s.SrcX + s.BufX + s.StepX * k;
    f.Y = s.SrcY + s.BufY + s.StepY * k;
  }
}

void GetPictureSlotBuffer(int32_t slot, int32_t width, int32_t height) {
  const LvHandle buffer = AllocDrawBuffer(width, height, slot + 131072, 32002);
  PictureSlot& s = pictureSlots()[slot];
  s.Buffer = static_cast<int32_t>(buffer);
  LvHandle dc = 0;
  LvHandle maskDc = 0;
  int32_t x = 0;
  int32_t y = 0;
  if (buffer != 0) lv::GetBufferData(buffer, &dc, &maskDc, &x, &y, nullptr);
  s.BufDC = static_cast<int32_t>(dc);
  s.BufMaskDC = static_cast<int32_t>(maskDc);
  s.BufX = x;
  s.BufY = y;
  s.BufWidth = width;
  s.BufHeight = height;
}

int32_t AllocPairSlot(int32_t width, int32_t height) {
  const int32_t slot = AllocPictureSlot();
  PictureSlot& s = pictureSlots()[slot];
  s.FrameWidth = width;
  s.FrameHeight = height;
  s.StepDelay = 1;
  s.StepX = width;
  s.LastFrame = 1;
  GetPictureSlotBuffer(slot, width * 2, height);
  return slot;
}

bool CreateAnimSurface(int32_t slot, int32_t width, int32_t height) {
  drawingStep(10501);
  {
    PictureSlot& s = pictureSlots()[slot];
    s.BufWidth = width;
    s.BufHeight = height;
    const int64_t lastX = int64_t{s.SrcX} + int64_t{s.StepX} * s.LastFrame;
    const int64_t lastY = int64_t{s.SrcY} + int64_t{s.StepY} * s.LastFrame;
    const bool fits = s.SrcX >= 0 && int64_t{s.SrcX} + s.FrameWidth <= width && lastX >= 0 &&
                      lastX + s.FrameWidth <= width && s.SrcY >= 0 && int64_t{s.SrcY} + s.FrameHeight <= height &&
                      lastY >= 0 && lastY + s.FrameHeight <= height;
    if (!fits) RaiseProgramError(u"Animation picture is smaller as needed");
  }
  if (programState().BatchMode != 0 && (pictureSlots()[slot].Flags & kSlotSurfacePerFrame) == 0) {
    const LvHandle surface = lv::CreateSurface(width, height, kSurfaceKey, 13012);
    PictureSlot& s = pictureSlots()[slot];
    if (surface != 0) {
      const LvHandle dc = lv::GetDDC(surface);
      const plat::HDC to{static_cast<uint32_t>(dc)};
      const plat::HDC picture{static_cast<uint32_t>(s.BufDC)};
      const plat::HDC mask{static_cast<uint32_t>(s.BufMaskDC)};
      if ((s.Flags & kSlotTransparent) == 0) {
        plat::BitBlt(to, 0, 0, width, height, picture, s.BufX, s.BufY, plat::SRCCOPY);
      } else {
        plat::BitBlt(picture, s.BufX, s.BufY, width, height, mask, s.BufX, s.BufY, plat::SRCAND);
        lv::FillSurface(surface, 0, 0, width, height, kSurfaceKey, 0, 16018);
        drawingStep(10504);
        plat::BitBlt(to, 0, 0, width, height, mask, s.BufX, s.BufY, 0x00220326);
        plat::BitBlt(to, 0, 0, width, height, picture, s.BufX, s.BufY, plat::SRCPAINT);
      }
      lv::ReleaseDDC(surface, dc);
      PictureSlot& again = pictureSlots()[slot];
      LvHandle buffer = static_cast<LvHandle>(again.Buffer);
      FreeDrawBuffer(buffer);
      again.Buffer = 0;
      again.BufDC = 0;
      again.BufMaskDC = 0;
      again.BufX = 0;
      again.BufY = 0;
      again.Surface = static_cast<int32_t>(surface);
    }
  }
  InitPictureFrames(slot);
  return true;
}

void AddAnimLabel(std::u16string_view name, std::u16string_view mode) {
  PictureSlotTable& t = pictureSlots();
  ++t.LabelCount;
  if (t.LabelCount > t.LabelAlloc) {
    t.LabelAlloc = std::max(t.LabelAlloc, t.LabelCount - 1) + kLabelGrowth;
    t.AnimLabelName.resize(static_cast<size_t>(t.LabelAlloc) + 1);
    t.AnimLabelMode.resize(static_cast<size_t>(t.LabelAlloc) + 1);
  }
  t.AnimLabelName[static_cast<size_t>(t.LabelCount)] = name;
  t.AnimLabelMode[static_cast<size_t>(t.LabelCount)] = mode;
}

namespace {

std::u16string NormalMode(std::u16string_view raw) {
  const std::u16string m = plat::ucase(plat::trim(raw));
  if (m.empty()) return m;
  if (m == u"F" || m == u"FW" || m == u"FORWARD") return u"F";
  if (m == u"B" || m == u"BW" || m == u"BACKWARD") return u"B";
  if (m == u"C" || m == u"CY" || m == u"CYCLE") return u"C";
  if (m == u"E" || m == u"EX" || m == u"END" || m == u"EXIT") return u"E";
  return u"P" + std::u16string(plat::trim(raw));
}

}  // namespace

void ParseAnimParams(int32_t, std::u16string_view text) {
  if (text.empty()) return;
  std::u16string list(text);
  if (list.front() == u'(') {
    const size_t close = list.find(u')');
    if (close == std::u16string::npos || !plat::trim(std::u16string_view(list).substr(close + 1)).empty())
      RaiseProgramError(FormatText(u"ANPAR", {FormatArg(list)}));
    list = list.substr(1, close - 1);
  }
  PictureSlotTable& t = pictureSlots();
  const int16_t direction = t.PictureDirection;
  size_t from = 0;
  // One item per ";": the loop ends at the text's end.
  while (from <= list.size()) {
    size_t semi = list.find(u';', from);
    if (semi == std::u16string::npos) semi = list.size();
    std::u16string item(plat::trim(std::u16string_view(list).substr(from, semi - from)));
    from = semi + 1;
    if (item.empty()) continue;
    bool isDefault = false;
    if (item.front() == u'*') {
      isDefault = true;
      item.erase(0, 1);
    } else if (item.front() == u'<') {
      isDefault = direction < 0;
      item.erase(0, 1);
    } else if (item.front() == u'>') {
      isDefault = direction > 0;
      item.erase(0, 1);
    }
    std::u16string name;
    std::u16string mode = u" ";
    const size_t eq = item.find(u'=');
    if (eq != std::u16string::npos) {
      name = plat::trim(std::u16string_view(item).substr(0, eq));
      mode = NormalMode(std::u16string_view(item).substr(eq + 1));
    } else {
      name = plat::trim(item);
    }
    name = plat::ucase(name);
    int32_t found = 0;
    for (int32_t i = 1; i <= t.LabelCount; ++i)
      if (t.AnimLabelName[static_cast<size_t>(i)] == name) {
        found = i;
        break;
      }
    if (found == 0) {
      AddAnimLabel(name, mode);
      found = t.LabelCount;
    } else if (t.AnimLabelMode[static_cast<size_t>(found)] == u" ") {
      t.AnimLabelMode[static_cast<size_t>(found)] = mode;
    }
    if (isDefault && t.DefaultLabel == 0) t.DefaultLabel = found;
  }
}

int32_t PantoCodeToMask(std::u16string_view code) {
  struct Code {
    std::u16string_view text;
    int32_t mask;
  };
  static constexpr Code kCodes[] = {
      {u"PLU", 1},  {u"P1U", 1},    {u"PRU", 2},    {u"P2U", 2},   {u"PDU", 3},   {u"P12U", 3},
      {u"PU", 3},   {u"PMU", 4},    {u"P3U", 4},    {u"P4U", 8},   {u"PA", 15},   {u"PFU", 32},
      {u"PBU", 48}, {u"PHU", 64},   {u"PTU", 80},   {u"PFIU", 128}, {u"PBIU", 144}, {u"PDO", 16384},
      {u"PNO", 16384}, {u"PD", 16384}, {u"PN", 16384},
  };
  for (const Code& c : kCodes)
    if (c.text == code) return c.mask;
  return -1;
}

void AddNeighbourName(std::u16string_view name, int32_t side) {
  PicPart* part = CurrentPart();
  if (part == nullptr) return;
  auto add = [&](std::u16string& list) {
    if (list.empty()) list = u",";
    list += name;
    list += u',';
  };
  if (side < 1) add(part->LeftStates);
  if (side >= 0) add(part->RightStates);
}

void PlaceInPart(int32_t& x, int32_t& y, int halign, int valign, int32_t width, int32_t height,
                 std::u16string_view item) {
  const PartArea a = CurrentPartArea();
  auto resolve = [](int32_t v, int align, int32_t size, int32_t extent) -> int64_t {
    if (v == kNotGiven) {
      if (align == kAlignCentre) return (int64_t{extent} - size) / 2;
      if (align == kAlignEnd) return int64_t{extent} - size;
      return 0;
    }
    int64_t at = v < 0 ? int64_t{extent} + v : int64_t{v};
    if (align == kAlignCentre) at -= size / 2;
    if (align == kAlignEnd) at -= size;
    return at;
  };
  const int64_t rx = resolve(x, halign, width, a.width);
  const int64_t ry = resolve(y, valign, height, a.height);
  if (width < 0 || height < 0 || rx < 0 || ry < 0 || rx + width > a.width || ry + height > a.height)
    RaiseProgramError(FormatText(u"OPNP", {FormatArg(item)}));
  x = static_cast<int32_t>(rx);
  y = static_cast<int32_t>(ry);
}

void GrowPictureHeight(int32_t height, int32_t& current, std::u16string_view item, int32_t) {
  if (height <= current) return;
  // Taller pictures than the stock's are a show option this build does not offer.
  RaiseProgramError(FormatText(u"OPNP", {FormatArg(item)}));
}

}  // namespace yov
