// Starts one of the built programs as a user would and waits for it, with its peak memory.
#pragma once
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace vx::bench {

struct Child {
  int status = -1;
  long maxRssKb = 0;
};

// Runs a host program with extra environment entries and waits for it with wait4.
inline Child Spawn(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, const std::string& dir = {}) {
  std::vector<std::string> envStore;
  for (char** e = environ; e && *e; ++e) {
    std::string entry(*e);
    bool replaced = entry.rfind("VX_", 0) == 0;  // the machine, pace, UI and answers are ours
    if (!replaced) envStore.push_back(entry);
  }
  envStore.insert(envStore.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& s : envStore) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStore{program};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argStore) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  Child c;
  if (pid < 0) return c;
  int status = 0;
  struct rusage usage {};
  while (wait4(pid, &status, 0, &usage) < 0) {
  }
  c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  c.maxRssKb = usage.ru_maxrss;
  return c;
}

}  // namespace vx::bench
