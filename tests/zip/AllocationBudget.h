#pragma once

// Counts what operator new is asked for while a budget is armed, and refuses (std::bad_alloc) any
// request that would take the total past it, so a test sees an archive's oversized claim without the
// machine paying for it. Replaces the global operator new: include in exactly one source of a test
// program. Allocations made with malloc (zlib's) are not counted; they are small and fixed.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace ziptest {

inline std::atomic<bool> BudgetArmed{false};
inline std::atomic<std::size_t> BudgetLimit{0};
inline std::atomic<std::size_t> BudgetUsed{0};
inline std::atomic<std::size_t> BudgetLargestRefused{0};

// Arms the budget for its lifetime; budgets do not nest.
class AllocationBudget
{
  public:
    explicit AllocationBudget(std::size_t limit)
    {
        BudgetUsed = 0;
        BudgetLargestRefused = 0;
        BudgetLimit = limit;
        BudgetArmed = true;
    }
    ~AllocationBudget() { BudgetArmed = false; }
    AllocationBudget(const AllocationBudget &) = delete;
    AllocationBudget &operator=(const AllocationBudget &) = delete;

    // Bytes handed out since the budget was armed (frees are not subtracted).
    std::size_t Used() const { return BudgetUsed; }
    // The largest request refused, 0 when none was.
    std::size_t LargestRefused() const { return BudgetLargestRefused; }
    bool Exceeded() const { return BudgetLargestRefused != 0; }
};

} // namespace ziptest

void *operator new(std::size_t size)
{
    using namespace ziptest;
    if (BudgetArmed.load(std::memory_order_relaxed)) {
        if (BudgetUsed + size > BudgetLimit) {
            if (size > BudgetLargestRefused)
                BudgetLargestRefused = size == 0 ? 1 : size;
            throw std::bad_alloc();
        }
        BudgetUsed += size;
    }
    if (void *block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

// GCC pairs the free() below with the `new` expressions it inlines and warns; the pairing is right.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}

#pragma GCC diagnostic pop
