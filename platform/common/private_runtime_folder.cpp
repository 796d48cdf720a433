// Folders of the user's alone on Linux: the private runtime folder and the desktop's name for the files
// QuillonMacro processes share there, and the making of such a folder.
#include "private_runtime_folder.h"

#include "stop_broadcast.h"
#include "system_error_texts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

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
    std::u16string ignored;
    return MakePrivateFolder(own, ignored) ? own : std::string();
}

std::string RuntimeDesktopName() {
    char name[64];
    return StopBroadcastDesktopName(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"), name);
}

bool MakePrivateFolder(const std::string& folder, std::u16string& reason) {
    std::error_code ignored; // a parent that cannot be made shows as the folder's own failure
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = ErrnoText(errno);
        return false;
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        reason = ErrnoText(errno);
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        reason = u"フォルダがリンクになっています";
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        reason = u"同じ名前のファイルがあります";
        return false;
    }
    if (info.st_uid != geteuid()) {
        reason = u"ほかのユーザーのフォルダです";
        return false;
    }
    // A folder made by an earlier version (0755) is closed to others.
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        reason = ErrnoText(errno);
        return false;
    }
    return true;
}
