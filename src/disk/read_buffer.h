// Bytes for a read to land in directly, held by whoever keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace disklens {

// Page-aligned, so that no sector size up to 4 KiB sends a read through the
// session's TransferBuffer (its lock and a copy), and left unset when the
// vector grows: the read fills what it grows by, and what a failed read
// left is dropped by its caller.
template <typename T>
struct ReadAllocator {
  using value_type = T;
  static constexpr std::align_val_t kAlignment{4096};

  ReadAllocator() = default;
  template <typename U>
  ReadAllocator(const ReadAllocator<U>& /*other*/) {}  // NOLINT: as allocators convert

  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
  void deallocate(T* p, std::size_t /*n*/) { ::operator delete(p, kAlignment); }

  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    if constexpr (sizeof...(Args) == 0) {
      ::new (static_cast<void*>(p)) U;  // default-initialised: no zeroing
    } else {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  }

  template <typename U>
  bool operator==(const ReadAllocator<U>& /*other*/) const {
    return true;
  }
};

using ReadBuffer = std::vector<std::uint8_t, ReadAllocator<std::uint8_t>>;

}  // namespace disklens
