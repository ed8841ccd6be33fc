#include "engine/base/RunReport.h"

#include <mutex>

#include "platform/RunLog.h"

namespace vx {

namespace {

struct Report {
  std::mutex mutex;
  std::string context;
  std::string reason;
};

Report& State() {
  static Report report;
  return report;
}

}  // namespace

void LogStep(const char* kind, const std::string& text) {
  if (!RunLogEnabled()) return;
  AppendRunLogLine(std::string(kind) + ": " + text);
}

void SetFailureContext(const std::string& context) {
  Report& r = State();
  std::lock_guard lock(r.mutex);
  r.context = context;
}

void NoteFailure(const std::string& reason) {
  Report& r = State();
  std::string full;
  {
    std::lock_guard lock(r.mutex);
    full = r.context.empty() ? reason : r.context + ": " + reason;
    if (r.reason.empty()) r.reason = full;
  }
  LogStep("result", "failed: " + full);
}

std::string FailureReason() {
  Report& r = State();
  std::lock_guard lock(r.mutex);
  return r.reason;
}

void ClearFailureReason() {
  Report& r = State();
  std::lock_guard lock(r.mutex);
  r.reason.clear();
  r.context.clear();
}

}  // namespace vx
