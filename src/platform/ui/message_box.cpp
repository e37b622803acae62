#include "platform/ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

namespace platform::ui {

void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption) {
  const QString body = QString::fromUtf8(text.c_str());
  const QString title = QString::fromUtf8(caption.c_str());
  if (QThread::currentThread() == qApp->thread()) {
    QMessageBox::information(owner, title, body);
    return;
  }
  QPointer<QWidget> guardedOwner(owner);
  QMetaObject::invokeMethod(
      qApp, [guardedOwner, body, title] { QMessageBox::information(guardedOwner.data(), title, body); },
      Qt::QueuedConnection);
}

}  // namespace platform::ui
