// OwnBufferFile: the copy of the macro text that a run from the top leaves beside the program, as a file this
// process created itself and removes only while it is still that file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class OwnBufferFile {
  public:
    // `preferredPath` is where the copy goes when nothing is there yet (normally "macrobuf.qlx" beside the
    // program). Paths are UTF-8.
    explicit OwnBufferFile(std::string preferredPath)
        : preferred_(std::move(preferredPath)), path_(preferred_) {}
    // Removes the copy, as Remove() does.
    ~OwnBufferFile() { Remove(); }
    OwnBufferFile(const OwnBufferFile&) = delete;
    OwnBufferFile& operator=(const OwnBufferFile&) = delete;

    // Replaces the copy's bytes. The file is always one this process created, never reached through a link:
    // when the preferred name is already taken (a file of the user's, a link, the copy of another running
    // program), a name of this process's own beside it is used instead ("macrobuf-<process id>.qlx"). On
    // failure returns false with the system's reason, and no cut-off copy is left.
    bool Write(std::string_view bytes, std::u16string& errorText);
    // Deletes the copy if the name still leads to the file this process created; anything else that has
    // taken its place since is left alone.
    void Remove();
    // The file the last write went to; the preferred path before the first.
    const std::string& Path() const { return path_; }

  private:
    bool Create(std::u16string& errorText);
    bool StillOurs() const;
    void Close();
    bool WriteBytes(std::string_view bytes, std::u16string& errorText);

    std::string preferred_;
    std::string path_;
    // Linux keeps the file open (a descriptor; -1 when none). Windows cannot: a reader that denies others
    // write access could not open the copy while a handle with write access is held, so it keeps the file's
    // identity (volume and file index) and opens the file for each write.
    intptr_t handle_ = -1;
    bool created_ = false;
    uint64_t volume_ = 0;
    uint64_t index_ = 0;
};

// The name of this process's own copy beside the preferred one: "macrobuf.qlx" → "macrobuf-1234.qlx", with
// "-N" after the process id for the N-th further try.
inline std::string OwnBufferFileAlternative(const std::string& preferredPath, unsigned long processId,
                                            int attempt) {
    const size_t slash = preferredPath.find_last_of("/\\");
    const size_t dot = preferredPath.rfind('.');
    const size_t cut =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : preferredPath.size();
    std::string name = preferredPath.substr(0, cut) + "-" + std::to_string(processId);
    if (attempt > 0) name += "-" + std::to_string(attempt);
    return name + preferredPath.substr(cut);
}

// How many names of its own a process tries before giving up.
inline constexpr int kOwnBufferFileAttempts = 100;
