#include "bootsector/boot_fields.h"

#include "bootsector/field_lines.h"
#include "text/output.h"

namespace disklens {

namespace {

using K = FieldKind;

// The upper 4 bits of a FAT32 cluster number are reserved.
constexpr std::uint32_t kClusterMask = 0x0FFFFFFF;

constexpr BootField kFat[] = {
    {"Jump", "jump", K::kJump, 0x00, 3},
    {"OEM Name", "oem_name", K::kText, 0x03, 8},
    {"Bytes Per Sec", "bytes_per_sector", K::kDecimal, 0x0B, 2},
    {"Sec Per Clust", "sectors_per_cluster", K::kDecimal, 0x0D, 1},
    {"Res Sectors", "reserved_sectors", K::kDecimal, 0x0E, 2},
    {"Num FATs", "fat_count", K::kDecimal, 0x10, 1},
    {"Root Dir Ents", "root_dir_entries", K::kDecimal, 0x11, 2},
    {"Sectors", "total_sectors_16", K::kDecimal, 0x13, 2},
    {"Media", "media_descriptor", K::kHex, 0x15, 1},
    {"Secs Per FAT", "sectors_per_fat", K::kDecimal, 0x16, 2},
    {"Sec Per Track", "sectors_per_track", K::kDecimal, 0x18, 2},
    {"Heads", "heads", K::kDecimal, 0x1A, 2},
    {"Hidden Secs", "hidden_sectors", K::kDecimal, 0x1C, 4},
    {"Huge Sectors", "total_sectors_32", K::kDecimal, 0x20, 4},
    // The extended fields are shown whatever the signature byte says.
    {"Drive Num", "drive_number", K::kHex, 0x24, 1},
    {"Res", "reserved", K::kHex, 0x25, 1},
    {"Sig", "extended_boot_signature", K::kHex, 0x26, 1},
    {"Vol ID", "volume_id", K::kHex, 0x27, 4},
    {"Volume Label", "volume_label", K::kText, 0x2B, 11},
    {"FS Type", "file_system_type", K::kText, 0x36, 8},
    {"Boot Flag", "boot_signature", K::kHex, 0x1FE, 2},
};

constexpr BootField kFat32[] = {
    {"Jump", "jump", K::kJump, 0x00, 3},
    {"OEM Name", "oem_name", K::kText, 0x03, 8},
    {"Bytes Per Sec", "bytes_per_sector", K::kDecimal, 0x0B, 2},
    {"Sec Per Clust", "sectors_per_cluster", K::kDecimal, 0x0D, 1},
    {"Res Sectors", "reserved_sectors", K::kDecimal, 0x0E, 2},
    {"Num FATs", "fat_count", K::kDecimal, 0x10, 1},
    {"Root Dir Ents", "root_dir_entries", K::kDecimal, 0x11, 2},
    {"Sectors", "total_sectors_16", K::kDecimal, 0x13, 2},
    {"Media", "media_descriptor", K::kHex, 0x15, 1},
    {"Secs Per FAT", "sectors_per_fat_16", K::kDecimal, 0x16, 2},
    {"Sec Per Track", "sectors_per_track", K::kDecimal, 0x18, 2},
    {"Heads", "heads", K::kDecimal, 0x1A, 2},
    {"Hidden Secs", "hidden_sectors", K::kDecimal, 0x1C, 4},
    {"Huge Sectors", "total_sectors_32", K::kDecimal, 0x20, 4},
    {"Huge Secs Per FAT", "sectors_per_fat_32", K::kDecimal, 0x24, 4},
    {"Flags", "extended_flags", K::kHex, 0x28, 2},
    {"Version", "file_system_version", K::kDecimal, 0x2A, 2},
    // The primary shows the cluster number, the backup its raw field, so that
    // reserved bits set in the backup stay visible.
    {"Root Dir Clust", "root_dir_cluster", K::kCluster, 0x2C, 4},
    {"FS Info Sec", "fs_info_sector", K::kDecimal, 0x30, 2},
    {"FS Bkup Sec", "backup_boot_sector", K::kDecimal, 0x32, 2},
    {"Reserved", "reserved_words", K::kReservedWords, 0x34, 12},
    {"Drive Num", "drive_number", K::kHex, 0x40, 1},
    {"Res", "reserved", K::kHex, 0x41, 1},
    {"Boot Sig", "extended_boot_signature", K::kHex, 0x42, 1},
    {"Vol ID", "volume_id", K::kHex, 0x43, 4},
    {"Volume Label", "volume_label", K::kText, 0x47, 11},
    {"FS Type", "file_system_type", K::kText, 0x52, 8},
    {"Boot Flag", "boot_signature", K::kHex, 0x1FE, 2},
};

constexpr BootField kNtfs[] = {
    {"Jump", "jump", K::kJump, 0x00, 3},
    {"OEM Name", "oem_name", K::kText, 0x03, 8},
    {"Bytes Per Sec", "bytes_per_sector", K::kDecimal, 0x0B, 2},
    {"Sec Per Clust", "sectors_per_cluster", K::kDecimal, 0x0D, 1},
    {"Res Sectors", "reserved_sectors", K::kDecimal, 0x0E, 2},
    {"Zero 1", "zero_1", K::kHex, 0x10, 1},
    {"Zero 2", "zero_2", K::kHex, 0x11, 2},
    {"NA 1", "unused_1", K::kHex, 0x13, 2},
    {"Media", "media_descriptor", K::kHex, 0x15, 1},
    {"Zero 3", "zero_3", K::kHex, 0x16, 2},
    {"Sec Per Track", "sectors_per_track", K::kDecimal, 0x18, 2},
    {"Heads", "heads", K::kDecimal, 0x1A, 2},
    {"Hidden Secs", "hidden_sectors", K::kDecimal, 0x1C, 4},
    {"NA 2", "unused_2", K::kHex, 0x20, 4},
    {"NA 3", "unused_3", K::kHex, 0x24, 4},
    {"Total Sectors", "total_sectors", K::kHex64, 0x28, 8},
    {"MFT LCN", "mft_lcn", K::kHex64, 0x30, 8},
    {"MFT Mirr LCN", "mft_mirror_lcn", K::kHex64, 0x38, 8},
    // Raw: the encoded byte is not turned into a size, and the bytes after it stay.
    {"Clust Per FRS", "clusters_per_file_record", K::kHex, 0x40, 4},
    {"Clust Per IBlock", "clusters_per_index_block", K::kHex, 0x44, 4},
    {"Volume SN", "volume_serial_number", K::kHex64, 0x48, 8},
    {"Checksum", "checksum", K::kHex, 0x50, 4},
    {"Boot Flag", "boot_signature", K::kHex, 0x1FE, 2},
};

constexpr BootField kTrailer[] = {
    {"Image Label", "image_label", K::kText, 0x00, 4},
    {"Total Sectors (Uncomp)", "total_sectors_uncompressed", K::kDecimal, 0x04, 4},
    {"Flag", "flag", K::kHex, 0x08, 2},
    {"Unused Bytes LS", "unused_bytes_last_sector", K::kDecimal, 0x0A, 2},
    {"FS", "file_system", K::kDecimal, 0x0C, 1},
    {"DFS", "dfs", K::kDecimal, 0x0D, 1},
    // Packed: this one starts at 0x0E, across the 4-byte boundary.
    {"Total Sectors (Comp)", "total_sectors_compressed", K::kDecimal, 0x0E, 4},
};

std::uint64_t Raw(ByteView view, std::size_t offset, std::uint8_t size) {
  switch (size) {
    case 1: return view.U8(offset);
    case 2: return view.U16(offset);
    case 4: return view.U32(offset);
    case 8: return view.U64(offset);
    default: return 0;
  }
}

void PrintReservedWords(ByteView p, std::size_t offset) {
  PrintLabel("Reserved");
  Print("%2X %2X %2X %2X %2X %2X", p.U16(offset), p.U16(offset + 2), p.U16(offset + 4),
        p.U16(offset + 6), p.U16(offset + 8), p.U16(offset + 10));
}

}  // namespace

const BootFieldTable kFatBootFields{kFat};
const BootFieldTable kFat32BootFields{kFat32};
const BootFieldTable kNtfsBootFields{kNtfs};
const BootFieldTable kImageTrailerFields{kTrailer};

std::uint64_t FieldNumber(const BootField& field, ByteView view, bool primary) {
  switch (field.kind) {
    case K::kDecimal:
    case K::kHex:
    case K::kHex64:
      return Raw(view, field.offset, field.size);
    case K::kCluster:
      return primary ? (view.U32(field.offset) & kClusterMask) : view.U32(field.offset);
    case K::kJump:
      return (std::uint64_t{view.U8(0)} << 16) | (std::uint64_t{view.U8(1)} << 8) | view.U8(2);
    case K::kText:
    case K::kReservedWords:
      break;
  }
  return 0;
}

void PrintBootFields(BootFieldTable table, ByteView s) {
  for (const BootField& f : table) {
    const auto value = static_cast<std::uint32_t>(FieldNumber(f, s, true));
    switch (f.kind) {
      case K::kDecimal: case K::kCluster: PrintDecimalField(f.label, value); break;
      case K::kHex: PrintHexField(f.label, value); break;
      case K::kHex64: PrintHex64Field(f.label, FieldNumber(f, s, true)); break;
      case K::kText: PrintTextField(f.label, s, f.offset, f.size); break;
      case K::kJump: PrintJumpField(f.label, s); break;
      case K::kReservedWords: PrintReservedWords(s, f.offset); break;
    }
  }
}

void PrintBootFieldPairs(BootFieldTable table, ByteView p, ByteView b) {
  for (const BootField& f : table) {
    const auto first = static_cast<std::uint32_t>(FieldNumber(f, p, true));
    const auto second = static_cast<std::uint32_t>(FieldNumber(f, b, false));
    switch (f.kind) {
      case K::kDecimal: case K::kCluster: PrintDecimalPair(f.label, first, second); break;
      case K::kHex: PrintHexPair(f.label, first, second); break;
      // No 64-bit field has a backup copy to stand beside.
      case K::kHex64: PrintHex64Field(f.label, FieldNumber(f, p, true)); break;
      case K::kText: PrintTextPair(f.label, p, b, f.offset, f.size); break;
      case K::kJump: PrintJumpPair(f.label, p, b); break;
      case K::kReservedWords: PrintReservedWords(p, f.offset); break;
    }
  }
}

}  // namespace disklens
