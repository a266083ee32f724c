#include "db/takeover.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"
#include "db/packed_rows.h"
#include "db/query_text.h"
#include "env/component_name.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {
namespace {

using base::Value;

constexpr int kStandardColumnCount = 15;
constexpr char kQ[] = "\"";
constexpr char kLineBreak[] = "\n\r";

// The snapshot columns, by name; the category column's name varies.
enum Column {
  kId,
  kMachineType,
  kType,
  kVarName,
  kCategory,
  kIsBitArray,
  kOffsetOrBitno,
  kText,
  kPageName,
  kAbsMin,
  kAbsMax,
  kMin,
  kMax,
  kPass,
  kColumnCount
};
constexpr std::array<const char*, kColumnCount> kColumnNames = {
    "ID",
    "machine_type",
    "type",
    "var_name",
    "category_id",
    "isBitArray",
    "offset_or_bitno",
    "text",
    "page_name",
    "abs_min",
    "abs_max",
    "min",
    "max",
    "pass"};
constexpr std::array<Column, 5> kTakenOver = {kAbsMin, kAbsMax, kMin, kMax,
                                              kPass};

// The columns a record keeps: the three the query is built from and the
// ones taken over. The others are read (a failure is reported as before) and
// dropped at once, so the copy of the machine copy's rows stays small.
constexpr std::array<Column, 8> kKept = {kMachineType, kVarName, kOffsetOrBitno,
                                         kAbsMin,      kAbsMax,  kMin,
                                         kMax,         kPass};

// The slot of each column in a record; -1 for the columns dropped.
constexpr std::array<int, kColumnCount> kSlots = [] {
  std::array<int, kColumnCount> slots{};
  for (int& slot : slots) slot = -1;
  for (size_t i = 0; i < kKept.size(); ++i) {
    slots[kKept[i]] = static_cast<int>(i);
  }
  return slots;
}();

constexpr int KeptSlot(Column col) { return kSlots[col]; }

// The kept columns come in column order, so a row's values are appended as
// its columns are read.
static_assert([] {
  for (size_t i = 1; i < kKept.size(); ++i) {
    if (kKept[i - 1] >= kKept[i]) return false;
  }
  return true;
}());

// The kept values of one row, by column.
struct Record {
  std::array<Value, kKept.size()> kept;
  const Value& operator[](Column col) const { return kept[KeptSlot(col)]; }
};

// The kept values of every row, packed, row after row.
class Records {
 public:
  Records() { cells_.SetWidth(kKept.size()); }
  // The next kept value, in the order of the columns (kKept's order).
  void Append(const Value& value) { cells_.Append(value); }
  // Row r from 1; its values are made in place.
  Record operator[](int r) const {
    return Row(static_cast<size_t>(r) - 1,
               std::make_index_sequence<kKept.size()>());
  }
  // Rows before r (from 1) are done with.
  void DoneBefore(int r) { cells_.DropRowsBefore(static_cast<size_t>(r) - 1); }

 private:
  template <size_t... kSlot>
  Record Row(size_t row, std::index_sequence<kSlot...>) const {
    return Record{{cells_.At(row, kSlot)...}};
  }

  PackedRows cells_;
};

// A value as it stands in the query text: Null and Empty as "".
std::string QueryText(const Value& v) {
  return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText();
}

// The query finding the row of the new table that `record` is taken over
// into. Built in one buffer: it is made for every row.
std::string BuildQuery(const errors::RunState& run, const Record& record) {
  static constexpr char kSelect[] =
      "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type,"
      " PRESET_DEFS.var_name, PRESET_DEFS.category_id, PRESET_DEFS.isBitArray,"
      " PRESET_DEFS.offset_or_bitno, PRESET_DEFS.text, PRESET_DEFS.page_name,"
      " PRESET_DEFS.abs_min, PRESET_DEFS.abs_max, PRESET_DEFS.min,"
      " PRESET_DEFS.max, PRESET_DEFS.pass";
  std::string query;
  query.reserve(sizeof kSelect + run.additional_fields_sql.size() + 200);
  query += kSelect;
  query += run.additional_fields_sql;
  query += " From PRESET_DEFS  WHERE (((PRESET_DEFS.machine_type)=";
  AppendQuotedForQuery(query, QueryText(record[kMachineType]));
  query += ") AND ((PRESET_DEFS.var_name)=";
  AppendQuotedForQuery(query, QueryText(record[kVarName]));
  query += ")  AND ((PRESET_DEFS.offset_or_bitno)=";
  query += QueryText(record[kOffsetOrBitno]);
  query += "));";
  return query;
}

// Texts of the warning, the abort and the conflict.
struct Names {
  std::string e;  // program file name without extension
  std::string c;  // component name, upper case
  std::string p;  // the program's path, upper case, with "!"
};

std::string WarningText(const Names& n, const std::string& line_break) {
  return "WARNING!" + line_break +
         "Machinecopy contains data in fields that won't be taken over!" +
         line_break + "Configurationfile " + kQ + n.c + ".CFG" + kQ +
         ", missing entry " + kQ + "DataBaseAdditionalFields " + kQ +
         line_break + "If you continue now this data will be lost." +
         line_break + "Continue?";
}

std::string AbortText(const Names& n) {
  return n.e + " :Database-Error - Contact Administrator!" +
         " Configurationprogram " + kQ + n.c + kQ + " terminated." +
         " Please check Configuration in " + kQ + n.c + ".CFG" + kQ +
         " Restart " + n.p;
}

std::string ConflictText(const Names& n, const std::string& field) {
  return std::string("Conflict while attempting to extend database!") +
         "Configurationsfile " + kQ + n.c + ".CFG" + kQ + ", demanded field " +
         kQ + base::UpperCase(field) + kQ + "missing in machinecopy-database" +
         kLineBreak + "Configuration of " + kQ + n.c + kQ + " aborted.";
}

}  // namespace

Value TakeoverMachineCopyMDBData(
    errors::RunState& run, const std::shared_ptr<dao::Database>& work_database,
    std::shared_ptr<dao::Recordset>& machine_copy,
    const std::function<void()>& machine_copy_read) {
  errors::ErrorHandler on_error(run, "TakeoverMachineCopyMDBData");
  Names names;
  names.e = run.host.ProgramFileName();
  names.c = base::UpperCase(GetOCXName(run));
  // The program's own path as the user would type it to restart it.
  names.p = base::UpperCase(run.host.ProgramDirectory() +
                            run.host.PathSeparator() + names.e) +
            "!";

  // The fatal report of the second handler: the error log line, "Fatal
  // error", and the end of the program (a silent start goes on).
  auto report_fatal = [&] {
    on_error.Report(base::err::kDatabaseError, names.e,
                    std::string(base::err::Text(base::err::kDatabaseError)),
                    /*fatal=*/true);
  };

  int32_t c = 0;
  on_error.Assign(c,
                  [&] { return dao::Deref(machine_copy).GetFields().Count(); });
  if (on_error.Test([&] {
        return c > kStandardColumnCount && run.additional_fields_count == 0;
      })) {
    if (run.start_mode_silent) {
      on_error.Run([&] { errors::WriteFaultLog(run, WarningText(names, "")); });
    } else {
      platform::MessageBoxRequest box;
      box.text = WarningText(names, kLineBreak);
      box.title = names.e;
      box.buttons = platform::MsgButtons::kYesNo;
      box.default_button = 2;
      box.icon = platform::MsgIcon::kExclamation;
      if (run.host.ShowMessage(box) != platform::MsgResult::kYes) {
        on_error.Run(
            [&] { errors::WriteErrorLog(run, AbortText(names), false); });
        report_fatal();
      }
    }
  }
  if (!machine_copy) return Value();

  // The names handed to DAO, made once: every row reads every column and
  // writes the ones taken over.
  static const std::array<std::string, kColumnCount> kNames = [] {
    std::array<std::string, kColumnCount> names;
    for (size_t i = 0; i < names.size(); ++i) names[i] = kColumnNames[i];
    return names;
  }();
  std::array<std::string, kColumnCount> columns = kNames;
  on_error.Run([&] {
    dao::Fields& fields = machine_copy->GetFields();
    const int32_t count = fields.Count();
    for (int32_t i = 0; i < count; ++i) {
      if (base::EqualsIgnoreCase(fields.Item(i)->Name(), "CATEGORIE")) {
        columns[kCategory] = "categorie";
      }
    }
  });

  // Count the rows, at most as many as reported.
  int16_t reported = 0;
  on_error.Run([&] {
    const int32_t count = machine_copy->RecordCount();
    if (count > 32767 || count < -32768) {
      throw base::Error(base::err::kOverflow, names.e);
    }
    reported = static_cast<int16_t>(count);
  });
  on_error.Run([&] { machine_copy->MoveFirst(); });
  int n = 0;
  while (n < reported && !machine_copy->IsEOF()) {
    ++n;
    if (!on_error.Run([&] { machine_copy->MoveNext(); })) break;
  }

  Records records;
  if (n >= 1) {
    on_error.Run([&] { machine_copy->MoveFirst(); });
    for (int r = 1; r <= n; ++r) {
      for (int col = 0; col < kColumnCount; ++col) {
        static const Value kEmpty;
        std::optional<ReadValue> cell;  // Empty when the read fails
        on_error.Run([&] {
          cell.emplace(std::in_place, [&] {
            return machine_copy->GetFields().Item(columns[col])->GetValue();
          });
        });
        if (KeptSlot(static_cast<Column>(col)) >= 0) {
          records.Append(cell ? cell->value : kEmpty);
        }
      }
      on_error.Run([&] { machine_copy->MoveNext(); });
    }
  }
  machine_copy.reset();
  if (machine_copy_read) machine_copy_read();

  for (int r = 1; r <= n; ++r) {
    const Record record = records[r];
    records.DoneBefore(r);
    const std::string query = BuildQuery(run, record);

    // Every demanded additional field must be a column of the new table
    // (compared exactly; the first column, ID, is not looked at).
    std::shared_ptr<dao::Recordset> table;
    on_error.Assign(table, [&] {
      return dao::Deref(work_database).OpenRecordset("PRESET_DEFS");
    });
    int32_t f = 0;
    on_error.Assign(f, [&] { return dao::Deref(table).GetFields().Count(); });
    if (run.additional_fields_set) {
      for (const std::string& demanded : run.additional_fields) {
        bool found = false;
        for (int32_t j = 1; j < f && !found; ++j) {
          on_error.Run(
              [&] { found = table->GetFields().Item(j)->Name() == demanded; });
        }
        if (!found) {
          on_error.Run([&] {
            errors::WriteErrorLog(run, ConflictText(names, demanded), false);
          });
          report_fatal();
          errors::EndProgram();
        }
      }
    }
    table.reset();

    // A query the values made malformed is skipped without a report.
    std::shared_ptr<dao::Recordset> match;
    try {
      match = dao::Deref(work_database).OpenRecordset(query);
    } catch (const base::RuntimeError&) {
      match.reset();
    }
    if (match && on_error.Test([&] { return match->RecordCount() > 0; })) {
      on_error.Run([&] { match->Edit(); });
      for (Column col : kTakenOver) {
        on_error.Run([&] {
          match->GetFields().Item(kNames[col])->SetValue(record[col]);
        });
      }
      on_error.Run([&] { match->Update(); });
    }
    if (match) on_error.Run([&] { match->Close(); });
  }
  return Value();
}

}  // namespace md_Standard_Config_Exe
