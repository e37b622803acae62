#include "platform/display/opengl_backend.h"

#include <QOpenGLFunctions>
#include <QThread>

#include "platform/display/on_wayland.h"
#include "platform/display/swap_interval.h"
#include "platform/display/video_window.h"

#ifndef GL_UNPACK_ROW_LENGTH
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#endif

namespace platform::display {

namespace {

// The picture is uploaded as bytes B, G, R, X into an RGBA texture, so the shader swaps
// the channels back; this works on desktop OpenGL and OpenGL ES 2 alike.
constexpr const char* kVertexShader = R"(
attribute vec2 position;
varying vec2 uv;
void main() {
  uv = vec2(position.x + 1.0, 1.0 - position.y) * 0.5;
  gl_Position = vec4(position, 0.0, 1.0);
}
)";

constexpr const char* kFragmentShader = R"(
#ifdef GL_ES
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
#endif
uniform sampler2D picture;
varying vec2 uv;
void main() {
  gl_FragColor = vec4(texture2D(picture, uv).bgr, 1.0);
}
)";

constexpr GLfloat kQuad[] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

GLuint Compile(QOpenGLFunctions& gl, GLenum type, const char* source) {
  const GLuint shader = gl.glCreateShader(type);
  gl.glShaderSource(shader, 1, &source, nullptr);
  gl.glCompileShader(shader);
  GLint compiled = 0;
  gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (!compiled) {
    gl.glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

OpenGLBackend::OpenGLBackend(std::shared_ptr<WindowLink> link)
    : link_(std::move(link)), intervalFromFormat_(OnWayland()) {}

OpenGLBackend::~OpenGLBackend() {
  std::lock_guard surface(link_->SurfaceMutex());
  if (!context_) return;
  VideoWindow* window = link_->Window();
  if (window && link_->Read().hasSurface && Acquire(*window, swapInterval_)) {
    QOpenGLFunctions& gl = *context_->functions();
    if (program_) gl.glDeleteProgram(program_);
    if (texture_) gl.glDeleteTextures(1, &texture_);
    Let();
  }
  DropContext();
}

bool OpenGLBackend::HasWindow() {
  std::lock_guard surface(link_->SurfaceMutex());
  return link_->Window() && link_->Read().hasSurface;
}

bool OpenGLBackend::Acquire(QWindow& window, int interval) {
  if (!context_) {
    context_ = std::make_unique<QOpenGLContext>();
    QSurfaceFormat format = window.requestedFormat();
    if (intervalFromFormat_) format.setSwapInterval(interval);
    context_->setFormat(format);
    if (!context_->create()) {
      context_.reset();
      return false;
    }
    // The share group is deleted with the last context, directly only on its own thread:
    // like the context it belongs to no thread between uses, so that DropContext can pull it.
    context_->shareGroup()->moveToThread(nullptr);
    resourcesReady_ = false;
    swapInterval_ = -1;
    textureWidth_ = textureHeight_ = 0;
  } else if (context_->thread() != QThread::currentThread()) {
    // Let() left it belonging to no thread, and such an object may be pulled by any.
    context_->moveToThread(QThread::currentThread());
  }
  if (!context_->makeCurrent(&window)) return false;
  if (!resourcesReady_) resourcesReady_ = CreateResources();
  if (!resourcesReady_) {
    context_->doneCurrent();
    return false;
  }
  return true;
}

void OpenGLBackend::Let() {
  context_->doneCurrent();
  context_->moveToThread(nullptr);
}

void OpenGLBackend::DropContext() {
  if (!context_) return;
  QThread* current = QThread::currentThread();
  if (context_->thread() != current) context_->moveToThread(current);
  if (context_->shareGroup()->thread() != current) context_->shareGroup()->moveToThread(current);
  context_.reset();
  resourcesReady_ = false;
  program_ = texture_ = 0;
}

bool OpenGLBackend::CreateResources() {
  QOpenGLFunctions& gl = *context_->functions();
  const GLuint vertex = Compile(gl, GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(gl, GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vertex || !fragment) {
    if (vertex) gl.glDeleteShader(vertex);
    if (fragment) gl.glDeleteShader(fragment);
    return false;
  }
  program_ = gl.glCreateProgram();
  gl.glAttachShader(program_, vertex);
  gl.glAttachShader(program_, fragment);
  gl.glLinkProgram(program_);
  gl.glDeleteShader(vertex);
  gl.glDeleteShader(fragment);
  GLint linked = 0;
  gl.glGetProgramiv(program_, GL_LINK_STATUS, &linked);
  if (!linked) {
    gl.glDeleteProgram(program_);
    program_ = 0;
    return false;
  }
  positionAttribute_ = gl.glGetAttribLocation(program_, "position");
  gl.glUseProgram(program_);
  gl.glUniform1i(gl.glGetUniformLocation(program_, "picture"), 0);

  gl.glGenTextures(1, &texture_);
  gl.glBindTexture(GL_TEXTURE_2D, texture_);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  textureWidth_ = textureHeight_ = 0;
  const QSurfaceFormat format = context_->format();
  rowLength_ = !context_->isOpenGLES() || format.majorVersion() >= 3;
  return true;
}

void OpenGLBackend::Draw(const PictureView& picture, const Rect& client) {
  QOpenGLFunctions& gl = *context_->functions();
  gl.glViewport(0, 0, client.Width(), client.Height());
  gl.glDisable(GL_BLEND);
  gl.glUseProgram(program_);
  gl.glActiveTexture(GL_TEXTURE0);
  gl.glBindTexture(GL_TEXTURE_2D, texture_);
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (picture.width != textureWidth_ || picture.height != textureHeight_) {
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width, picture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                    nullptr);
    textureWidth_ = picture.width;
    textureHeight_ = picture.height;
  }
  if (rowLength_) {
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, picture.pitch / 4);
    gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE,
                       picture.bits);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  } else {
    for (int32_t y = 0; y < picture.height; ++y) {
      gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, picture.width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         picture.bits + int64_t{y} * picture.pitch);
    }
  }
  // A windowed picture is the window's own size and maps texel to pixel; a full-screen one
  // of another size is stretched smoothly.
  const GLint filter =
      picture.width == client.Width() && picture.height == client.Height() ? GL_NEAREST : GL_LINEAR;
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  gl.glVertexAttribPointer(GLuint(positionAttribute_), 2, GL_FLOAT, GL_FALSE, 0, kQuad);
  gl.glEnableVertexAttribArray(GLuint(positionAttribute_));
  gl.glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  gl.glDisableVertexAttribArray(GLuint(positionAttribute_));
}

Result OpenGLBackend::Present(const PictureView& picture, bool) {
  std::lock_guard surface(link_->SurfaceMutex());
  VideoWindow* window = link_->Window();
  const WindowLink::State state = link_->Read();
  if (!window || !state.hasSurface) return Result::kSurfaceLost;
  // Nothing can be seen of a hidden or empty window; a swap there is undefined.
  if (!state.exposed || state.client.IsEmpty()) return Result::kOk;
  const int interval = waitNextSwap_.exchange(false, std::memory_order_relaxed) ? 1 : 0;
  if (intervalFromFormat_ && interval != swapInterval_) DropContext();
  if (!Acquire(*window, interval)) {
    DropContext();
    Lose();
    return Result::kSurfaceLost;
  }
  if (interval != swapInterval_) {
    if (!intervalFromFormat_) SetSwapInterval(*context_, state.nativeId, interval);
    swapInterval_ = interval;
  }
  Draw(picture, state.client);
  context_->swapBuffers(window);
  const bool valid = context_->isValid();
  Let();
  if (!valid) {
    DropContext();
    Lose();
    return Result::kSurfaceLost;
  }
  return Result::kOk;
}

}  // namespace platform::display
