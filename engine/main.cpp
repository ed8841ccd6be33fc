// Install.exe: the installer engine. Its command line is read as one Windows command-line
// text (the arguments joined with single blanks); the exit status is that of
// engine/run/Application.h (0 completed, 1 failed, 2 cancelled, 3 rejected command line,
// 4 completed but a restart is needed).
#include "engine/run/Application.h"
#include "engine/run/CommandLine.h"
#include "engine/run/Driver.h"
#include "engine/run/LibraryBoundary.h"

#include <cstdio>

int main(int argc, char** argv) {
  // A library that kept its own platform state would write to another machine and refuse
  // the engine's handles: nothing is to run then.
  if (!vx::KarvoSharesThePlatform()) {
    std::fputs("Install.exe: Karvo.dll does not share the program's machine and file handles\n",
               stderr);
    return 1;
  }
  vx::Application app(vx::EngineStartupHooks());
  int status;
  if (app.Startup(vx::JoinArguments(argc, argv))) status = static_cast<int>(app.Run());
  else status = static_cast<int>(app.exitStatus);
  app.Exit();
  return status;
}
