#include "platform/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace pelira {

ProgramRun RunProgram(const std::vector<std::string>& argv) {
  ProgramRun run;
  if (argv.empty()) return run;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    return run;
  }
  run.started = true;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (run.output.size() < (1u << 20)) run.output.append(buf, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int ws = 0;
  while (::waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
  }
  // posix_spawnp reports a missing program through the child's exit status 127.
  if (WIFEXITED(ws)) run.exitCode = WEXITSTATUS(ws);
  if (run.exitCode == 127 && run.output.empty()) run.started = false;
  return run;
}

}  // namespace pelira
