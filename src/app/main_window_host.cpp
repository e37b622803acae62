#include "app/main_window_host.h"

#include <QCoreApplication>

#include "platform/ui/message_box.h"

namespace app {

// The engine's boxes have no owner, so that they stay usable whatever the window does.
void MainWindowHost::ShowMessage(const std::string& text, const std::string& caption) {
  platform::ui::ShowMessage(nullptr, text, caption);
}

void MainWindowHost::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace app
