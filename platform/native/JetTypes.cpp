#include "platform/native/JetEngine.h"

// Names and SQLite declarations of the Jet types (shared with the import helper).
namespace native {

const char* jetTypeName(JetType type) {
  switch (type) {
    case JetType::Text: return "Text";
    case JetType::Memo: return "Memo";
    case JetType::Byte: return "Byte";
    case JetType::Integer: return "Integer";
    case JetType::Long: return "Long";
    case JetType::Single: return "Single";
    case JetType::Double: return "Double";
    case JetType::Currency: return "Currency";
    case JetType::Boolean: return "Yes/No";
    case JetType::DateTime: return "Date/Time";
    case JetType::Binary: return "Binary";
    case JetType::OleObject: return "OLE Object";
    case JetType::Guid: return "Replication ID";
    case JetType::Decimal: return "Decimal";
    case JetType::BigInt: return "BigInt";
  }
  return "?";
}

std::string jetTypeDeclaration(JetType type, int32_t size, int32_t scale) {
  // The names keep SQLite's type affinity right: text types contain TEXT, integer types INT,
  // Double contains DOUB; the others get NUMERIC affinity, which keeps numbers numbers.
  const std::string collate = std::string(" COLLATE ") + kTextCollation;
  switch (type) {
    case JetType::Text: return "TEXT(" + std::to_string(size > 0 ? size : 255) + ")" + collate;
    case JetType::Memo: return "LONGTEXT" + collate;
    case JetType::Byte: return "BYTE";
    case JetType::Integer: return "SMALLINT";
    case JetType::Long: return "INTEGER";
    case JetType::Single: return "SINGLE";
    case JetType::Double: return "DOUBLE";
    case JetType::Currency: return "CURRENCY";
    case JetType::Boolean: return "BOOLEAN";
    case JetType::DateTime: return "DATETIME";
    case JetType::Binary: return "BINARY(" + std::to_string(size > 0 ? size : 255) + ")";
    case JetType::OleObject: return "BLOB";
    case JetType::Guid: return "GUID";
    case JetType::Decimal:
      return "DECIMAL(" + std::to_string(size > 0 ? size : 18) + "," + std::to_string(scale) + ")";
    case JetType::BigInt: return "BIGINT";
  }
  return "BLOB";
}

}  // namespace native
