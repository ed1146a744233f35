// The termination signals, through a self-pipe.
#include "platform/termination.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace quorvane {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Written only by the handler (and reset by the constructor while no handler is installed).
volatile sig_atomic_t g_received = 0;
// The pipe's ends: [0] read in the event loop, [1] written by the handler. Non-blocking, so that a full pipe
// (many signals before the loop ran) drops a byte instead of blocking the handler.
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[std::size(kSignals)];

// Only what is async-signal-safe: a store to a sig_atomic_t and write(2), with errno kept for the code that
// the signal interrupted.
extern "C" void onTerminationSignal(int number) {
  const int savedErrno = errno;
  g_received = number;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  Q_ASSERT_X(g_pipe[0] < 0, "TerminationSignals", "only one instance at a time");
  g_received = 0;
  if (::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    qWarning("TerminationSignals: no pipe (%s); the signals keep their default action", std::strerror(errno));
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls go on by themselves: the rest of the program never sees EINTR from us.
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (g_pipe[0] < 0) return;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  delete m_notifier;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

int TerminationSignals::received() const { return g_received; }

void TerminationSignals::readPipe() {
  char bytes[64];
  int last = 0;
  for (;;) {
    const ssize_t count = ::read(g_pipe[0], bytes, sizeof(bytes));
    if (count > 0) {
      last = static_cast<unsigned char>(bytes[count - 1]);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    break;
  }
  if (last != 0) Q_EMIT arrived(last);
}

}  // namespace quorvane
