#pragma once

#include <string>

class QWidget;

namespace platform::ui {

// Shows a message box with an OK button. On the GUI thread it is modal and returns when
// closed; from any other thread the GUI thread shows it and the caller goes on at once, so a
// thread the GUI thread waits for can never deadlock on it.
void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption);

}  // namespace platform::ui
