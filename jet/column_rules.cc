#include "jet/column_rules.h"

#include <cstring>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/catalog.h"
#include "jet/data_page.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/row_reader.h"

namespace jet {
namespace {

constexpr uint8_t kBlobMagic[4] = {'M', 'R', '2', 0};
constexpr uint16_t kNameBlock = 0x80;
constexpr uint16_t kColumnBlock = 0x01;
constexpr size_t kBlockHeader = 6;  // u32 length, u16 type
constexpr size_t kEntryHeader = 8;  // u16 length, u8 DDL, u8 type, u16, u16

bool IsPropertyBlob(Bytes blob) {
  return blob.size() >= sizeof kBlobMagic &&
         std::memcmp(blob.data(), kBlobMagic, sizeof kBlobMagic) == 0;
}

// The value of a Boolean property entry.
bool BooleanValue(Bytes data) { return !data.empty() && data[0] != 0; }

}  // namespace

ColumnRules ColumnRules::Read(const PageSource& file, const TableDef& def) {
  const TableDef catalog = ReadTableDef(file, format::kCatalogTdefPage);
  const int blob_column = catalog.FindColumn("LvProp");
  if (blob_column < 0) return {};
  for (const CatalogEntry& o : ReadCatalogEntries(file)) {
    if (o.TablePage() != def.tdef_page) continue;
    const std::vector<base::Value> row =
        RowReader(file, catalog).Decode(LocateRow(file, o.row));
    const base::Value& blob = row[static_cast<size_t>(blob_column)];
    if (blob.type() != base::ValueType::kBinary) return {};
    return FromBlob(blob.AsBinary(), def, o.name);
  }
  return {};
}

ColumnRules ColumnRules::FromBlob(Bytes blob, const TableDef& def,
                                  const std::string& table) {
  ColumnRules out;
  out.table_ = table;
  if (!IsPropertyBlob(blob)) return out;
  std::vector<std::string> names;
  for (size_t at = sizeof kBlobMagic; at < blob.size();) {
    const uint32_t length = U32(blob, at, "property block length");
    if (length < kBlockHeader) ThrowCorrupt("property block length");
    const uint16_t type = U16(blob, at + 4, "property block type");
    const Bytes block =
        Sub(blob, at + kBlockHeader, length - kBlockHeader, "property block");
    at += length;
    if (type == kNameBlock) {
      for (size_t n = 0; n < block.size();) names.push_back(ReadName(block, n));
      continue;
    }
    if (type != kColumnBlock) continue;
    const uint32_t owner_length = U32(block, 0, "property owner length");
    size_t name_at = 4;
    const std::string owner =
        owner_length > kBlockHeader ? ReadName(block, name_at) : "";
    const int column = def.FindColumn(owner);
    if (column < 0) continue;  // a column dropped since
    Rule rule{def.columns[static_cast<size_t>(column)].number};
    for (size_t e = owner_length; e < block.size();) {
      const uint16_t entry_length = U16(block, e, "property entry length");
      if (entry_length < kEntryHeader) ThrowCorrupt("property entry length");
      const uint16_t name_index = U16(block, e + 4, "property name index");
      const uint16_t size = U16(block, e + 6, "property data size");
      const Bytes data = Sub(block, e + kEntryHeader, size, "property data");
      if (name_index >= names.size()) ThrowCorrupt("property name index");
      const std::string& name = names[name_index];
      if (base::EqualsIgnoreCase(name, "Required")) {
        rule.required = BooleanValue(data);
      } else if (base::EqualsIgnoreCase(name, "AllowZeroLength")) {
        rule.allow_zero_length = BooleanValue(data);
      }
      e += entry_length;
    }
    if (rule.required || !rule.allow_zero_length) out.rules_.push_back(rule);
  }
  return out;
}

std::optional<std::vector<uint8_t>> RenamePropertyOwner(Bytes blob,
                                                        std::string_view from,
                                                        std::string_view to) {
  if (!IsPropertyBlob(blob)) return std::nullopt;
  std::vector<uint8_t> out(blob.begin(), blob.begin() + sizeof kBlobMagic);
  bool renamed = false;
  for (size_t at = sizeof kBlobMagic; at < blob.size();) {
    const uint32_t length = U32(blob, at, "property block length");
    if (length < kBlockHeader) ThrowCorrupt("property block length");
    const Bytes whole = Sub(blob, at, length, "property block");
    at += length;
    const Bytes block = whole.subspan(kBlockHeader);
    size_t name_at = 4;
    if (U16(whole, 4) != kColumnBlock ||
        U32(block, 0, "property owner length") <= kBlockHeader ||
        !base::EqualsIgnoreCase(ReadName(block, name_at), from)) {
      out.insert(out.end(), whole.begin(), whole.end());
      continue;
    }
    // Block header and owner name rewritten, the entries kept as they are.
    std::vector<uint8_t> owner(4);
    AppendName(owner, to);
    PutU32(owner, 0, static_cast<uint32_t>(owner.size()));
    const uint32_t owner_length = U32(block, 0);
    if (owner_length > block.size()) ThrowCorrupt("property owner length");
    const Bytes entries = block.subspan(owner_length);
    const size_t start = out.size();
    out.resize(start + kBlockHeader);
    PutU32(out, start,
           static_cast<uint32_t>(kBlockHeader + owner.size() + entries.size()));
    PutU16(out, start + 4, kColumnBlock);
    out.insert(out.end(), owner.begin(), owner.end());
    out.insert(out.end(), entries.begin(), entries.end());
    renamed = true;
  }
  if (!renamed) return std::nullopt;
  return out;
}

void ColumnRules::Check(const TableDef& def,
                        const std::vector<base::Value>& by_number) const {
  const base::Value null = base::Value::Null();
  for (const Rule& rule : rules_) {
    const ColumnDef* column = def.ColumnNumbered(rule.column_number);
    // Booleans are never Null; they live in the null mask.
    if (column == nullptr || column->type == format::kTypeBoolean) continue;
    const std::string field = table_ + "." + column->name;
    const base::Value& v = rule.column_number < by_number.size()
                               ? by_number[rule.column_number]
                               : null;
    if (rule.required && (v.IsNull() || v.IsEmpty())) {
      throw base::Error(base::err::kFieldRequired, kErrorSource, field);
    }
    const bool textual =
        column->type == format::kTypeText || column->type == format::kTypeMemo;
    if (!rule.allow_zero_length && textual &&
        v.type() == base::ValueType::kText && v.AsText().empty()) {
      throw base::Error(base::err::kZeroLengthString, kErrorSource, field);
    }
  }
}

}  // namespace jet
