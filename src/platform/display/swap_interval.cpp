#include "platform/display/swap_interval.h"

#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qopenglcontext_platform.h>

#include <QGuiApplication>
#include <QOpenGLContext>
#include <cstring>

namespace platform::display {

namespace {

template <typename Function>
Function Resolve(QOpenGLContext& context, const char* name) {
  return reinterpret_cast<Function>(context.getProcAddress(name));
}

#if QT_CONFIG(xcb_glx_plugin) && QT_CONFIG(xcb)
bool SetGlxSwapInterval(QOpenGLContext& context, uintptr_t nativeWindow, int interval) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) return false;
  // glXGetProcAddress hands out entry points for functions the server lacks, so the
  // extension list decides.
  using QueryExtensions = const char* (*)(Display*, int);
  const auto query = Resolve<QueryExtensions>(context, "glXQueryExtensionsString");
  const char* extensions = query ? query(x11->display(), 0) : nullptr;
  if (!extensions) return false;
  if (std::strstr(extensions, "GLX_EXT_swap_control") && nativeWindow) {
    using SwapIntervalExt = void (*)(Display*, unsigned long, int);
    if (const auto set = Resolve<SwapIntervalExt>(context, "glXSwapIntervalEXT")) {
      set(x11->display(), static_cast<unsigned long>(nativeWindow), interval);
      return true;
    }
  }
  if (std::strstr(extensions, "GLX_MESA_swap_control")) {
    using SwapIntervalMesa = int (*)(unsigned);
    if (const auto set = Resolve<SwapIntervalMesa>(context, "glXSwapIntervalMESA"))
      return set(unsigned(interval)) == 0;
  }
  return false;
}
#endif

}  // namespace

bool SetSwapInterval(QOpenGLContext& context, uintptr_t nativeWindow, int interval) {
#if QT_CONFIG(egl)
  if (auto* egl = context.nativeInterface<QNativeInterface::QEGLContext>()) {
    using EglSwapInterval = unsigned (*)(void*, int);
    const auto set = Resolve<EglSwapInterval>(context, "eglSwapInterval");
    return set && set(egl->display(), interval) != 0;
  }
#endif
#if QT_CONFIG(xcb_glx_plugin) && QT_CONFIG(xcb)
  if (context.nativeInterface<QNativeInterface::QGLXContext>())
    return SetGlxSwapInterval(context, nativeWindow, interval);
#endif
  return false;
}

}  // namespace platform::display
