// Halvik.exe: tells the installer whether the machine's user is an administrator. It prints
// nothing; a user who is not one is reported as admin=NO in the installer's section of the
// per-user profile (win.ini). An administrator leaves the profile untouched.
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "platform/System.h"

int main(int argc, char** argv) {
  (void)argv;
  if (argc < 2) return 1;  // the argument's content is never read, but it must be there
  if (vx::Machine::Current().IsAdmin()) return 0;
  vx::MessageBeep();
  vx::WriteProfileString("Tessaro Installer", "admin", "NO");
  return 0;
}
