#include "platform/ks/results.h"

#include <cerrno>

namespace platform::ks {

int32_t ErrorFromErrno(int error) {
  switch (-error) {
    case 0:
      return kOk;
    case ENOENT:
      return kErrorFileNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case EBUSY:
      return kErrorBusy;
    case ENODEV:
    case ENXIO:
      return kErrorDeviceNotConnected;
    default:
      return kErrorGenFailure;
  }
}

}  // namespace platform::ks
