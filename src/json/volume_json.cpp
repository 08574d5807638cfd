#include "json/volume_json.h"

#include <cstdio>
#include <string>

#include "bootsector/bitlocker_boot_sector.h"
#include "bootsector/exfat_boot_sector.h"
#include "bootsector/refs_boot_sector.h"
#include "gpt/guid_text.h"
#include "layout/exfat.h"

namespace disklens {

namespace {

// A size that the record could not give (a shift out of range) is null.
void NumberOrNull(JsonWriter& json, const char* key, std::uint64_t value) {
  if (value == 0) {
    json.Null(key);
  } else {
    json.Number(key, value);
  }
}

std::string RevisionText(std::uint16_t revision) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(revision >> 8),
                static_cast<unsigned>(revision & 0xFF));
  return text;
}

void WriteExfatFields(JsonWriter& json, const ExfatBootSector& b) {
  json.BeginObject();
  json.Number("partition_offset", b.partitionOffset);
  json.Number("volume_length", b.volumeLength);
  json.Number("fat_offset", b.fatOffset);
  json.Number("fat_length", b.fatLength);
  json.Number("cluster_heap_offset", b.clusterHeapOffset);
  json.Number("cluster_count", b.clusterCount);
  json.Number("first_cluster_of_root_directory", b.firstClusterOfRootDirectory);
  json.Hex("volume_serial_number", b.volumeSerialNumber, 8);
  json.Text("file_system_revision", RevisionText(b.fileSystemRevision));
  json.Hex("volume_flags", b.volumeFlags, 4);
  json.Number("active_fat", (b.volumeFlags & exfat::kActiveFatBit) != 0 ? 1 : 0);
  json.Bool("volume_dirty", (b.volumeFlags & exfat::kVolumeDirtyBit) != 0);
  json.Bool("media_failure", (b.volumeFlags & exfat::kMediaFailureBit) != 0);
  json.Number("bytes_per_sector_shift", b.bytesPerSectorShift);
  const std::uint32_t sectorSize = ExfatSectorSize(b);
  NumberOrNull(json, "bytes_per_sector", sectorSize);
  json.Number("sectors_per_cluster_shift", b.sectorsPerClusterShift);
  const std::uint32_t perCluster = ExfatSectorsPerCluster(b);
  NumberOrNull(json, "sectors_per_cluster", perCluster);
  NumberOrNull(json, "bytes_per_cluster", std::uint64_t{sectorSize} * perCluster);
  json.Number("number_of_fats", b.numberOfFats);
  json.Hex("drive_select", b.driveSelect, 2);
  json.Number("percent_in_use", b.percentInUse);
  json.Hex("boot_signature", b.bootSignature, 4);
  json.EndObject();
}

void WriteChecksum(JsonWriter& json, const char* key, const ExfatChecksum& c) {
  json.Key(key);
  json.BeginObject();
  json.Hex("computed", c.computed, 8);
  json.Hex("stored", c.stored, 8);
  json.Bool("holds", c.holds);
  json.EndObject();
}

void WriteBootRegion(JsonWriter& json, const ExfatBootRegion& r) {
  json.Key("boot_region");
  if (!r.read) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Number("sector_size", r.sectorSize);
  WriteChecksum(json, "main_checksum", r.main);
  WriteChecksum(json, "backup_checksum", r.backup);
  json.Key("backup_differing_fields");
  json.BeginArray();
  for (const std::string& name : r.differingFields) json.Text(name);
  json.EndArray();
  json.EndObject();
}

void WriteGuid(JsonWriter& json, const char* key, const std::uint8_t* bytes) {
  char text[40];
  if (FormatGuid(text, sizeof text, bytes) != 0) {
    json.Text(key, text);
  } else {
    json.Null(key);
  }
}

void WriteBitLockerFields(JsonWriter& json, const BitLockerBootSector& b) {
  json.BeginObject();
  json.Text("version", BitLockerVersionName(b.version));
  json.Number("bytes_per_sector", b.bytesPerSector);
  json.Number("sectors_per_cluster", b.sectorsPerCluster);
  json.Number("reserved_sectors", b.reservedSectors);
  json.Number("total_sectors_16", b.totalSectors16);
  json.Hex("media", b.media, 2);
  json.Number("sectors_per_track", b.sectorsPerTrack);
  json.Number("heads", b.heads);
  json.Number("hidden_sectors", b.hiddenSectors);
  json.Number("total_sectors_32", b.totalSectors32);
  if (b.version == BitLockerVersion::kVista) {
    json.Number("total_sectors_64", b.totalSectors64);
    json.Hex("volume_serial_number", b.volumeSerialNumber, 16);
    json.Null("identifier");
    json.Number("fve_metadata_cluster", b.metadataCluster);
  } else {
    json.Null("total_sectors_64");
    json.Hex("volume_serial_number", b.volumeSerialNumber, 8);
    WriteGuid(json, "identifier", b.identifier);
    json.Null("fve_metadata_cluster");
  }
  json.Key("fve_metadata_offsets");
  json.BeginArray();
  for (std::uint32_t i = 0; i < b.metadataOffsetCount; ++i) json.Number(b.metadataOffsets[i]);
  json.EndArray();
  json.EndObject();
}

void WriteRefsFields(JsonWriter& json, const RefsBootSector& b) {
  json.BeginObject();
  json.Number("sector_count", b.sectorCount);
  json.Number("bytes_per_sector", b.bytesPerSector);
  json.Number("sectors_per_cluster", b.sectorsPerCluster);
  json.Text("version", std::to_string(b.majorVersion) + "." + std::to_string(b.minorVersion));
  json.Hex("volume_serial_number", b.volumeSerialNumber, 16);
  json.EndObject();
}

}  // namespace

const char* VolumeDecoderName(const BootRowRecord& row) {
  if (!row.read) return nullptr;
  switch (row.volume) {
    case VolumeKind::kExfat:
      return "exfat";
    case VolumeKind::kBitLocker:
      return "bitlocker";
    case VolumeKind::kRefs:
      return "refs";
    case VolumeKind::kBitLockerToGo:  // a real FAT32: the text's decoder stands
    case VolumeKind::kNone:
      break;
  }
  return nullptr;
}

void WriteVolumeFieldsJson(JsonWriter& json, const BootRowRecord& row) {
  switch (row.volume) {
    case VolumeKind::kExfat:
      WriteExfatFields(json, DecodeExfatBootSector(row.sector));
      return;
    case VolumeKind::kBitLocker:
      WriteBitLockerFields(json, DecodeBitLockerBootSector(row.sector, false));
      return;
    case VolumeKind::kRefs:
      WriteRefsFields(json, DecodeRefsBootSector(row.sector));
      return;
    case VolumeKind::kBitLockerToGo:
    case VolumeKind::kNone:
      break;
  }
  json.Null();
}

void WriteVolumeMembersJson(JsonWriter& json, const BootRowRecord& row) {
  if (!row.read) return;
  if (row.volume == VolumeKind::kExfat) {
    WriteBootRegion(json, row.exfatRegion);
  } else if (row.volume == VolumeKind::kBitLockerToGo) {
    json.Key("bitlocker_to_go");
    WriteBitLockerFields(json, DecodeBitLockerBootSector(row.sector, true));
  }
}

}  // namespace disklens
