// Where the program keeps its settings and other per-user files.
#pragma once

#include <filesystem>

namespace plat {

// YOV_CONFIG_HOME when set (tests point it at a scratch folder), otherwise
// $XDG_CONFIG_HOME/yov, otherwise ~/.config/yov. Nothing is created here.
std::filesystem::path configFolder();

}  // namespace plat
