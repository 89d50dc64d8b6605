#pragma once
// Draws the add-in's toolbar and menu as the host shows them, with the faces the add-in gave its
// buttons, into a BMP file.
#include <string>

#include "command_bars.h"

namespace simulator {

bool SavePicture(const sim::SimCommandBars& bars, const std::wstring& toolbarName, const std::wstring& menuCaption,
                 const std::wstring& file);

}  // namespace simulator
