#include "json/boot_fields_json.h"

#include "json/json_text.h"

namespace disklens {

void WriteBootFieldsJson(JsonWriter& json, BootFieldTable table, ByteView s, bool primary) {
  json.BeginObject();
  for (const BootField& f : table) {
    json.Key(f.key);
    switch (f.kind) {
      case FieldKind::kDecimal:
      case FieldKind::kCluster:
        json.Number(FieldNumber(f, s, primary));
        break;
      case FieldKind::kHex:
      case FieldKind::kHex64:
        json.Hex(FieldNumber(f, s, primary), static_cast<int>(2 * f.size));
        break;
      case FieldKind::kJump:
        json.Hex(FieldNumber(f, s, primary), 6);
        break;
      case FieldKind::kText: {
        // Every byte of the field that was read, the zeros and what follows them included.
        const ByteView field = s.From(f.offset);
        json.Text(Latin1Text(field.data, f.size < field.size ? f.size : field.size));
        break;
      }
      case FieldKind::kReservedWords:
        json.BeginArray();
        for (std::size_t i = 0; i < f.size; i += 2) json.Hex(s.U16(f.offset + i), 4);
        json.EndArray();
        break;
    }
  }
  json.EndObject();
}

}  // namespace disklens
