#include "avi/shared_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "common/log.h"
#include "common/text_encoding.h"

namespace avi {

namespace {

template <typename String>
String BaseNameOf(const String& path) {
  size_t slash = path.find_last_of(static_cast<typename String::value_type>('/'));
  return slash == String::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::shared_ptr<SharedFile> SharedFile::OpenNative(const std::string& nativePath) {
  int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    common::LogFailure(nativePath, std::string("cannot open: ") + std::strerror(errno));
    return nullptr;
  }
  off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    common::LogFailure(nativePath, std::string("cannot find the size: ") + std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  // The handle now stands at the end; the first read seeks back.
  std::shared_ptr<SharedFile> file(new SharedFile(fd, static_cast<uint64_t>(end)));
  file->position_ = static_cast<uint64_t>(end);
  file->path_ = nativePath;
  return file;
}

std::shared_ptr<SharedFile> SharedFile::Open(const std::string& path) {
  auto file = OpenNative(path);
  if (!file) return nullptr;
  file->baseName8_ = BaseNameOf(path);
  return file;
}

std::shared_ptr<SharedFile> SharedFile::Open(const std::u16string& path) {
  auto file = OpenNative(common::Utf16ToUtf8(path));
  if (!file) return nullptr;
  file->wide_ = true;
  file->baseName16_ = BaseNameOf(path);
  return file;
}

SharedFile::~SharedFile() { ::close(fd_); }

uint32_t SharedFile::ReadAt(uint64_t position, uint32_t count, void* destination) {
  if (position > static_cast<uint64_t>(INT64_MAX)) return 0;
  std::lock_guard<common::Lock> hold(lock_);
  if (position_ != position) {
    off_t landed = ::lseek(fd_, static_cast<off_t>(position), SEEK_SET);
    if (landed < 0) return 0;
    position_ = static_cast<uint64_t>(landed);
    if (position_ != position) return 0;
  }
  auto* out = static_cast<uint8_t*>(destination);
  uint32_t done = 0;
  while (done < count) {
    ssize_t got = ::read(fd_, out + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      // Where the handle stands after a failed read is unknown: force the next read to seek.
      position_ = UINT64_MAX;
      return 0;
    }
    if (got == 0) break;
    done += static_cast<uint32_t>(got);
  }
  position_ += done;
  return done;
}

}  // namespace avi
