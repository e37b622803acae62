#include "platform/ui/accelerator_table.h"

#include <QKeyEvent>

namespace platform::ui {
namespace {

// The keypad's digits and operators are keys of their own; its Enter and, with Num Lock off,
// its navigation keys are the same keys as the main block's.
bool KeypadKeyOfItsOwn(int key) {
  return (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Plus || key == Qt::Key_Minus ||
         key == Qt::Key_Asterisk || key == Qt::Key_Slash || key == Qt::Key_Period || key == Qt::Key_Comma;
}

}  // namespace

int AcceleratorTable::Match(const QKeyEvent& event) const {
  return Match(event.key(), event.modifiers(), event.text());
}

int AcceleratorTable::Match(int key, Qt::KeyboardModifiers modifiers, const QString& text) const {
  constexpr Qt::KeyboardModifiers kRelevant =
      Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::KeypadModifier;
  Qt::KeyboardModifiers held = modifiers & kRelevant;
  if (key == Qt::Key_Enter) {
    key = Qt::Key_Return;
  }
  if (!KeypadKeyOfItsOwn(key)) {
    held &= ~Qt::KeypadModifier;
  }
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
