#pragma once

// Storage for the engine's big arrays. A block of 2 MiB or more is mapped on its own and asks
// for transparent huge pages, so its first touch costs one page fault per 2 MiB instead of one
// per 4 KiB: on large inputs those faults were a sixth of a counting run. Smaller blocks come
// from the usual heap.

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace orvanta::detail {

void *allocateLarge(std::size_t bytes);
void releaseLarge(void *block, std::size_t bytes) noexcept;
// Gives the pages of a block from `used` bytes on back to the system; they read as zeros when
// touched again. Blocks from the heap are left alone.
void releaseTail(void *block, std::size_t used, std::size_t bytes) noexcept;

template <typename T> class LargeArrayAllocator {
public:
    using value_type = T;

    LargeArrayAllocator() = default;
    template <typename U> LargeArrayAllocator(const LargeArrayAllocator<U> &) noexcept {}

    T *allocate(std::size_t count)
    {
        if (count > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T *>(allocateLarge(count * sizeof(T)));
    }
    void deallocate(T *block, std::size_t count) noexcept
    {
        releaseLarge(block, count * sizeof(T));
    }

    template <typename U> bool operator==(const LargeArrayAllocator<U> &) const noexcept
    {
        return true;
    }
};

template <typename T> using LargeArray = std::vector<T, LargeArrayAllocator<T>>;
using LargeText = std::basic_string<char, std::char_traits<char>, LargeArrayAllocator<char>>;

// Gives back the memory an array has taken but no longer uses, without moving it: for an array
// that shrank and will not grow again.
template <typename T> void releaseUnusedCapacity(LargeArray<T> &array) noexcept
{
    releaseTail(array.data(), array.size() * sizeof(T), array.capacity() * sizeof(T));
}

// The bytes an array or text has taken, in use or not.
template <typename Array> std::uint64_t bytesOf(const Array &array)
{
    return array.capacity() * sizeof(typename Array::value_type);
}

} // namespace orvanta::detail
