// The emergency-stop counter on Linux: eight bytes of a file in the user's private runtime folder, mapped
// shared by every QuillonMacro process of the same desktop and changed with atomic operations.
#include "stop_broadcast.h"

#include "private_runtime_folder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace {

class SharedStopBroadcast final : public StopBroadcast {
  public:
    explicit SharedStopBroadcast(void* mapping) : mapping_(mapping) {}
    ~SharedStopBroadcast() override { munmap(mapping_, sizeof(uint64_t)); }

    uint64_t Count() const override { return Counter().load(std::memory_order_acquire); }
    void Raise() override { Counter().fetch_add(1, std::memory_order_acq_rel); }

  private:
    std::atomic_ref<uint64_t> Counter() const {
        return std::atomic_ref<uint64_t>(*static_cast<uint64_t*>(mapping_));
    }

    void* mapping_;
};

static_assert(std::atomic_ref<uint64_t>::is_always_lock_free, "the shared counter needs lock-free atomics");

// The counter's file, created when missing; only a regular file of this user's is used (never through a
// link). It is never shortened, so a mapping stays valid while other processes come and go.
void* MapCounter(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat info {};
    void* mapping = MAP_FAILED;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        (info.st_size >= static_cast<off_t>(sizeof(uint64_t)) || ftruncate(fd, sizeof(uint64_t)) == 0))
        mapping = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return mapping == MAP_FAILED ? nullptr : mapping;
}

} // namespace

std::unique_ptr<StopBroadcast> OpenStopBroadcast() {
    const std::string folder = PrivateRuntimeFolder();
    if (!folder.empty()) {
        const std::string path = folder + "/quillonmacro-stop-" + RuntimeDesktopName();
        if (void* mapping = MapCounter(path)) return std::make_unique<SharedStopBroadcast>(mapping);
    }
    return ProcessStopBroadcast();
}
