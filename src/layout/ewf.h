// Where the fields of an EWF segment file's header lie, from its first byte:
// EWF version 1 (E01, L01, S01) and version 2 (Ex01, Lx01).
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens::ewf_header {

inline constexpr std::size_t kSize = 16;
inline constexpr char kSignature1[] = "EVF\x09\x0d\x0a\xff\x00";  // 8 bytes
inline constexpr char kSignature2[] = "EVF2\x0d\x0a\x81\x00";     // 8 bytes
inline constexpr std::size_t kSignatureSize = 8;
inline constexpr std::size_t kSegment1 = 9;   // u16: segment number, 1 for the first
inline constexpr std::size_t kSegment2 = 12;  // u32: segment number, 1 for the first

}  // namespace disklens::ewf_header
