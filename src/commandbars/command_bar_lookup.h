#pragma once
// Finding the add-in's toolbar again, and its remembered placement.
#include <string>

#include "com/com_ptr.h"
#include "commandbars/office_interfaces.h"

namespace vrz {

// The command bar of that name, or null: a failing Item lookup means there is none.
ComPtr<CommandBar> FindCommandBar(CommandBars* bars, const std::wstring& name);

// Puts a new toolbar on the saved row and position when "ProjectBarIndex" holds two numbers
// within bounds. Returns the parse status: 0 when two numbers were read, else 1.
int RestoreToolbarPlacement(CommandBars* bars, CommandBar* toolbar);

}  // namespace vrz
