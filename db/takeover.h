#ifndef DB_TAKEOVER_H_
#define DB_TAKEOVER_H_

#include <functional>
#include <memory>

#include "base/value.h"
#include "dao/dao.h"
#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Carries abs_min, abs_max, min, max and pass of every machine-copy row into
// the first row of the work database's PRESET_DEFS with the same
// machine_type, var_name and offset_or_bitno. Warns before data in columns
// that are not taken over is lost, and ends the program when a demanded
// additional field is missing from the new table. Releases `machine_copy`
// (the caller's variable too) before the second phase and then calls
// `machine_copy_read`, which may release the machine copy's database: the
// second phase reads only what the first one kept. Always returns Empty.
base::Value TakeoverMachineCopyMDBData(
    errors::RunState& run, const std::shared_ptr<dao::Database>& work_database,
    std::shared_ptr<dao::Recordset>& machine_copy,
    const std::function<void()>& machine_copy_read = nullptr);

}  // namespace md_Standard_Config_Exe

#endif  // DB_TAKEOVER_H_
