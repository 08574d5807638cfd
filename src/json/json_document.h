// The --json document, written as it goes: the head, one disk at a time, the end.
#pragma once

#include <ctime>

#include <nlohmann/json.hpp>

namespace disklens {

using JsonValue = nlohmann::ordered_json;

// `now` is the run's local time, null when unknown.
void BeginJsonDocument(const std::tm* now);
// One object of "disks"; `first` for the first disk of the document.
void WriteJsonDisk(const JsonValue& disk, bool first);
void EndJsonDocument();

}  // namespace disklens
