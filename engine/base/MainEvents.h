// The main window's messages as an event queue of the engine. Worker threads post to it; the
// interface thread (the UI's main loop) takes them in order.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace vx {

enum class MainMessage {
  BeginSetup,    // WM_USER + 9
  RunUninstall,  // WM_USER + 11
  StartInstall,  // WM_USER + 12
  Exit,          // the "Exit" command (57665): quit confirmation
  Quit,          // WM_QUIT; `code` is the message loop's exit code
};

struct MainEvent {
  MainMessage message;
  int code = 0;
};

class MainEvents {
 public:
  void Post(MainMessage message, int code = 0);
  // Blocks until an event is there.
  MainEvent Wait();
  // Takes an event when one is there.
  bool Poll(MainEvent& event);
  void Clear();
  // Called after every Post, from the posting thread: the main loop hands the handling of
  // the queue to the interface thread's dispatcher through it. Empty: nothing is told.
  void SetOnPost(std::function<void()> notify);

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<MainEvent> queue_;
  std::function<void()> onPost_;
};

MainEvents& Events();

}  // namespace vx
