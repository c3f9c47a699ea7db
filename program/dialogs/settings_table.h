// Every numeric setting of the show in one table: its value name, whether it exists once per
// show mode (names ending "W" and "F"), its stored default, what a stored number reads as, how
// the memory copy relates to the stored number, what the settings dialog may store, and where
// the memory copy lives. Start-up reads the table once; the settings dialog reads the
// display-mode rows each time it opens and stores through the same rows.
//
// "Lang" is a text and belongs to the language start-up; the "\Option" values and the recent
// lists have their own owners.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace yov {

enum class SettingModes : uint8_t {
    None,            // one value for the whole program
    Both,            // base name & "W" (window) and base name & "F" (full screen)
    WindowOnly,      // only base name & "W"
    FullScreenOnly,  // only base name & "F"
};

// What a stored number reads as.
enum class ReadRule : uint8_t {
    Any,     // any 32-bit number
    Mask,    // number AND mask (an odd flag reads as 1)
    Within,  // minimum..maximum, anything else reads as `otherwise`
    Field,   // minimum..maximum (the width of the memory field); anything else gives the default
};

// What the dialog stores of a typed or chosen number.
enum class WriteRule : uint8_t {
    Any,     // as given
    Clamp,   // brought into minimum..maximum
    Refuse,  // outside minimum..maximum it is not taken
};

// Who reads the value from the settings.
enum class SettingReader : uint8_t {
    Startup,  // Main, once
    Dialog,   // the settings dialog, each time it opens
};

struct SettingSpec {
    const char16_t* name;  // the value name, or its base for per-mode values
    SettingModes modes;
    SettingReader reader;
    int32_t defaultValue;  // as stored
    ReadRule read;
    int32_t readMask;  // Mask
    int32_t readMin;   // Within, Field
    int32_t readMax;
    int32_t otherwise;  // Within
    double scale;       // memory = stored × scale
    WriteRule write;
    int32_t writeMin;
    int32_t writeMax;
    // The memory copy of mode 0 (window) or 1 (full screen); the mode is ignored by values
    // that exist once.
    double (*get)(int mode);
    void (*put)(int mode, double value);
};

// The rows in start-up's reading order.
std::span<const SettingSpec> settingsTable();

// The row of a value name: "SpeedW", "DrawAlgF", "Cache"... or its base name ("Speed"). With
// the name of a per-mode value, *mode gets its mode. Null when no row has the name.
const SettingSpec* FindSetting(std::u16string_view name, int* mode = nullptr);

// The value name of a row for a mode: "Speed" & "W", "DrawAlgF", "Cache".
std::u16string SettingValueName(const SettingSpec& spec, int mode);

// Whether the row exists in the mode.
bool SettingHasMode(const SettingSpec& spec, int mode);

// A stored number (or its absence) as the row reads it, before scaling.
int32_t ApplyReadRule(const SettingSpec& spec, int32_t stored);

// Reads the row's value of the mode from the settings into memory.
void ReadSetting(const SettingSpec& spec, int mode);

// The number stored for the memory value: memory ÷ scale, rounded half to even.
int32_t EncodeSetting(const SettingSpec& spec, double memory);

// A number the dialog would store, by the row's write rule: nothing when it is refused.
std::optional<int32_t> AcceptedForWriting(const SettingSpec& spec, int32_t number);

// Stores the row's memory value of the mode in its encoding.
void SaveSetting(const SettingSpec& spec, int mode);

// Start-up's read: "Cache", the per-mode show settings of the window and then of the full
// screen, "DrawAlgW", "DrawAlgF", "ColTrans", "Priority", "Music", "UseDefDir", "StbZ",
// "TvlZ".
void ReadStartupSettings();

// The dialog's read of "DDX", "DDY", "DDB", "DDF" and "DDA".
void ReadDisplayModeSettings();

}  // namespace yov
