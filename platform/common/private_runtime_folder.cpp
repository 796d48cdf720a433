// The user's private runtime folder and the desktop's name for the files QuillonMacro processes share
// there.
#include "private_runtime_folder.h"

#include "stop_broadcast.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// A folder only this user can enter: a real folder (not a link), owned by the user, with no rights for
// anyone else. Another user who made the folder first, or opened it up, cannot reach or fake its files.
bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

} // namespace

std::string PrivateRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) return runtime;
    const std::string own = "/tmp/quillonmacro-" + std::to_string(geteuid());
    mkdir(own.c_str(), 0700);
    return IsPrivateFolder(own) ? own : std::string();
}

std::string RuntimeDesktopName() {
    char name[64];
    return StopBroadcastDesktopName(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"), name);
}
