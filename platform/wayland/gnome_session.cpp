// The session of GNOME's mutter: not yet driven, so mutter is treated as offering nothing.
#include "compositor_session.h"

std::unique_ptr<CompositorSession> OpenGnomeSession(wl_display*) {
    return nullptr;
}
