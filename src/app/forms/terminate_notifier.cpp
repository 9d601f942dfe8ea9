#include "app/forms/terminate_notifier.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pelira {

namespace {
int g_fds[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] auto n = ::write(g_fds[0], &byte, 1);
}
}  // namespace

TerminateNotifier::TerminateNotifier(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) return;
  notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char byte;
    [[maybe_unused]] auto n = ::read(g_fds[1], &byte, 1);
    emit terminateRequested();
  });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

TerminateNotifier::~TerminateNotifier() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  for (int& fd : g_fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

}  // namespace pelira
