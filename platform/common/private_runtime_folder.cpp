// Folders of the user's alone on Linux: the private runtime folder and the desktop's name for the files
// QuillonMacro processes share there, and the making of such a folder.
#include "private_runtime_folder.h"

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
    return DesktopNameOf(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
}

std::string DesktopNameOf(const char* waylandDisplay, const char* display) {
    constexpr size_t kLongest = 63;
    std::string name;
    if (waylandDisplay != nullptr && waylandDisplay[0] != '\0') {
        name = waylandDisplay;
    } else if (display != nullptr && display[0] != '\0') {
        name = display;
        const size_t colon = name.rfind(':');
        const size_t dot = name.rfind('.');
        if (colon != std::string::npos && dot != std::string::npos && dot > colon) name.erase(dot);
    } else {
        name = "none";
    }
    if (name.size() > kLongest) name.resize(kLongest);
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == ':';
        if (!plain) c = '_';
    }
    return name == "." || name == ".." ? "_" : name;
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
