#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/accelerator_table.h"
#include "platform/ui/menu.h"

class QAction;
class QMenu;
class QWindow;

namespace platform::ui {

// The player's main window: its menu bar, the video area, the key bindings and the events the
// shell reacts to. Everything the shell decides stays in the shell; this class only reports.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `videoArea` is the native window the display layer presents into; it becomes the
  // central area and is owned by this window from now on.
  MainWindow(const char* title, QWindow* videoArea);
  ~MainWindow() override;

  // Builds the menu bar from `menus`; AttachMenu shows or removes it (full screen has none).
  void SetMenuBar(const std::vector<MenuDefinition>& menus);
  void AttachMenu(bool attached);
  void SetItemChecked(int command, bool checked);
  void SetAccelerators(std::unique_ptr<AcceleratorTable> table);

  // Chosen menu items and translated keys.
  std::function<void(int command)> onCommand;
  // A menu opened (true) or closed (false).
  std::function<void(bool open)> onMenu;
  // The window is being closed by the user or the system.
  std::function<void()> onClose;
  // Minimised or hidden (false), or on screen again (true).
  std::function<void(bool visible)> onVisible;
  // The window gained (true) or lost the keyboard focus.
  std::function<void(bool active)> onActive;
  // Files dropped on the window, as UTF-16 paths, in the order given.
  std::function<void(const std::vector<std::u16string>& paths)> onDrop;
  // A mouse button pressed over the video area, at a global position.
  std::function<void(Qt::MouseButton button, QPoint position)> onMouse;

  // The video area in device pixels.
  QSize VideoAreaSize() const;
  // Restores the window and sizes it so that the video area is width × height device pixels.
  void ResizeVideoArea(int width, int height);
  // Full screen: no frame, no menu. Windowed: as it was.
  void SetFullScreen(bool fullScreen);
  void SetCursorVisible(bool visible);
  // A popup menu at a global position; its choice is reported through onCommand. Returns when
  // the menu has closed.
  void ShowPopup(const MenuDefinition& menu, QPoint position);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWindow> videoArea_;
  QMenuBar* menuBar_ = nullptr;
  bool menuAttached_ = true;
  QRect windowedGeometry_;  // where the window was before full screen
  std::map<int, std::vector<QAction*>> actions_;
  std::unique_ptr<AcceleratorTable> accelerators_;
};

}  // namespace platform::ui
