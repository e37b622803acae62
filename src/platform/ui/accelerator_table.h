#pragma once

#include <QString>
#include <Qt>
#include <vector>

class QKeyEvent;

namespace platform::ui {

// One key binding. A key entry matches a key press with exactly its modifiers; the keypad's
// digits and operators are distinct from their main-keyboard twins (Qt::KeypadModifier in the
// entry), its Enter and navigation keys are not. A character entry matches the typed character
// whatever the modifiers that produced it, but not with Ctrl or Alt held.
struct Accelerator {
  enum class Kind { kKey, kCharacter };
  Kind kind;
  int key;  // a Qt::Key for kKey, the character for kCharacter
  Qt::KeyboardModifiers modifiers;
  int command;
};

class AcceleratorTable {
 public:
  explicit AcceleratorTable(std::vector<Accelerator> entries) : entries_(std::move(entries)) {}

  // The command the key press maps to, or 0.
  int Match(const QKeyEvent& event) const;
  int Match(int key, Qt::KeyboardModifiers modifiers, const QString& text) const;

 private:
  std::vector<Accelerator> entries_;
};

}  // namespace platform::ui
