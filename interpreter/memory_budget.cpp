// The per-thread count of bytes held by macro texts and parsed lines, and its budget. Values and engines
// belong to one thread, so a plain thread-local count needs no locking.
#include "memory_budget.h"

namespace TextMemory {
namespace {

thread_local size_t used = 0;
thread_local size_t budget = kDefaultBudget;

} // namespace

size_t Used() {
    return used;
}

size_t Budget() {
    return budget;
}

bool HasRoomFor(size_t bytes) {
    return used <= budget && bytes <= budget - used;
}

void Charge(size_t bytes) {
    used += bytes;
}

void Refund(size_t bytes) {
    used = bytes < used ? used - bytes : 0;
}

ScopedBudget::ScopedBudget(size_t bytes) : previous_(budget) {
    budget = bytes;
}

ScopedBudget::~ScopedBudget() {
    budget = previous_;
}

} // namespace TextMemory
