#include "gpt/gpt_record.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace disklens {

namespace {

GuidBytes ReadGuid(ByteView view, std::size_t offset) {
  GuidBytes guid{};
  if (view.Has(offset, guid.size())) {
    std::memcpy(guid.data(), view.data + offset, guid.size());
  } else {
    for (std::size_t i = 0; i < guid.size(); ++i) guid[i] = view.U8(offset + i);
  }
  return guid;
}

}  // namespace

GptHeaderRecord DecodeGptHeader(ByteView h) {
  GptHeaderRecord r;
  r.revision = h.U32(kGptRevision);
  r.headerSize = h.U32(kGptHeaderSize);
  r.headerCrc = h.U32(kGptHeaderCrc);
  r.myLba = h.U64(kGptMyLba);
  r.alternateLba = h.U64(kGptAlternateLba);
  r.firstUsableLba = h.U64(kGptFirstUsableLba);
  r.lastUsableLba = h.U64(kGptLastUsableLba);
  r.diskGuid = ReadGuid(h, kGptDiskGuid);
  r.entryLba = h.U64(kGptEntryLba);
  r.entryCount = h.U32(kGptEntryCount);
  r.entrySize = h.U32(kGptEntrySize);
  r.entryArrayCrc = h.U32(kGptEntryArrayCrc);
  return r;
}

bool IsUnusedGptEntry(ByteView slot) {
  for (std::size_t i = 0; i < sizeof(GuidBytes); ++i) {
    if (slot.U8(kEntryTypeGuid + i) != 0) return false;
  }
  return true;
}

GptEntryRecord DecodeGptEntry(ByteView slot, std::uint32_t index) {
  GptEntryRecord e;
  e.index = index;
  e.typeGuid = ReadGuid(slot, kEntryTypeGuid);
  e.uniqueGuid = ReadGuid(slot, kEntryUniqueGuid);
  e.firstLba = slot.U64(kEntryStartLba);
  e.lastLba = slot.U64(kEntryEndLba);
  e.attributes = slot.U64(kEntryAttributes);
  // Copied whole where the units are stored as the machine keeps them; the
  // field need not be aligned for uint16_t, so never read in place.
  if (std::endian::native == std::endian::little && slot.Has(kEntryName, sizeof e.name)) {
    std::memcpy(e.name.data(), slot.data + kEntryName, sizeof e.name);
  } else {
    for (std::size_t k = 0; k < e.name.size(); ++k) e.name[k] = slot.U16(kEntryName + 2 * k);
  }
  return e;
}

GptRecord DecodeGpt(const GptView& view, std::uint64_t headerLba) {
  GptRecord gpt;
  if (view.buffer == nullptr || view.header == nullptr || view.entries == nullptr) return gpt;
  const ByteView valid{view.buffer, view.length};
  const ByteView header = valid.From(static_cast<std::size_t>(view.header - view.buffer));
  gpt.found = true;
  gpt.headerLba = headerLba;
  gpt.sectorSize = view.sectorSize;
  gpt.header = DecodeGptHeader(header);

  const auto first = static_cast<std::uint64_t>(view.entries - view.buffer);
  const std::uint32_t count = gpt.header.entryCount;
  const std::uint32_t stride = gpt.header.entrySize;
  // Room for a standard array at once; a header that claims more grows it
  // only as far as used slots are found in the bytes read.
  gpt.entries.reserve(std::min<std::uint32_t>(count, 128));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t offset = first + static_cast<std::uint64_t>(i) * stride;
    if (offset > valid.size || !valid.Has(static_cast<std::size_t>(offset), kEntryReadBytes)) break;
    gpt.slotsRead = i + 1;
    const ByteView slot{valid.data + offset, kEntryReadBytes};
    if (IsUnusedGptEntry(slot)) continue;
    gpt.entries.push_back(DecodeGptEntry(slot, i));
  }
  return gpt;
}

}  // namespace disklens
