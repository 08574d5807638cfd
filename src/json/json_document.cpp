#include "json/json_document.h"

#include <string>

#include "json/json_text.h"
#include "json/json_writer.h"
#include "text/output.h"
#include "version.h"

namespace disklens {

namespace {

void Write(std::string_view text) { WriteReportText(text.data(), text.size()); }

}  // namespace

void BeginJsonDocument(const std::tm* now) {
  // The head, then each disk as soon as it is read: one disk a line, which
  // keeps the document readable and diffable.
  std::string head;
  JsonWriter json(head);
  json.BeginObject();
  // Goes up whenever a member is added; no member ever changes its type.
  json.Number("schema_version", kJsonSchemaVersion);
  json.Text("program", "disklens");
  json.Text("version", kVersion);
  if (now == nullptr) {
    json.Null("run_date");
  } else {
    json.Text("run_date", IsoLocalTime(now->tm_year + 1900, now->tm_mon + 1, now->tm_mday,
                                        now->tm_hour, now->tm_min, now->tm_sec));
  }
  json.Key("disks");
  Write(head);
  Write("[");
}

void WriteJsonDisk(std::string_view disk, bool first) {
  Write(first ? "\n" : ",\n");
  Write(disk);
}

void EndJsonDocument() { Write("\n]}\n"); }

}  // namespace disklens
