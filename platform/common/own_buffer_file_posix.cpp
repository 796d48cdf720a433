// The run buffer file on Linux: created with O_EXCL and O_NOFOLLOW, kept open, recognised by its device and
// inode, and removed only while the name still leads to that inode.
#include "common/own_buffer_file.h"
#include "common/system_error_texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool WriteAllAt(int fd, std::string_view bytes) {
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
        offset += written;
    }
    return true;
}

} // namespace

bool OwnBufferFile::Write(std::string_view bytes, std::u16string& errorText) {
    if (handle_ >= 0 && !StillOurs()) Close(); // moved, deleted or replaced: a new copy of our own
    if (handle_ < 0 && !Create(errorText)) return false;
    return WriteBytes(bytes, errorText);
}

bool OwnBufferFile::WriteBytes(std::string_view bytes, std::u16string& errorText) {
    const int fd = static_cast<int>(handle_);
    if (::ftruncate(fd, 0) != 0 || !WriteAllAt(fd, bytes)) {
        errorText = ErrnoText(errno);
        Remove(); // a cut-off copy helps nobody
        return false;
    }
    return true;
}

bool OwnBufferFile::Create(std::u16string& errorText) {
    for (int attempt = -1; attempt < kOwnBufferFileAttempts; ++attempt) {
        const std::string candidate =
            attempt < 0
                ? preferred_
                : OwnBufferFileAlternative(preferred_, static_cast<unsigned long>(::getpid()), attempt);
        // Readable by the user alone: a macro may hold a password.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            struct stat created {};
            ::fstat(fd, &created);
            handle_ = fd;
            path_ = candidate;
            created_ = true;
            volume_ = static_cast<uint64_t>(created.st_dev);
            index_ = static_cast<uint64_t>(created.st_ino);
            return true;
        }
        if (errno != EEXIST) {
            errorText = ErrnoText(errno);
            path_ = candidate;
            return false;
        }
    }
    errorText = ErrnoText(EEXIST);
    return false;
}

bool OwnBufferFile::StillOurs() const {
    struct stat named {};
    if (!created_ || ::lstat(path_.c_str(), &named) != 0) return false;
    return static_cast<uint64_t>(named.st_dev) == volume_ && static_cast<uint64_t>(named.st_ino) == index_;
}

void OwnBufferFile::Remove() {
    if (handle_ < 0) return;
    if (StillOurs()) ::unlink(path_.c_str());
    Close();
}

void OwnBufferFile::Close() {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
    created_ = false;
}
