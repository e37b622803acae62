#include "app/entry.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/shell.h"
#include "app/usage.h"
#include "platform/ffmpeg/log.h"
#include "platform/ui/main_window.h"

namespace app {
namespace {

// Qt ends the process when it cannot reach a display; the player ends with its own result.
bool DisplayReachable() {
  return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
         std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int RunPlayer(int argc, char** argv, const std::function<void(Shell&)>& started) {
  switch (ReadCommandLineRequest(argc, argv)) {
    case CommandLineRequest::kHelp:
      PrintUsage(stdout);
      return 0;
    case CommandLineRequest::kVersion:
      PrintVersion(stdout);
      return 0;
    case CommandLineRequest::kPlay:
      break;
  }
  // The file names are taken before Qt sees the arguments, so that none is read as a Qt option.
  const std::vector<playback::FileName> files = CommandLineFiles(argc, argv);
  platform::ffmpeg::CollapseRepeatedLogLines();
  if (!DisplayReachable()) {
    std::fprintf(stderr, "vistrel: no display to open a window on (DISPLAY is not set)\n");
    return 1;
  }
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication application(qtArgc, qtArgv);
  application.setQuitOnLastWindowClosed(true);
  // The compositor finds the window's name and icon through this desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("vistrel"));

  Shell shell;
  if (shell.StartUp(files) != 0) {
    return 1;
  }
  if (started) {
    QTimer::singleShot(0, [&] { started(shell); });
  }
  // A window closed while a file given on the command line opened has no loop to end.
  if (shell.Window()->isVisible()) QApplication::exec();
  shell.ShutDown();
  return 0;
}

}  // namespace app
