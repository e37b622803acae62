#include "platform/ui/accelerator_table.h"

#include <QKeyEvent>

namespace platform::ui {

int AcceleratorTable::Match(const QKeyEvent& event) const {
  return Match(event.key(), event.modifiers(), event.text());
}

int AcceleratorTable::Match(int key, Qt::KeyboardModifiers modifiers, const QString& text) const {
  constexpr Qt::KeyboardModifiers kRelevant =
      Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::KeypadModifier;
  const Qt::KeyboardModifiers held = modifiers & kRelevant;
  for (const Accelerator& entry : entries_) {
    if (entry.kind == Accelerator::Kind::kKey) {
      if (entry.key == key && entry.modifiers == held) {
        return entry.command;
      }
    } else if (text.size() == 1 && text[0].unicode() == entry.key &&
               !(held & (Qt::ControlModifier | Qt::AltModifier))) {
      return entry.command;
    }
  }
  return 0;
}

}  // namespace platform::ui
