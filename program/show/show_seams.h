// The procedures of other subsystems that the show calls and that are being built elsewhere:
// the scene script's sections and reader, the train start, the display, the frame step and
// the settings dialog. Each entry is filled by its owner when it is built; until then an
// empty entry is skipped, naming itself once on standard error, and answers as "nothing
// there" (no section, no limit, a script that could not be read).
//
// Sections are reached by index: the section table grows while the script is read and
// during a show, so no reference into it is held here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace yov {

struct LineSection;

struct ShowSeams {
  // --- Sections (the script reader's SectRec table).
  std::function<int32_t()> sectionCount;
  // Binds section sect to its run-queue entry (event index, top, height) and gives its line
  // limit ("ML,MAXLINE"; 0 = none).
  std::function<int32_t(int32_t sect, int32_t entry, int32_t top, int32_t height)> bindSectionEvent;
  std::function<uint8_t(int32_t sect)> sectionRunState;
  std::function<void(int32_t sect, uint8_t state)> setSectionRunState;
  std::function<uint8_t(int32_t sect)> sectionFinishMode;  // 1 abort, 2 no more, 3 wait
  std::function<void(int32_t sect)> markSectionFinishing;  // the section's flag 4
  // The current line position that the next show's scene-line parser reads back from "L".
  std::function<int32_t(int32_t sect)> sectionLinePosition;

  // --- Scene script: reads the script and the stock; true when both were read.
  std::function<bool(const std::u16string& script, uint8_t headerOnly)> readScript;

  // --- Train generation.
  std::function<void(int32_t train, int32_t sect)> genTrain;
  std::function<int16_t(std::u16string_view text)> parseDirection;
  // The train start's callees being built elsewhere: the section's line picking and values,
  // pools, the first unit of a simple run (placed, its parts linked), its direction, the
  // attempt's pictures, layer flags and the train's text.
  std::function<int32_t(int32_t sect)> pickSectLine;  // 0 when no line is left
  std::function<void(int32_t sect)> endSect;
  std::function<bool(int32_t sect)> sectFinishing;    // the section's flag 4
  std::function<uint8_t(int32_t sect)> sectKind;
  std::function<int32_t(int32_t sect)> sectEvent;
  // A section's default texts: "AP" (its additional parameters), "TB", "TE".
  std::function<std::u16string(int32_t sect, std::u16string_view key)> sectText;
  std::function<std::u16string(int32_t line)> lineText;
  std::function<void(int32_t line, int32_t train)> markLineInUse;  // train 0 frees it
  std::function<int16_t(int32_t train, std::u16string_view pool)> resolvePool;
  std::function<int32_t(int32_t train)> placeSimpleUnit;
  // The next unit of a following train, with its speed and rates; returns its picture.
  std::function<int32_t(int32_t train)> composeNextUnit;
  std::function<int16_t(int32_t picture)> pictureDir;
  std::function<int16_t(int32_t picture)> pictureMotionState;
  std::function<void(int32_t picture, int32_t memberPos)> setPictureMember;
  std::function<void()> freeAttemptPictures;
  std::function<void(int32_t train, int32_t flags)> setLayerFlags;
  std::function<void(int32_t train, int32_t sect)> drawTrainText;
  // Paints a line's area at set-up with the section's point and layer texts.
  std::function<void(int32_t train, const LineSection& sect)> paintObject;
  std::function<void(int32_t picture)> freeTrainPicture;

  // --- Sections of the show.
  std::function<void(int32_t sect)> runSect;

  // --- Display and frame step.
  std::function<void()> startDisplay;
  std::function<void()> createDisplaySurfaces;
  std::function<void()> releaseDisplaySurfaces;
  std::function<void()> stopDisplay;
  std::function<void(int32_t callSite)> checkStep;
  std::function<void()> unloadShowForm;

  // --- Settings dialog: brings its tab in line with whether a show runs.
  std::function<void()> settingsSetTab;
};

ShowSeams& showSeams();

// Says once per name on standard error that a procedure the show calls is not built yet.
void NoteMissingSeam(std::u16string_view name);

}  // namespace yov
