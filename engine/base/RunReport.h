// What a run did and why it failed. Every step worth knowing goes to the run log (VX_LOG);
// the first failure is kept with what it concerned, so that a failed run ends with one line
// on standard error that names it, even where the run's own messages say nothing.
#pragma once
#include <string>

namespace vx {

// One step of the run log: `kind` is phase, component, file, action, registry, ini or result.
void LogStep(const char* kind, const std::string& text);

// What the failures that follow concern ("component Core"); "" for none.
void SetFailureContext(const std::string& context);
// Keeps `reason` ("cannot create C:\App\a.exe: Access is denied.") with the current
// context, unless a failure is kept already: the first one is the cause, later ones follow
// from it. Logged as a result step.
void NoteFailure(const std::string& reason);
// "component Core: cannot create ...", or "" when nothing failed.
std::string FailureReason();
void ClearFailureReason();

}  // namespace vx
