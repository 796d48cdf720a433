// The emergency-stop counter on Windows: eight bytes of a named shared memory in the logon session's own
// namespace, so every QuillonMacro process of the user's session sees one counter.
#include "stop_broadcast.h"

#include <windows.h>


namespace {

constexpr wchar_t kCounterName[] = L"Local\\QuillonMacro.StopCounter";

class SharedStopBroadcast final : public StopBroadcast {
  public:
    SharedStopBroadcast(HANDLE mapping, void* view) : mapping_(mapping), view_(static_cast<LONG64*>(view)) {}
    ~SharedStopBroadcast() override {
        UnmapViewOfFile(view_);
        CloseHandle(mapping_);
    }

    uint64_t Count() const override {
        return static_cast<uint64_t>(InterlockedCompareExchange64(view_, 0, 0));
    }
    void Raise() override { InterlockedIncrement64(view_); }

  private:
    HANDLE mapping_;
    LONG64* view_;
};

} // namespace

std::unique_ptr<StopBroadcast> OpenStopBroadcast() {
    // The memory starts zeroed when the first process creates it, and lives while any process holds it.
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG64), kCounterName);
    if (mapping != nullptr) {
        if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG64)))
            return std::make_unique<SharedStopBroadcast>(mapping, view);
        CloseHandle(mapping);
    }
    return ProcessStopBroadcast();
}
