// The "fields" of a boot row whose volume the text's decoders do not know
// (exFAT, BitLocker, ReFS), from its decoded record, and the members that
// only such rows have: an exFAT volume's "boot_region" and a BitLocker To Go
// volume's "bitlocker_to_go".
#pragma once

#include "bootsector/boot_row.h"
#include "json/json_writer.h"

namespace disklens {

// "exfat", "bitlocker" or "refs" for a row read whose sector carries that
// volume's mark; null for any other row (its decoder is the text's).
const char* VolumeDecoderName(const BootRowRecord& row);

// The fields object of a row that VolumeDecoderName names.
void WriteVolumeFieldsJson(JsonWriter& json, const BootRowRecord& row);

// The members after "fields": "boot_region" for exFAT, "bitlocker_to_go"
// for a FAT32 To Go volume; nothing for any other row.
void WriteVolumeMembersJson(JsonWriter& json, const BootRowRecord& row);

}  // namespace disklens
