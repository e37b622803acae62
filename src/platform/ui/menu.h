#pragma once

#include <vector>

namespace platform::ui {

// A menu as data: items carry the command ids the window reports when they are chosen.
// Texts keep their '&' mnemonics.
struct MenuItem {
  const char* text;
  int command;
};

struct MenuDefinition {
  const char* title;
  std::vector<MenuItem> items;
};

}  // namespace platform::ui
