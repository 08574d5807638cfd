// A GPT as values: its header fields and its used entries, copied out of the
// bytes they were read into, for every way the report is written. Decoding
// reads no disk: the same record takes the primary copy or, later, a backup.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bytes/bytes.h"
#include "gpt/gpt_check.h"
#include "gpt/name_text.h"
#include "layout/gpt.h"

namespace disklens {

// The fields of one entry slot, by the names of layout/gpt.h.
inline constexpr std::size_t kEntryTypeGuid = gpt_entry::kTypeGuid;
inline constexpr std::size_t kEntryUniqueGuid = gpt_entry::kUniqueGuid;
inline constexpr std::size_t kEntryStartLba = gpt_entry::kStartLba;
inline constexpr std::size_t kEntryEndLba = gpt_entry::kEndLba;
inline constexpr std::size_t kEntryAttributes = gpt_entry::kAttributes;
inline constexpr std::size_t kEntryName = gpt_entry::kName;
inline constexpr std::size_t kEntryReadBytes = gpt_entry::kReadBytes;

using GuidBytes = std::array<std::uint8_t, 16>;  // as stored; FormatGuid gives its text

struct GptHeaderRecord {
  std::uint32_t revision = 0;
  std::uint32_t headerSize = 0;
  std::uint32_t headerCrc = 0;
  std::uint64_t myLba = 0;
  std::uint64_t alternateLba = 0;
  std::uint64_t firstUsableLba = 0;
  std::uint64_t lastUsableLba = 0;
  GuidBytes diskGuid{};
  std::uint64_t entryLba = 0;
  std::uint32_t entryCount = 0;
  std::uint32_t entrySize = 0;
  std::uint32_t entryArrayCrc = 0;
};

// A used entry slot.
struct GptEntryRecord {
  std::uint32_t index = 0;  // the slot, counted over used and unused ones
  GuidBytes typeGuid{};
  GuidBytes uniqueGuid{};
  std::uint64_t firstLba = 0;
  std::uint64_t lastLba = 0;  // inclusive
  std::uint64_t attributes = 0;
  std::array<std::uint16_t, kGptNameUnits> name{};  // UTF-16 units as stored, NUL-padded
  // The probe of the partition's first sectors: its MBR-style type ID, none
  // when the probe failed or was not run.
  std::optional<std::uint16_t> probedId;
};

// One copy of a GPT, valid by CheckGpt.
struct GptRecord {
  bool found = false;  // false: no valid GPT, and nothing else is set
  std::uint64_t headerLba = 0;  // where the header was read
  std::uint32_t sectorSize = 0;
  GptHeaderRecord header;
  std::vector<GptEntryRecord> entries;  // the used slots, in slot order
  // Slots that lay whole in the bytes read; below header.entryCount when the
  // array claimed more than was read.
  std::uint32_t slotsRead = 0;
};

GptHeaderRecord DecodeGptHeader(ByteView header);

// The first kEntryReadBytes bytes of slot `index`; bytes the view lacks read as 0.
GptEntryRecord DecodeGptEntry(ByteView slot, std::uint32_t index);

// True when the slot's type GUID is all zeros: the slot holds no partition.
bool IsUnusedGptEntry(ByteView slot);

// The GPT that `view` (from a CheckGpt that returned 0) describes, its header
// read at `headerLba`; never a byte past the view's valid length, whatever
// the header claims. Probes nothing.
GptRecord DecodeGpt(const GptView& view, std::uint64_t headerLba);

}  // namespace disklens
