// WlrootsPointer: a virtual pointer (zwlr_virtual_pointer_v1) moved in desktop pixels across the whole
// output layout, and the position this program last gave it, since the compositor tells it to no one.
#pragma once

#include <cstdint>

class WlrootsConnection;
struct zwlr_virtual_pointer_v1;

class WlrootsPointer {
  public:
    explicit WlrootsPointer(WlrootsConnection& connection);
    ~WlrootsPointer();
    WlrootsPointer(const WlrootsPointer&) = delete;
    WlrootsPointer& operator=(const WlrootsPointer&) = delete;

    bool Open();
    void MoveTo(int32_t x, int32_t y);
    void MoveBy(int32_t dx, int32_t dy);
    void Button(uint32_t button, bool down);
    // The position this program last moved the pointer to, kept within the desktop; false before the first
    // move (where the pointer starts is not told).
    bool Position(int32_t& x, int32_t& y) const;

  private:
    void Send();

    WlrootsConnection& connection_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    bool placed_ = false;
    int32_t x_ = 0;
    int32_t y_ = 0;
};
