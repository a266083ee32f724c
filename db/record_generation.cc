#include "db/record_generation.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"
#include "db/name_resolution.h"
#include "db/packed_rows.h"
#include "env/command_line.h"
#include "env/file_locations.h"
#include "env/machine_lists.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Corvane_Config_Exe {
namespace {

using base::Value;
namespace standard = md_Standard_Config_Exe;

constexpr char kTemplateQuery[] =
    "SELECT Source_PRESET_DEFS.* From Source_PRESET_DEFS ORDER BY "
    "Source_PRESET_DEFS.ID";

[[noreturn]] void Raise(int32_t number) {
  throw base::Error(number, errors::kApplicationTitle);
}

// MachineList(number): machine numbers count from 1.
const std::string& MachineName(const errors::RunState& run, size_t number) {
  if (number < 1 || number > run.machine_list.size()) {
    Raise(base::err::kSubscriptOutOfRange);
  }
  return run.machine_list[number - 1];
}

int16_t ToInteger16(int32_t v) {
  if (v < -32768 || v > 32767) Raise(base::err::kOverflow);
  return static_cast<int16_t>(v);
}

// InStr(text, item) > 0 with the classic runtime's rules for empty texts.
bool Contains(const std::string& text, const std::string& item) {
  if (text.empty()) return false;
  return text.find(item) != std::string::npos;
}

// The text of a template cell (packed, a Text); a cell outside the template
// fails as the array read would.
std::string CellText(const uint8_t* cell) {
  if (cell == nullptr) {
    Raise(base::err::kSubscriptOutOfRange);
  }
  return std::string(base::CellBytes(cell));
}

// A template cell (packed); a cell outside the template fails as the array
// read would.
Value CellValue(const uint8_t* cell) {
  if (cell == nullptr) {
    Raise(base::err::kSubscriptOutOfRange);
  }
  return base::ReadCell(cell);
}

// Whether a target field's name is VAR_NAME, letter case aside. The fields
// are named alike for every row, so a name is compared once per column and
// afterwards only recognised.
class VarNameColumns {
 public:
  bool Is(size_t column, const std::string& name) {
    if (column >= known_.size()) known_.resize(column + 1);
    Known& k = known_[column];
    if (!k.valid || k.name != name) {
      k.is_var_name = base::EqualsIgnoreCase(name, "VAR_NAME");
      k.name = name;
      k.valid = true;
    }
    return k.is_var_name;
  }

 private:
  struct Known {
    std::string name;
    bool is_var_name = false;
    bool valid = false;
  };
  std::vector<Known> known_;
};

}  // namespace

Value CreateRecordSets(errors::RunState& run,
                       const std::shared_ptr<dao::Database>& database) {
  errors::ErrorHandler on_error(run, "CreateRecordSets");
  std::string valid;
  on_error.Assign(valid, [&] { return standard::GetValidMachines(run); });
  std::shared_ptr<dao::Recordset> target;
  on_error.Assign(target, [&] {
    return dao::Deref(database).OpenRecordset("PRESET_DEFS");
  });
  std::shared_ptr<dao::Recordset> source;
  on_error.Assign(source, [&] {
    return dao::Deref(database).OpenRecordset(kTemplateQuery);
  });
  int16_t n = 0;
  on_error.Assign(
      n, [&] { return ToInteger16(dao::Deref(source).RecordCount()); });

  // The template, read whole before the first row is written: cell (c, r)
  // for column c from 0 and row r from 1 (row 0 and column `columns` are
  // Empty). The record set goes as soon as it is read.
  standard::PackedRows snapshot;
  if (n >= 1) {
    on_error.Run([&] { dao::Deref(source).MoveFirst(); });
    int32_t columns = 0;
    on_error.Run([&] {
      columns = dao::Deref(source).GetFields().Count();
      snapshot.SetWidth(static_cast<size_t>(columns) + 1);
    });
    for (size_t c = 0; c < snapshot.width(); ++c) snapshot.Append(Value());
    for (int r = 1; r <= n; ++r) {
      for (int32_t c = 0; c < columns; ++c) {
        static const Value kEmpty;
        std::optional<standard::ReadValue> cell;  // Empty when the read fails
        on_error.Run([&] {
          cell.emplace(std::in_place, [&] {
            return dao::Deref(source).GetFields().Item(c)->GetValue();
          });
        });
        snapshot.Append(cell ? cell->value : kEmpty);
      }
      if (snapshot.width() > 0) snapshot.Append(Value());
      on_error.Run([&] { dao::Deref(source).MoveNext(); });
    }
    on_error.Run([&] { dao::Deref(source).MoveFirst(); });
  }
  source.reset();

  int16_t row_number = 1;
  std::array<Value, 2> candidate;  // the two forms of the last variable name
  // The names handed to DAO and the search items, made once.
  static const std::string kIdField = "ID";
  static const std::string kPartField = "part";
  static const std::string kVarNameItem = "###Var_Name";
  static const std::string kMachineItem = "###machine";
  VarNameColumns var_name_columns;
  if (n >= 1) {
    // Only the first machine is ever considered.
    for (size_t m = 1; m <= 1; ++m) {
      bool included = false;
      if (standard::GetStartModeIntegrated(run)) {
        if (on_error.Test([&] {
              const std::string upper_valid = base::UpperCase(valid);
              return Contains(upper_valid,
                              base::UpperCase(MachineName(run, m))) ||
                     upper_valid == "ALL";
            })) {
          included = true;
        }
      } else if (on_error.Test([&] {
                   return standard::LoadIniBoolean(
                       run, "Project", "ForMachine" + std::to_string(m),
                       standard::GetCFGPath(run), false, false);
                 })) {
        included = true;
      }
      if (!included) continue;

      for (int r = 1; r <= n; ++r) {
        on_error.Run([&] { dao::Deref(target).AddNew(); });
        on_error.Run([&] {
          dao::Deref(target).GetFields().Item(kIdField)->SetValue(
              Value::Integer(row_number));
        });
        on_error.Run([&] {
          row_number = ToInteger16(static_cast<int32_t>(row_number) + 1);
        });
        int32_t target_columns = 0;
        on_error.Assign(target_columns,
                        [&] { return dao::Deref(target).GetFields().Count(); });
        for (int32_t c = 1; c < target_columns; ++c) {
          dao::Fields& fields = target->GetFields();
          const uint8_t* cell = nullptr;
          if (on_error.Test([&] {
                cell = snapshot.Cell(static_cast<size_t>(r),
                                     static_cast<size_t>(c));
                return base::CellType(cell) == base::ValueType::kText;
              })) {
            Value v;
            if (on_error.Test([&] {
                  return var_name_columns.Is(static_cast<size_t>(c),
                                             fields.Item(c)->Name());
                })) {
              // The part number comes from the row being built, so `part`
              // must stand before `var_name`.
              for (int k = 0; k < 2; ++k) {
                on_error.Assign(candidate[k], [&] {
                  const int32_t p =
                      fields.Item(kPartField)->GetValue().ToLong();
                  if (p < 1 || p > 50) {
                    Raise(base::err::kSubscriptOutOfRange);
                  }
                  return Value::Text(standard::ReplaceSearchItem(
                      run, run.var_name_patterns[k][p], kVarNameItem,
                      CellText(cell)));
                });
                for (int pass = 0; pass < 2; ++pass) {
                  on_error.Assign(candidate[k], [&] {
                    return Value::Text(standard::ReplaceSearchItem(
                        run, candidate[k].ToText(), kMachineItem,
                        MachineName(run, m)));
                  });
                }
              }
              on_error.Run([&] {
                standard::VarNameInQuelleErsetzen(run, candidate[0].ToText(),
                                                  candidate[1].ToText());
              });
              v = candidate[run.var_name_system == 1 ? 1 : 0];
            } else {
              // Without a machine name the template's text stays as it is.
              if (on_error.Assign(
                      v, [&] { return Value::Text(CellText(cell)); })) {
                on_error.Assign(v, [&] {
                  return Value::Text(standard::ReplaceSearchItem(
                      run, v.ToText(), kMachineItem, MachineName(run, m)));
                });
              }
            }
            on_error.Run([&] { fields.Item(c)->SetValue(v); });
          } else {
            on_error.Run([&] { fields.Item(c)->SetValue(CellValue(cell)); });
          }
        }
        on_error.Run([&] { dao::Deref(target).Update(); });
        // Only the first machine is built: a row once written is not read
        // again.
        snapshot.DropRowsBefore(static_cast<size_t>(r) + 1);
      }
    }
  }
  target.reset();
  return Value();
}

}  // namespace md_Corvane_Config_Exe
