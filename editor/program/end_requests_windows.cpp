// The end requests on Windows: a program of the window subsystem gets no stop signals. The end of the
// session arrives as WM_QUERYENDSESSION and WM_ENDSESSION, which Qt turns into its session signals; the
// editor part connects to those itself.
#include "end_requests.h"

void CatchEndRequests(QObject*, std::function<void()>) {}
