#include "json/json_document.h"

#include <string>

#include "json/json_text.h"
#include "text/output.h"
#include "version.h"

namespace disklens {

namespace {

void Write(const std::string& text) { WriteReportText(text.data(), text.size()); }

// Whatever a disk holds, the document stays valid UTF-8 and no control
// character reaches a terminal raw: DEL and the C1 controls, which JSON lets
// through, are escaped too, with every other character past ASCII.
std::string Dump(const JsonValue& value) {
  return value.dump(-1, ' ', true, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

void BeginJsonDocument(const std::tm* now) {
  const JsonValue runDate =
      now == nullptr ? JsonValue(nullptr)
                     : JsonValue(IsoLocalTime(now->tm_year + 1900, now->tm_mon + 1, now->tm_mday,
                                              now->tm_hour, now->tm_min, now->tm_sec));
  // The head by hand, so that each disk can follow as soon as it is read: one
  // disk a line, which keeps the document readable and diffable.
  Write("{\"program\":\"disklens\",\"version\":" + Dump(JsonValue(kVersion)) +
        ",\"run_date\":" + Dump(runDate) + ",\"disks\":[");
}

void WriteJsonDisk(const JsonValue& disk, bool first) {
  Write(first ? "\n" : ",\n");
  Write(Dump(disk));
}

void EndJsonDocument() { Write("\n]}\n"); }

}  // namespace disklens
