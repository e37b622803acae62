#include "platform/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <cmath>

namespace platform::ui {

MainWindow::MainWindow(const char* title, QWindow* videoArea) : videoArea_(videoArea) {
  setWindowTitle(QString::fromUtf8(title));
  QWidget* container = QWidget::createWindowContainer(videoArea, this);
  container->setFocusPolicy(Qt::StrongFocus);
  container->setMinimumSize(16, 16);
  setCentralWidget(container);
  resize(640, 480);
  // Keys are translated before any widget sees them, wherever the focus is, as an
  // accelerator table translates them ahead of the window that has the focus.
  qApp->installEventFilter(this);
  setAcceptDrops(true);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::SetMenuBar(const std::vector<MenuDefinition>& menus) {
  menuBar_ = menuBar();
  menuBar_->clear();
  actions_.clear();
  for (const MenuDefinition& definition : menus) {
    QMenu* menu = menuBar_->addMenu(QString::fromUtf8(definition.title));
    connect(menu, &QMenu::aboutToShow, this, [this] {
      if (onMenu) onMenu(true);
    });
    connect(menu, &QMenu::aboutToHide, this, [this] {
      if (onMenu) onMenu(false);
    });
    for (const MenuItem& item : definition.items) {
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      const int command = item.command;
      connect(action, &QAction::triggered, this, [this, command] {
        if (onCommand) onCommand(command);
      });
      actions_[command].push_back(action);
    }
  }
}

void MainWindow::AttachMenu(bool attached) {
  menuAttached_ = attached;
  if (menuBar_ != nullptr) {
    menuBar_->setVisible(attached);
  }
}

void MainWindow::SetItemChecked(int command, bool checked) {
  for (QAction* action : actions_[command]) {
    action->setCheckable(true);
    action->setChecked(checked);
  }
}

void MainWindow::SetAccelerators(std::unique_ptr<AcceleratorTable> table) {
  accelerators_ = std::move(table);
}

QSize MainWindow::VideoAreaSize() const {
  if (videoArea_ == nullptr) {
    return {};
  }
  return videoArea_->size() * videoArea_->devicePixelRatio();
}

void MainWindow::ResizeVideoArea(int width, int height) {
  if (videoArea_ == nullptr || width <= 0 || height <= 0) return;
  if (isMinimized() || isMaximized()) showNormal();
  const qreal ratio = videoArea_->devicePixelRatio();
  const QSize area(static_cast<int>(std::ceil(width / ratio)), static_cast<int>(std::ceil(height / ratio)));
  resize(size() - videoArea_->size() + area);
}

void MainWindow::SetFullScreen(bool fullScreen) {
  if (menuBar_ != nullptr) menuBar_->setVisible(!fullScreen && menuAttached_);
  if (fullScreen) {
    if (!isFullScreen()) windowedGeometry_ = geometry();
    showFullScreen();
    // Without a window manager to honour the request the window covers the screen itself.
    if (screen() != nullptr) setGeometry(screen()->geometry());
  } else if (isFullScreen()) {
    showNormal();
    if (windowedGeometry_.isValid()) setGeometry(windowedGeometry_);
  }
}

void MainWindow::SetCursorVisible(bool visible) {
  if (videoArea_ == nullptr) return;
  if (visible) {
    videoArea_->unsetCursor();
  } else {
    videoArea_->setCursor(Qt::BlankCursor);
  }
}

void MainWindow::ShowPopup(const MenuDefinition& definition, QPoint position) {
  QMenu popup(this);
  for (const MenuItem& item : definition.items) {
    QAction* action = popup.addAction(QString::fromUtf8(item.text));
    action->setData(item.command);
    // The check marks follow those of the menu bar.
    auto bar = actions_.find(item.command);
    if (bar != actions_.end() && !bar->second.empty() && bar->second.front()->isCheckable()) {
      action->setCheckable(true);
      action->setChecked(bar->second.front()->isChecked());
    }
  }
  if (onMenu) onMenu(true);
  QAction* chosen = popup.exec(position);
  if (onMenu) onMenu(false);
  if (chosen != nullptr && onCommand) onCommand(chosen->data().toInt());
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && onVisible) {
    onVisible(!isMinimized());
  } else if (event->type() == QEvent::ActivationChange && onActive) {
    onActive(isActiveWindow());
  }
  QMainWindow::changeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::u16string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    paths.emplace_back(reinterpret_cast<const char16_t*>(path.utf16()), size_t(path.size()));
  }
  event->acceptProposedAction();
  if (!paths.empty() && onDrop) onDrop(paths);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (onClose) {
    onClose();
  }
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == videoArea_ && event->type() == QEvent::MouseButtonPress && onMouse) {
    const auto* press = static_cast<QMouseEvent*>(event);
    onMouse(press->button(), press->globalPosition().toPoint());
    return QMainWindow::eventFilter(watched, event);
  }
  if (watched == this && (event->type() == QEvent::Hide || event->type() == QEvent::Show) && onVisible) {
    onVisible(event->type() == QEvent::Show && !isMinimized());
    return QMainWindow::eventFilter(watched, event);
  }
  // A menu or a modal box runs its own keys.
  if (event->type() != QEvent::KeyPress || accelerators_ == nullptr || QApplication::activePopupWidget() ||
      QApplication::activeModalWidget()) {
    return QMainWindow::eventFilter(watched, event);
  }
  const int command = accelerators_->Match(*static_cast<QKeyEvent*>(event));
  if (command == 0) {
    return QMainWindow::eventFilter(watched, event);
  }
  if (onCommand) {
    onCommand(command);
  }
  return true;
}

}  // namespace platform::ui
