// The end requests on Linux: the stop signals write a byte into a pipe (the only thing a signal handler may
// safely do here), and a socket notifier on the pipe's other end calls the window on the main thread.
#include "end_requests.h"

#include <QObject>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

int requestPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request that has not been read yet: nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[1], &byte, 1);
    errno = saved;
}

void DrainRequests() {
    char bytes[64];
    while (::read(requestPipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace

void CatchEndRequests(QObject* context, std::function<void()> onRequest) {
    if (requestPipe[0] < 0 && ::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [request = std::move(onRequest)] {
        DrainRequests();
        request();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT}) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
    // A write to a connection whose other end has gone (the X server killed while a run reads the screen,
    // a closed pipe) fails as an error the caller handles, instead of ending the program before it has
    // kept the text and removed its buffer file.
    std::signal(SIGPIPE, SIG_IGN);
}
