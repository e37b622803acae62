#include "tonegrid/program.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "tonegrid/calibration_settings.h"
#include "tonegrid/calibration_state.h"
#include "tonegrid/pattern_window.h"

namespace tonegrid {

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

int RunTonegrid(int argc, char** argv, const std::function<void(PatternWindow&)>& started) {
  previousHandler = qInstallMessageHandler(StartupMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previousHandler);
  // The compositor finds the window's name and icon through this desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("tonegrid"));

  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    std::fputs("tonegrid: no screen to show the patterns on.\n", stderr);
    return kStartupFailure;
  }

  CalibrationState state;
  {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vkdo"),
                       QStringLiteral("VSTL"));
    LoadCalibration(settings, state);
  }

  const QRect geometry = screen->geometry();
  PatternWindow window(state, geometry.size() * screen->devicePixelRatio());
  window.setScreen(screen);
  window.setGeometry(geometry);
  window.showFullScreen();
  if (started) {
    QTimer::singleShot(0, [&] { started(window); });
  }
  app.exec();

  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vkdo"),
                     QStringLiteral("VSTL"));
  if (!SaveCalibration(settings, window.State())) {
    for (const QString& text : UnsavedCalibrationTexts(window.State())) {
      QMessageBox::information(nullptr, QStringLiteral("Setting"), text);
    }
  }
  return 0;
}

}  // namespace tonegrid
