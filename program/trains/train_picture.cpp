// The train picture table, and the composition of a train unit into one picture: the
// pattern expanded into vehicle names, each vehicle drawn onto the current canvas as one part
// of a chain, a vehicle that cannot be loaded shown as a label of its error.
#include "program/trains/train_picture.h"

#include <algorithm>
#include <exception>

#include "lumvatek/shared.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/script_reader.h"
#include "program/scene/stock_picture.h"
#include "program/scene/vehicle_build.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/train_labels.h"
#include "program/trains/train_picture_split.h"
#include "program/trains/train_start_state.h"
#include "program/trains/vehicle_plate.h"

namespace yov {
namespace {

constexpr int32_t kSiteFreePart = 15010;
constexpr int32_t kSiteNextVehicle = 11101;
constexpr int32_t kSiteAfterFailure = 11102;
constexpr size_t kLoggedNameLength = 40;

int32_t ExpandThroughEngine(std::u16string_view pattern, std::vector<std::u16string>& names, int16_t& direction) {
    SharedArray<LvString> strings;
    const EngineText text(pattern);
    const int32_t n = lv::ExpandS(text.get(), strings.desc(), programState().Shared.MacroCount, &direction);
    names.assign(1, std::u16string());
    for (int32_t i = 1; i <= n && i < strings.length(); ++i) names.push_back(strings[i]);
    return n < 0 ? n : static_cast<int32_t>(names.size()) - 1;
}

TrainRec* currentTrain() {
    const int32_t t = showState().CurTrain;
    return trains().valid(t) ? &trains().at(t) : nullptr;
}

int32_t takeEntry() {
    TrainPictureTable& t = trainPictures();
    for (int32_t i = 1; i <= t.Count; ++i)
        if (t[i].MotionState == kPictureFree) {
            t[i] = TrainPicture{};
            return i;
        }
    ++t.Count;
    if (t.Count > t.Alloc) {
        t.Alloc += kTrainPictureGrowth;
        t.Entries.resize(static_cast<size_t>(t.Alloc) + 1);
    }
    t[t.Count] = TrainPicture{};
    return t.Count;
}

// The composition: the parameter's value, or the current train's next pending one. A last
// composition without its carriage return is taken whole.
std::u16string compositionText(std::u16string_view name) {
    if (name != u"*") return paramTable().GetParam(name, u"");
    TrainRec* train = currentTrain();
    if (train == nullptr) return {};
    std::u16string& pending = train->StepText[0];
    const size_t cr = pending.find(u'\r');
    std::u16string comp = pending.substr(0, cr);
    pending = cr == std::u16string::npos ? std::u16string() : pending.substr(cr + 1);
    return comp;
}

void logFailure(const std::u16string& message, bool alreadyReported) {
    if (!alreadyReported) WriteErrorLog(message);
    TrainRec* train = currentTrain();
    if (train == nullptr) return;
    const int32_t line = train->Line;
    const int32_t depth = std::clamp(train->PoolDepth, 0, kMaxPoolDepth);
    std::vector<int32_t> lines{line};
    for (int32_t i = 1; i <= depth; ++i) lines.push_back(train->PoolLines[static_cast<size_t>(i)]);
    for (int32_t l : lines) WriteErrorLog(u"  from " + ScriptPosText(l));
}

std::u16string failureMessage(std::u16string_view name, const std::u16string& description) {
    std::u16string shown(name.substr(0, std::min(name.size(), kLoggedNameLength)));
    if (name.size() > kLoggedNameLength) shown += u" ... ";
    return u"\"" + shown + u"\": " + description;
}

void stepOrStop(int32_t site) {
    frameStep(site);
    if (programState().run.StopRequest != 0) throw ProgramError(error_number::kReported, u"");
}

// Loads one vehicle at the pen; its part, or 0 when it failed and was logged.
int32_t loadVehicle(const std::u16string& name, int32_t height, uint8_t& allFlagged) {
    TrainBuildState& b = trainBuild();
    const int32_t penX = b.PenX;
    const int32_t length = b.RunningLength;
    const int32_t partMark = picParts().StackCount;
    const int32_t slotMark = pictureSlots().StackCount;
    // A vehicle's failure names the line and the pool lines it came through itself.
    const ScriptPlaceScope noPlace({});
    try {
        const int32_t part = trainPictureSources().loadVehicle(name, height);
        if (!picParts().valid(part)) throw ProgramError(error_number::kInvalidCall, u"No picture");
        // Each frame keeps its own state byte per part: more would run past them.
        if (picParts()[part].ExtraFrames >= kMaxPartFrames)
            throw ProgramError(error_number::kInvalidCall,
                               u"More than " + decimal(kMaxPartFrames) + u" frames in one picture");
        if ((picParts()[part].Flags & 1) == 0) allFlagged = 0;
        BuildVehiclePlate(part);
        return part;
    } catch (...) {
        const PendingError e = pendingErrorOf(std::current_exception());
        const bool reported = e.number == error_number::kReported;
        const std::u16string message = failureMessage(name, e.description);
        b.PenX = penX;
        ReleaseToMark(partMark, slotMark);
        b.RunningLength = length;
        // A stop cuts the load short: the vehicle did not fail, there is nothing to log.
        if (!reported || programState().run.StopRequest == 0) logFailure(message, reported);
        if (reported || scriptReader().S.Run.SkipErrors != 0) throw ProgramError(error_number::kReported, message);
        stepOrStop(kSiteAfterFailure);
        return DrawLabelText(message);
    }
}

}  // namespace

TrainPictureTable& trainPictures() {
    static TrainPictureTable table;
    return table;
}

void ResetTrainPictures() { trainPictures() = TrainPictureTable{}; }

TrainBuildState& trainBuild() {
    static TrainBuildState state;
    return state;
}

int32_t TrainPictureSources::loadVehicle(std::u16string_view name, int32_t height) {
    // The stock picture draws where the canvas is filled to: that is the unit's pen, and after
    // it the pen and the running length move on by what it drew.
    TrainBuildState& b = trainBuild();
    currentCanvas().fillPosition = b.PenX;
    const int32_t part = LoadStockPicture(name, height, 0, 0);
    if (picParts().valid(part)) {
        b.PenX = std::max(b.PenX, currentCanvas().fillPosition);
        b.RunningLength += picParts()[part].Width;
    }
    return part;
}

int32_t TrainPictureSources::expand(std::u16string_view pattern, std::vector<std::u16string>& names,
                                    int16_t& direction) {
    return ExpandThroughEngine(pattern, names, direction);
}

std::u16string TrainPictureSources::plateText(int32_t stock) { return GetDescriptionText(stock, 1, u" "); }

TrainDrawMode currentDrawMode() { return trainPictureSources().drawMode(); }

TrainDrawMode TrainPictureSources::drawMode() {
    const ShowState& s = showState();
    TrainDrawMode m;
    m.DirectDraw = s.UseDirectDraw != 0;
    // Only GDI keeps a buffer per whole train: the painter's composed path needs it.
    m.WholeTrains = !m.DirectDraw && s.DrawWholeTrains != 0;
    m.SceneWidth = s.Display.SceneWidth;
    m.KeyPixel = static_cast<int32_t>(s.Display.KeyPixel);
    m.BackgroundPixel = static_cast<int32_t>(s.Display.BackgroundPixel);
    m.BookPages = static_cast<uint8_t>(BookPages(s));
    m.SolidBrush = s.Display.BackBrush;
    return m;
}

int32_t FrameTimingFor(int32_t extraFrames) {
    const int32_t n = std::clamp(extraFrames, 0, kMaxPartFrames - 1);
    if (n == 31) return -1;
    if (n == 30) return 0x7FFFFFFF;
    return static_cast<int32_t>((uint32_t{1} << (n + 1)) - 1);
}

int32_t BuildTrainPicture(std::u16string& compositionName, uint8_t& allFlagged, uint8_t mirror) {
    const std::u16string comp = compositionText(compositionName);
    SelectCanvas(0);
    const int32_t pic = takeEntry();
    TrainPictureTable& table = trainPictures();
    // More than the list holds would leave pictures no failed start could free.
    if (table.AttemptCount >= kMaxAttemptPictures) {
        table[pic].MotionState = kPictureFree;
        throw ProgramError(error_number::kInvalidCall,
                           u"More than " + decimal(kMaxAttemptPictures) + u" train pictures in one start");
    }
    table.Attempt[static_cast<size_t>(++table.AttemptCount)] = pic;
    table[pic].MotionState = kPictureBuilt;

    TrainBuildState& b = trainBuild();
    VehicleBuildState& vehicle = vehicleBuild();
    vehicle.DefaultAcceleration = 0;
    vehicle.DefaultBraking = 0;
    vehicle.DefaultSpeed = 0;
    vehicle.DefaultW.clear();
    programState().Shared.ExpandState1 = 1;
    programState().Shared.ExpandState2 = 0;
    b.RunningLength = 0;
    b.FirstPart = 0;
    b.PenX = 0;
    b.BaseY = canvasSlot(0).height;
    int32_t greatest = 0;
    int16_t vehicles = 0;

    {
        TrainPicture& p = trainPictures()[pic];
        p.Composition = comp;
        const SceneScript& s = scriptReader().S;
        const int32_t sect = showState().CurSect;
        if (sect >= 0 && static_cast<size_t>(sect) < s.Sections.size()) {
            p.CoupleDist = s.Sections[static_cast<size_t>(sect)].CoupleDistance;
            p.CreepSpeed = s.Sections[static_cast<size_t>(sect)].CoupleSpeed;
            p.StartSpeed = s.Sections[static_cast<size_t>(sect)].InitialSpeed;
        }
        p.AccelRate = 0.05f;
        p.BrakeRate = 0.05f;
    }

    int16_t& direction = trainStart().CurDirection;
    const int32_t n = trainPictureSources().expand(comp, b.Names, direction);
    // The engine's codes are negative; their texts are numbered by the code's magnitude.
    if (n < 0) throw ProgramError(error_number::kMessage, GetErrorNumberText(-n, comp));
    // Every vehicle faces the way this unit runs, whatever the last picture built (a stock
    // window's row, another train) left.
    pictureSlots().PictureDirection = static_cast<int16_t>(mirror != 0 ? -direction : direction);
    const std::vector<std::u16string> names = b.Names;
    int32_t last = 0;
    for (int32_t i = 1; i <= n && static_cast<size_t>(i) < names.size(); ++i) {
        stepOrStop(kSiteNextVehicle);
        const std::u16string& name = names[static_cast<size_t>(i)];
        if (plat::ucase(name) == u"EMPTY") continue;
        const TrainRec* train = currentTrain();
        const int32_t part = loadVehicle(name, train != nullptr ? train->VehicleHeight : 0, allFlagged);
        ++vehicles;
        // Each vehicle grows the canvas the train is drawn on, copying what it holds: a
        // composition of thousands of vehicles would keep a core busy for minutes.
        if (vehicles > kMaxTrainVehicles || b.RunningLength > kMaxTrainLength) {
            lineReaders().RaiseLineError(trainStart().CurLine, u"Train longer than " + decimal(kMaxTrainVehicles) +
                                                                   u" vehicles or " + decimal(kMaxTrainLength) +
                                                                   u" pixels: " + comp);
        }
        if (last == 0)
            b.FirstPart = part;
        else
            picParts()[last].NextPart = part;
        picParts()[part].NextPart = 0;
        last = part;
        // Linked as it grows, so that freeing a picture whose build failed frees what it has.
        trainPictures()[pic].FirstPart = b.FirstPart;
        greatest = std::max(greatest, picParts()[part].PartHeight);
    }

    if (b.FirstPart == 0) {
        const int32_t label = DrawLabelText(FormatText(u"EUN", {comp}));
        picParts()[label].NextPart = 0;
        b.FirstPart = label;
        greatest = std::max(greatest, picParts()[label].PartHeight);
    }
    TrainPicture& p = trainPictures()[pic];
    p.FirstPart = b.FirstPart;
    p.VehicleCount = vehicles;
    p.OwnerTrain = showState().CurTrain;
    p.Width = b.RunningLength;
    p.Height = greatest;
    p.SourceName = compositionName;
    p.Dir = trainStart().CurDirection;
    return pic;
}

int32_t MakeTrainPicture(std::u16string& compositionName, int32_t memberPos, uint8_t mirror) {
    uint8_t scratch = 0;
    const int32_t pic = BuildTrainPicture(compositionName, scratch, mirror);
    if (mirror != 0) trainPictures()[pic].Dir = static_cast<int16_t>(-trainPictures()[pic].Dir);
    TrainRec* train = currentTrain();
    if (train == nullptr) throw ProgramError(error_number::kInvalidCall, u"No train to enter the picture into");
    SplitTrainPicture(*train, pic, memberPos);
    return pic;
}

void FreeTrainPicture(int32_t& picture) {
    if (!trainPictures().valid(picture) || trainPictures()[picture].MotionState == kPictureFree) {
        picture = 0;
        return;
    }
    int32_t part = trainPictures()[picture].FirstPart;
    trainPictures()[picture].FirstPart = 0;
    // A chain is at most as long as the pool: a damaged link cannot loop for ever.
    for (int32_t hops = 0; part != 0 && hops <= picParts().Count; ++hops) part = FreePicPart(part, kSiteFreePart);
    LvHandle buffer = static_cast<LvHandle>(trainPictures()[picture].TrainBuffer);
    FreeDrawBuffer(buffer);
    TrainPicture& p = trainPictures()[picture];
    p.TrainBuffer = 0;
    p.Speed = 0;
    p.MotionState = kPictureFree;
    picture = 0;
}

void FreeAttemptPictures() {
    TrainPictureTable& t = trainPictures();
    for (int32_t i = 1; i <= t.AttemptCount; ++i) {
        int32_t pic = t.Attempt[static_cast<size_t>(i)];
        FreeTrainPicture(pic);
        t.Attempt[static_cast<size_t>(i)] = 0;
    }
    t.AttemptCount = 0;
}

}  // namespace yov
