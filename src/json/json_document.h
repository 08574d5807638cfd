// The --json document, written as it goes: the head, one disk at a time, the end.
#pragma once

#include <ctime>
#include <string_view>

namespace disklens {

// The document's "schema_version": 1 added it with --check's members; 2 the
// decoders exfat, bitlocker and refs (boot_region, bitlocker_to_go).
inline constexpr unsigned kJsonSchemaVersion = 2;

// `now` is the run's local time, null when unknown.
void BeginJsonDocument(const std::tm* now);
// One object of "disks", as JsonWriter wrote it; `first` for the first disk
// of the document.
void WriteJsonDisk(std::string_view disk, bool first);
void EndJsonDocument();

}  // namespace disklens
