// mdb create FILE DIR: builds a new database from a folder of TABLE.csv files.

#include "jet/tool/create_command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "base/runtime_error.h"
#include "jet/dao_type.h"
#include "jet/database_write.h"
#include "jet/errors.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/tool/command.h"

namespace jet::tool {
namespace {

[[noreturn]] void BadCell(const std::string& what) {
  throw base::Error(base::err::kTypeMismatch, kErrorSource, {}, what);
}

int64_t ParseInteger(const std::string& s, int64_t lo, int64_t hi) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || errno != 0)
    BadCell("'" + s + "' is no number");
  if (v < lo || v > hi) {
    throw base::Error(base::err::kOverflow, kErrorSource);
  }
  return v;
}

double ParseDouble(const std::string& s) {
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0') BadCell("'" + s + "' is no number");
  return v;
}

// Exact decimal text ("-12.3456") as an integer scaled by 10^scale.
unsigned __int128 ParseScaled(const std::string& s, int scale, bool* negative) {
  size_t i = 0;
  *negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) *negative = s[i++] == '-';
  unsigned __int128 m = 0;
  int frac = -1;
  bool digits = false;
  for (; i < s.size(); ++i) {
    if (s[i] == '.' && frac < 0) {
      frac = 0;
      continue;
    }
    if (s[i] < '0' || s[i] > '9') BadCell("'" + s + "' is no number");
    if (frac >= scale) {
      if (s[i] != '0') BadCell("'" + s + "' has too many decimals");
      continue;
    }
    m = m * 10 + static_cast<unsigned>(s[i] - '0');
    if (m >> 96) {
      throw base::Error(base::err::kOverflow, kErrorSource);
    }
    digits = true;
    if (frac >= 0) ++frac;
  }
  if (!digits) BadCell("'" + s + "' is no number");
  for (int f = std::max(frac, 0); f < scale; ++f) m *= 10;
  return m;
}

int DaysFromCivil(int y, int m, int d) {
  // Days since 1970-01-01 of a proleptic Gregorian date.
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

double ParseDate(const std::string& s) {
  int y, mo, d, h = 0, mi = 0, se = 0;
  char tail = 0;
  const int n = std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d,
                            &h, &mi, &se, &tail);
  if (!(n == 6 || n == 3) || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 ||
      mi > 59 || se > 59 || y < 100 || y > 9999) {
    BadCell("'" + s + "' is no date (YYYY-MM-DDTHH:MM:SS)");
  }
  const double days = DaysFromCivil(y, mo, d) - DaysFromCivil(1899, 12, 30);
  const double time = (h * 3600 + mi * 60 + se) / 86400.0;
  // Before 1899-12-30 the time of day still counts forward from the day.
  return days >= 0 ? days + time : days - time;
}

std::vector<uint8_t> ParseHex(const std::string& s) {
  if (s.size() % 2 != 0) BadCell("odd number of hex digits");
  std::vector<uint8_t> out;
  for (size_t i = 0; i < s.size(); i += 2) {
    auto nib = [&](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      BadCell("'" + s + "' is no hex");
    };
    out.push_back(static_cast<uint8_t>(nib(s[i]) << 4 | nib(s[i + 1])));
  }
  return out;
}

base::Guid ParseGuid(std::string s) {
  s.erase(
      std::remove_if(s.begin(), s.end(),
                     [](char c) { return c == '{' || c == '}' || c == '-'; }),
      s.end());
  const std::vector<uint8_t> b = ParseHex(s);
  if (b.size() != 16) BadCell("GUID needs 32 hex digits");
  base::Guid g;
  // Text order to memory layout: Data1..3 little-endian.
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i)
    g.bytes[static_cast<size_t>(i)] = b[static_cast<size_t>(order[i])];
  return g;
}

std::string ReadFile(const std::filesystem::path& p) {
  const std::u8string utf8 = p.u8string();
  std::optional<std::vector<uint8_t>> bytes =
      ReadWholeFile(std::string(utf8.begin(), utf8.end()));
  if (!bytes) {
    throw base::Error(base::err::kFileNotFound, kErrorSource, {}, p.string());
  }
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

std::vector<std::vector<CsvField>> ParseCsv(const std::string& text) {
  std::vector<std::vector<CsvField>> records;
  std::vector<CsvField> record;
  CsvField field;
  size_t i = 0;
  bool at_field_start = true;
  auto end_field = [&] {
    record.push_back(std::move(field));
    field = CsvField{};
    at_field_start = true;
  };
  auto end_record = [&] {
    end_field();
    records.push_back(std::move(record));
    record.clear();
  };
  if (text.starts_with("\xEF\xBB\xBF")) i = 3;  // byte-order mark
  while (i < text.size()) {
    const char c = text[i];
    if (at_field_start && c == '"') {
      field.quoted = true;
      ++i;
      while (true) {
        if (i >= text.size()) BadCell("unterminated quote in CSV");
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field.text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field.text += text[i++];
      }
      at_field_start = false;
      continue;
    }
    if (c == ',') {
      end_field();
      ++i;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      end_record();
      i += 2;
    } else if (c == '\n') {
      end_record();
      ++i;
    } else {
      field.text += c;
      at_field_start = false;
      ++i;
    }
  }
  if (!at_field_start || !record.empty() || field.quoted) end_record();
  return records;
}

FieldDesc ParseColumnHeader(const std::string& cell) {
  const size_t colon = cell.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    throw UsageError{"column '" + cell + "' lacks ':Type'"};
  }
  FieldDesc f;
  f.name = cell.substr(0, colon);
  std::string type = cell.substr(colon + 1);
  int size = 0;
  if (const size_t open = type.find('('); open != std::string::npos) {
    if (type.back() != ')') throw UsageError{"bad type '" + type + "'"};
    size = std::atoi(type.substr(open + 1).c_str());
    type = type.substr(0, open);
  }
  f.type = StoredTypeNamed(type);
  if (f.type == 0) throw UsageError{"unknown type '" + type + "'"};
  if (f.type == format::kTypeText || f.type == format::kTypeBinary)
    f.size = static_cast<uint16_t>(size ? size : 255);
  return f;
}

base::Value ParseCell(const FieldDesc& field, const CsvField& cell) {
  const std::string& s = cell.text;
  if (s.empty() && !cell.quoted) return base::Value::Null();
  switch (field.type) {
    case format::kTypeBoolean:
      if (s == "true") return base::Value::Boolean(true);
      if (s == "false") return base::Value::Boolean(false);
      BadCell("'" + s + "' is no boolean (true/false)");
    case format::kTypeByte:
      return base::Value::Byte(static_cast<uint8_t>(ParseInteger(s, 0, 255)));
    case format::kTypeInteger:
      return base::Value::Integer(
          static_cast<int16_t>(ParseInteger(s, INT16_MIN, INT16_MAX)));
    case format::kTypeLong:
      return base::Value::Long(
          static_cast<int32_t>(ParseInteger(s, INT32_MIN, INT32_MAX)));
    case format::kTypeCurrency: {
      bool neg = false;
      const unsigned __int128 m = ParseScaled(s, 4, &neg);
      // Two's complement: the negative range reaches one step further.
      const unsigned __int128 limit =
          static_cast<unsigned __int128>(INT64_MAX) + (neg ? 1 : 0);
      if (m > limit) {
        throw base::Error(base::err::kOverflow, kErrorSource);
      }
      const uint64_t magnitude = static_cast<uint64_t>(m);
      return base::Value::FromCurrency(
          {static_cast<int64_t>(neg ? 0 - magnitude : magnitude)});
    }
    case format::kTypeSingle:
      return base::Value::Single(static_cast<float>(ParseDouble(s)));
    case format::kTypeDouble:
      return base::Value::Double(ParseDouble(s));
    case format::kTypeDate:
      return base::Value::FromDate({ParseDate(s)});
    case format::kTypeText:
    case format::kTypeMemo:
      return base::Value::Text(s);
    case format::kTypeBinary:
    case format::kTypeOle:
      return base::Value::Binary(ParseHex(s));
    case format::kTypeGuid:
      return base::Value::FromGuid(ParseGuid(s));
    case format::kTypeNumeric: {
      base::Decimal d;
      d.precision = 18;
      d.scale = 0;
      d.mantissa = ParseScaled(s, 0, &d.negative);
      return base::Value::FromDecimal(d);
    }
    default:
      BadCell("unsupported column type");
  }
}

int RunCreate(const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"create: FILE DIR expected"};
  const std::string& file = args[0];
  const std::filesystem::path dir = args[1];
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) {
    throw base::Error(base::err::kDatabaseExists, kErrorSource);
  }
  if (!std::filesystem::is_directory(dir, ec)) {
    throw base::Error(base::err::kPathNotFound, kErrorSource, {}, dir.string());
  }
  std::vector<std::filesystem::path> csvs;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.is_regular_file() && e.path().extension() == ".csv") {
      csvs.push_back(e.path());
    }
  }
  std::sort(csvs.begin(), csvs.end());
  auto db = DatabaseWriter::CreateNew();
  for (const auto& path : csvs) {
    const std::string table = path.stem().string();
    const auto records = ParseCsv(ReadFile(path));
    if (records.empty()) throw UsageError{path.string() + ": no header line"};
    std::vector<FieldDesc> fields;
    for (const CsvField& c : records[0])
      fields.push_back(ParseColumnHeader(c.text));
    db->CreateTable(table, fields);
    const TableDef& def = db->Def(table);
    for (size_t r = 1; r < records.size(); ++r) {
      const auto& rec = records[r];
      if (rec.size() == 1 && rec[0].text.empty() && !rec[0].quoted) continue;
      if (rec.size() != fields.size()) {
        throw UsageError{path.string() + ": line " + std::to_string(r + 1) +
                         " has " + std::to_string(rec.size()) + " fields, " +
                         std::to_string(fields.size()) + " expected"};
      }
      std::vector<base::Value> values(def.max_cols, base::Value::Null());
      for (size_t i = 0; i < fields.size(); ++i) {
        const int col = def.FindColumn(fields[i].name);
        values[def.columns[static_cast<size_t>(col)].number] =
            ParseCell(fields[i], rec[i]);
      }
      db->Insert(table, values);
    }
  }
  db->Save(file);
  return 0;
}

int RunCreateCommand(int argc, char** argv) {
  return RunCreate(std::vector<std::string>(argv, argv + argc));
}

namespace {
const CommandRegistrar kRegistrar{"create", "create FILE DIR", &RunCreate};
}  // namespace

}  // namespace jet::tool
