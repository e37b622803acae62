#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <cstdio>
#include <cstdlib>

#include "tonegrid/calibration_settings.h"
#include "tonegrid/calibration_state.h"
#include "tonegrid/pattern_window.h"

namespace {

constexpr int kStartupFailure = -1;

QtMessageHandler previousHandler = nullptr;

// Qt ends the process with abort() when it cannot reach a display; end it with the start-up
// failure code and a plain message instead.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (previousHandler != nullptr) previousHandler(type, context, message);
  if (type == QtFatalMsg) {
    std::fputs("tonegrid: cannot open the display; a graphical session (X11 or Wayland) is needed.\n",
               stderr);
    std::_Exit(kStartupFailure);
  }
}

}  // namespace

int main(int argc, char** argv) {
  previousHandler = qInstallMessageHandler(StartupMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previousHandler);

  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    std::fputs("tonegrid: no screen to show the patterns on.\n", stderr);
    return kStartupFailure;
  }

  tonegrid::CalibrationState state;
  {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vkdo"),
                       QStringLiteral("VSTL"));
    tonegrid::LoadCalibration(settings, state);
  }

  const QRect geometry = screen->geometry();
  tonegrid::PatternWindow window(state, geometry.size() * screen->devicePixelRatio());
  window.setScreen(screen);
  window.setGeometry(geometry);
  window.showFullScreen();
  app.exec();

  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vkdo"),
                     QStringLiteral("VSTL"));
  if (!tonegrid::SaveCalibration(settings, window.State())) {
    for (const QString& text : tonegrid::UnsavedCalibrationTexts(window.State())) {
      QMessageBox::information(nullptr, QStringLiteral("Setting"), text);
    }
  }
  return 0;
}
