#include "json/boot_fields_json.h"

#include "json/json_text.h"

namespace disklens {

JsonValue BootFieldsJson(BootFieldTable table, ByteView s, bool primary) {
  JsonValue fields = JsonValue::object();
  for (const BootField& f : table) {
    JsonValue& value = fields[f.key];
    switch (f.kind) {
      case FieldKind::kDecimal:
      case FieldKind::kCluster:
        value = FieldNumber(f, s, primary);
        break;
      case FieldKind::kHex:
      case FieldKind::kHex64:
        value = FixedHex(FieldNumber(f, s, primary), 2 * f.size);
        break;
      case FieldKind::kJump:
        value = FixedHex(FieldNumber(f, s, primary), 6);
        break;
      case FieldKind::kText: {
        // Every byte of the field that was read, the zeros and what follows them included.
        const ByteView field = s.From(f.offset);
        value = Latin1Text(field.data, f.size < field.size ? f.size : field.size);
        break;
      }
      case FieldKind::kReservedWords:
        value = JsonValue::array();
        for (std::size_t i = 0; i < f.size; i += 2) value.push_back(FixedHex(s.U16(f.offset + i), 4));
        break;
    }
  }
  return fields;
}

}  // namespace disklens
