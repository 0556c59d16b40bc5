#include "platform/posix/process.h"

#include "platform/process.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <initializer_list>
#include <vector>

extern char** environ;

namespace qb::platform {

namespace {
// Runs /bin/sh with the arguments after argv[0], its standard output the descriptor given when
// there is one, and waits for it; -1 when it cannot start. With `wholeGroup` the shell leads a
// process group of its own, and whatever it leaves running in that group is ended and waited for:
// it could otherwise go on writing into the dump after the run has read it.
std::int32_t shell(std::initializer_list<const char*> arguments, int output, bool wholeGroup) {
  std::vector<char*> argv{const_cast<char*>("/bin/sh")};
  for (const char* a : arguments) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (wholeGroup) {
    // What the group leaves behind when its parents end comes to this process, to be waited for.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  // The rest of the group: each process becomes this one's child by the time its parent is reaped,
  // and is ended again in case it started another meanwhile.
  for (int other = 0; wholeGroup && (::kill(-pid, SIGKILL) == 0 || errno != ESRCH) &&
                      (waitpid(-pid, &other, 0) >= 0 || errno == EINTR);) {
  }
  // A shell killed by a signal reports it the way shells do.
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
}  // namespace

Shell commandShell() {
  return Shell::Posix;
}

std::int32_t runAndWait(const std::string& commandLine, const ClaimedFile* output) {
  return shell({"-c", commandLine.c_str()}, output ? output->descriptor() : -1, true);
}

bool startDetached(const std::string& commandLine) {
  // The outer shell puts the command in the background and ends at once, so nothing is left
  // for this process to reap.
  return shell({"-c", "/bin/sh -c \"$1\" &", "sh", commandLine.c_str()}, -1, false) == 0;
}

}  // namespace qb::platform
