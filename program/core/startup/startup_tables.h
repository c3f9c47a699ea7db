// The program-wide tables start-up fills: picture kinds, colours, type-code letters, bit
// tables and the language list's general entry. (The settings it reads are the settings
// table's, program/dialogs/settings_table.h.)
#pragma once

#include <string>

namespace yov {

// The picture kinds, colour letters and colours, type-code letters (whose address goes into
// SharedState), bit tables, the eleven language entries and the expansion work array.
void BuildStartupTables();

// The 146 type-code letters: " RESATFOPMHB1", then 48 pairs of a Windows-1250 letter from
// 0xC0 on and one of 2-9, a-z, C D G I J K L N Q U V W X Y, then 0xF0, "Z", 0xF1-0xFF and
// 0xA1-0xB4, each as its UTF-16 character.
std::u16string MakeTypeCodeLetters();

}  // namespace yov
