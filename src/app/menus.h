#pragma once

#include <memory>
#include <vector>

#include "platform/ui/accelerator_table.h"
#include "platform/ui/menu.h"

namespace app {

// The main menu bar (menu 101), attached in windowed mode.
std::vector<platform::ui::MenuDefinition> MainMenu();
// The right-click menu (menu 102).
platform::ui::MenuDefinition PopupMenu();
// The key table (table 103).
std::unique_ptr<platform::ui::AcceleratorTable> Accelerators();

}  // namespace app
