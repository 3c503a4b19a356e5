#include "phrases/LargeArray.h"

#include <sys/mman.h>

#include <cstdint>

namespace orvanta::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// Maps `size` bytes at a huge-page boundary: one spare huge page is mapped and the ends cut off.
void *mapAligned(std::size_t size)
{
    void *mapped =
        mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t tail = kHugePage - (aligned - start); tail > 0)
        munmap(reinterpret_cast<void *>(aligned + size), tail);
    return reinterpret_cast<void *>(aligned);
}

} // namespace

void *allocateLarge(std::size_t bytes)
{
    if (bytes < kHugePage)
        return ::operator new(bytes);
    const std::size_t size = mappedSize(bytes);
    void *block = mapAligned(size);
    madvise(block, size, MADV_HUGEPAGE); // only a hint: without it the block still works
    return block;
}

void releaseTail(void *block, std::size_t used, std::size_t bytes) noexcept
{
    if (bytes < kHugePage)
        return;
    constexpr std::uintptr_t kPage = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t from = (start + used + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = start + mappedSize(bytes);
    if (from < end)
        madvise(reinterpret_cast<void *>(from), end - from, MADV_DONTNEED);
}

void releaseLarge(void *block, std::size_t bytes) noexcept
{
    if (bytes < kHugePage)
        ::operator delete(block);
    else
        munmap(block, mappedSize(bytes));
}

} // namespace orvanta::detail
