#include "platform/Types.h"
#include "platform/win32/WinApi.h"

namespace vx::win32 {

bool Report(bool ok) {
  vx::SetLastError(::GetLastError());
  return ok;
}

std::int32_t ReportCode(LONG code) {
  vx::SetLastError(static_cast<std::uint32_t>(code));
  return static_cast<std::int32_t>(code);
}

}  // namespace vx::win32
