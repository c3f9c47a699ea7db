// The folder chooser: a dialog for file-system folders, the start folder preselected.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class QFileDialog;
class QWidget;

namespace yov {

// The message the chooser sends its callback once it is set up.
inline constexpr int32_t kBrowseInitialized = 1;

// The chosen folder's path, or "" when the chooser was cancelled. An empty title keeps
// the dialog's own.
std::string BrowseForFolder(std::string_view startFolder, QWidget* owner, std::u16string_view title);

// Callback of the chooser: once it is set up, the start folder (when not empty) is
// selected. Always 0.
int32_t OnBrowseFolder(QFileDialog* window, int32_t message, intptr_t parameter, intptr_t data);

// The folder the chooser preselects.
std::string& browseStartFolder();

}  // namespace yov
