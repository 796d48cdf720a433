// CatchEndRequests: the system asking the editor program to end without a user to answer it — on Linux the
// signals SIGTERM, SIGHUP, SIGINT and SIGQUIT (a kill, a closed terminal, Ctrl+C, the end of a session) —
// turned into a call on the main thread, so the window can stop its run and close keeping the text.
#pragma once

#include <functional>

class QObject;

// Catches the requests from now on for the rest of the program's life: each one calls `onRequest` through
// the event loop of `context`'s thread (the main thread). Every request arrives, a second one too; none ends
// the program by itself. A signal the program was started with ignored (nohup) stays ignored. SIGPIPE is
// ignored from then on: a write to a connection whose other end has gone fails instead of ending the program. On Windows
// there are no such signals: the end of the session reaches the program through Qt's session signals.
void CatchEndRequests(QObject* context, std::function<void()> onRequest);
