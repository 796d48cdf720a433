// TextMemory: the bytes a thread's macro texts (values and the words of parsed lines) and parsed lines hold,
// counted as they are made and let go, and the budget they must stay within.
#pragma once

#include <cstddef>

namespace TextMemory {

// What the texts and parsed lines of one thread may hold together. A macro that needs more gets the
// out-of-memory failure instead of growing until the system refuses it (or kills the program).
constexpr size_t kDefaultBudget = size_t{1} << 30;

// The bytes held now.
size_t Used();
// The budget of this thread (kDefaultBudget unless a test has lowered it).
size_t Budget();
// True when `bytes` more would still fit in the budget.
bool HasRoomFor(size_t bytes);
void Charge(size_t bytes);
void Refund(size_t bytes);

// Sets the budget of this thread while it lives (for tests), then puts the previous one back.
class ScopedBudget {
  public:
    explicit ScopedBudget(size_t bytes);
    ~ScopedBudget();
    ScopedBudget(const ScopedBudget&) = delete;
    ScopedBudget& operator=(const ScopedBudget&) = delete;

  private:
    size_t previous_;
};

} // namespace TextMemory
