// The session of a wlroots compositor: not yet driven, so such a compositor is treated as offering nothing.
#include "compositor_session.h"

std::unique_ptr<CompositorSession> OpenWlrootsSession(wl_display*) {
    return nullptr;
}
