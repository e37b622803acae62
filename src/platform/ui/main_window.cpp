#include "platform/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

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

void MainWindow::closeEvent(QCloseEvent* event) {
  if (onClose) {
    onClose();
  }
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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
