#include "json/check_json.h"

#include "json/gpt_json.h"

namespace disklens {

void WriteCheckJson(JsonWriter& json, const DiskCheck& check) {
  json.Key("findings");
  json.BeginArray();
  for (const Finding& f : check.findings) {
    json.BeginObject();
    json.Text("id", f.id);
    json.Text("severity", SeverityName(f.severity));
    if (f.lba) {
      json.Number("lba", *f.lba);
    } else {
      json.Null("lba");
    }
    if (f.byteOffset) json.Number("byte_offset", *f.byteOffset);
    json.Text("message", f.message);
    if (!f.expected.empty()) json.Text("expected", f.expected);
    if (!f.found.empty()) json.Text("found", f.found);
    if (!f.hint.empty()) json.Text("hint", f.hint);
    json.EndObject();
  }
  json.EndArray();
  json.Key("gpt_backup");
  WriteGptJson(json, check.backup);
}

}  // namespace disklens
