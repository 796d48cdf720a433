// The input watchdog: the run's side writes one line per change ("k 50 1" a key down, "b 1 0" a button up,
// "l 93 1" a keycode lent) into a pipe; the watchdog keeps the set of what is held and, once the pipe closes
// (the run's process has ended, however), releases what is left and empties the lent keycodes.
#include "x11_input_watchdog.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

extern char** environ;

namespace {

std::mutex watchdogLock;
int watchdogPipe = -1;
bool watchdogTried = false;
bool watchdogEnabled = false;

// Starts this program again as the watchdog, in a process group of its own (a Ctrl+C on the terminal must not
// end it before the run has let go of its keys), reading the pipe as its standard input. The pipe's writing
// end is this process's alone (close-on-exec), so it closes exactly when this process ends.
int StartWatchdog() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return -1;
    self[length] = '\0';
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    // It prints nothing, and must not keep the run's output open after the run has ended.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    char name[sizeof kInputWatchdogName];
    std::copy(std::begin(kInputWatchdogName), std::end(kInputWatchdogName), name);
    char* argv[] = {name, nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, self, &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(ends[0]);
    if (failed != 0) {
        close(ends[1]);
        return -1;
    }
    return ends[1];
}

void Tell(char kind, unsigned int number, bool on) {
    std::lock_guard<std::mutex> hold(watchdogLock);
    if (!watchdogEnabled) return;
    if (!watchdogTried) {
        watchdogTried = true;
        watchdogPipe = StartWatchdog();
    }
    if (watchdogPipe < 0) return;
    char line[32];
    const int size = std::snprintf(line, sizeof line, "%c %u %d\n", kind, number, on ? 1 : 0);
    if (write(watchdogPipe, line, static_cast<size_t>(size)) != size) { // the watchdog is gone
        close(watchdogPipe);
        watchdogPipe = -1;
    }
}

} // namespace

namespace InputWatchdog {

void Enable() {
    std::lock_guard<std::mutex> hold(watchdogLock);
    watchdogEnabled = true;
}

void KeyHeld(unsigned int keycode, bool down) {
    Tell('k', keycode, down);
}

void ButtonHeld(unsigned int button, bool down) {
    Tell('b', button, down);
}

void KeycodeLent(unsigned int keycode, bool lent) {
    Tell('l', keycode, lent);
}

} // namespace InputWatchdog

int RunInputWatchdog() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) std::signal(signal, SIG_IGN);
    std::set<unsigned int> keys, buttons, lent;
    char kind = 0;
    unsigned int number = 0;
    int on = 0;
    while (std::scanf(" %c %u %d", &kind, &number, &on) == 3) {
        std::set<unsigned int>& held = kind == 'k' ? keys : kind == 'b' ? buttons : lent;
        if (on != 0)
            held.insert(number);
        else
            held.erase(number);
    }
    if (keys.empty() && buttons.empty() && lent.empty()) return 0; // the run let go of everything itself
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    for (unsigned int keycode : keys) XTestFakeKeyEvent(display, keycode, False, CurrentTime);
    for (unsigned int button : buttons) XTestFakeButtonEvent(display, button, False, CurrentTime);
    XSync(display, False);
    KeySym none[2] = {NoSymbol, NoSymbol};
    for (unsigned int keycode : lent) XChangeKeyboardMapping(display, static_cast<int>(keycode), 2, none, 1);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
