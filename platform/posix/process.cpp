#include "platform/process.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <initializer_list>
#include <vector>

extern char** environ;

namespace qb::platform {

namespace {
// Runs /bin/sh with the arguments after argv[0], its standard output the descriptor given when
// there is one, and waits for it; -1 when it cannot start.
std::int32_t shell(std::initializer_list<const char*> arguments, int output = -1) {
  std::vector<char*> argv{const_cast<char*>("/bin/sh")};
  for (const char* a : arguments) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  // A shell killed by a signal reports it the way shells do.
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
}  // namespace

Shell commandShell() {
  return Shell::Posix;
}

std::int32_t runAndWait(const std::string& commandLine, int, const std::function<void()>&,
                        const ClaimedFile* output) {
  return shell({"-c", commandLine.c_str()}, output ? output->descriptor() : -1);
}

int startDetached(const std::string& commandLine, int) {
  // The outer shell puts the command in the background and ends at once, so nothing is left
  // for this process to reap.
  constexpr int kStarted = 33;
  return shell({"-c", "/bin/sh -c \"$1\" &", "sh", commandLine.c_str()}) == 0 ? kStarted : 0;
}

}  // namespace qb::platform
