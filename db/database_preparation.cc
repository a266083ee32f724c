#include "db/database_preparation.h"

#include <memory>
#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "dao/dao.h"
#include "db/additional_fields.h"
#include "db/engine.h"
#include "db/name_resolution.h"
#include "db/record_generation.h"
#include "db/takeover.h"
#include "env/file_locations.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "platform/memory.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {
namespace {

constexpr char kPresetDefs[] = "PRESET_DEFS";
// How long a run waits for another one on the same component folder.
constexpr int kLockWaitSeconds = 60;
constexpr char kVarNamePlaceholder[] = "###Var_Name";

// The box shown when an integrated start finds no machine copy.
void ShowMachineCopyMissing(errors::RunState& run, const std::string& d) {
  const std::string q = "\"";
  const std::string line_break = "\r\n";
  const size_t last = d.rfind(run.host.PathSeparator());
  const std::string f = last == std::string::npos ? d : d.substr(last + 1);
  platform::MessageBoxRequest box;
  box.text = "Konnte die Datei:" + q + f + q + " in der Vorlage nicht finden!" +
             line_break + line_break +
             "Ist das Bild in der Vorlage noch nicht vorhanden (also neu)?" +
             line_break +
             "Dann ist diese Meldung völlig normal und es wird eine neue "
             "Datei mit den Standardwerten erzeugt.";
  box.title = errors::kApplicationTitle;
  box.buttons = platform::MsgButtons::kOk;
  box.icon = platform::MsgIcon::kInformation;
  run.host.ShowMessage(box);
}

// Reads the variable-name patterns of Source_DEFS. Runs under a handler of
// its own that reports nothing: any failure first puts "###Var_Name" back
// into both part-1 patterns, then the scan goes on as the failed statement
// allows.
void ScanSourceDefs(errors::RunState& run,
                    const std::shared_ptr<dao::Recordset>& rs) {
  auto on_failure = [&] {
    run.var_name_patterns[0][1] = kVarNamePlaceholder;
    run.var_name_patterns[1][1] = kVarNamePlaceholder;
  };
  auto attempt = [&](const auto& step) {
    try {
      step();
      return true;
    } catch (const base::RuntimeError&) {
      on_failure();
      return false;
    }
  };
  if (!rs) {  // nothing opened: end at once
    on_failure();
    return;
  }
  static const char* const kSystems[2] = {"VISIWIN32", "VISIWINSTUDIO"};
  while (!rs->IsEOF()) {
    dao::Fields& fields = rs->GetFields();
    for (int i = 0; i < 2; ++i) {
      bool matches = true;  // a failing test runs the store all the same
      attempt([&] {
        matches = base::UpperCase(fields.Item("System")->GetValue().ToText()) ==
                  kSystems[i];
      });
      if (!matches) continue;
      attempt([&] {
        const int32_t part = fields.Item("Part")->GetValue().ToLong();
        if (part < 1 || part > 50) {
          throw base::Error(base::err::kSubscriptOutOfRange,
                            errors::kApplicationTitle);
        }
        run.var_name_patterns[i][part] =
            fields.Item("Var_Name")->GetValue().ToText();
      });
    }
    // A move that fails would repeat the same record without end.
    if (!attempt([&] { rs->MoveNext(); })) break;
  }
}

// True when the database has a table named exactly "PRESET_DEFS" (letter
// case included); the engine's own look-up ignores case.
bool HasPresetDefs(errors::ErrorHandler& on_error, dao::Database& db) {
  bool found = false;
  on_error.Run([&] {
    dao::TableDefs& tables = db.GetTableDefs();
    const int32_t count = tables.Count();
    for (int32_t i = 0; i < count && !found; ++i) {
      found = tables.Item(i)->Name() == kPresetDefs;
    }
  });
  return found;
}

// Drops PRESET_DEFS and creates it anew with the name, type and size of
// every column of Source_PRESET_DEFS; nothing else is copied.
void RecreatePresetDefs(errors::ErrorHandler& on_error,
                        const std::shared_ptr<dao::Database>& work) {
  if (work && HasPresetDefs(on_error, *work)) {
    on_error.Run([&] { work->GetTableDefs().Delete(kPresetDefs); });
    on_error.Run([&] { work->GetTableDefs().Refresh(); });
  }
  std::shared_ptr<dao::TableDef> source;
  on_error.Assign(source, [&] {
    return dao::Deref(work).GetTableDefs().Item("Source_PRESET_DEFS");
  });
  std::shared_ptr<dao::TableDef> target;
  on_error.Assign(target,
                  [&] { return dao::Deref(work).CreateTableDef(kPresetDefs); });
  int32_t count = 0;
  on_error.Assign(count,
                  [&] { return dao::Deref(source).GetFields().Count(); });
  std::shared_ptr<dao::Field> field;
  for (int32_t i = 0; i < count; ++i) {
    on_error.Assign(field, [&] {
      std::shared_ptr<dao::Field> from = source->GetFields().Item(i);
      return dao::Deref(target).CreateField(
          from->Properties("Name").ToText(),
          from->Properties("Type").ToInteger(),
          from->Properties("Size").ToLong());
    });
    on_error.Run([&] { dao::Deref(target).GetFields().Append(field); });
  }
  on_error.Run([&] { dao::Deref(work).GetTableDefs().Append(target); });
  on_error.Run([&] { dao::Deref(work).GetTableDefs().Refresh(); });
}

// Carries the old values of the component database `d` into the work
// database, when it has a PRESET_DEFS.
void TakeOverOldValues(errors::RunState& run, errors::ErrorHandler& on_error,
                       const std::shared_ptr<dao::Database>& work,
                       const std::string& d) {
  std::shared_ptr<dao::Database> old;
  if (on_error.Test([&] { return !d.empty() && run.host.IsOrdinaryFile(d); })) {
    on_error.Assign(old, [&] { return OpenDatabase(run, d); });
  }
  if (!old) return;
  // Once the takeover has read the old rows, the component database and its
  // pending renaming are of no further use: closed and dropped there, they
  // do not stay in memory beside the new rows while those are written.
  auto close_old = [&] {
    on_error.Run([&] { old->Close(); });
    old.reset();
    DropDatabaseChanges(run, d);
  };
  if (HasPresetDefs(on_error, *old)) {
    std::shared_ptr<dao::Recordset> rs;
    on_error.Assign(rs, [&] { return old->OpenRecordset(kPresetDefs); });
    if (rs) {
      GetAddFields(run);
      TakeoverMachineCopyMDBData(run, work, rs, close_old);
    }
  }
  if (old) close_old();
}

// The folder of the component's databases, held against other instances
// for the rest of the build; 3006 when another one keeps it.
std::unique_ptr<platform::FolderLock> LockComponentFolder(
    errors::RunState& run, const std::string& database) {
  const size_t last = database.rfind(run.host.PathSeparator());
  const std::string folder =
      last == std::string::npos ? "." : database.substr(0, last + 1);
  std::unique_ptr<platform::FolderLock> lock =
      run.host.LockFolder(run.host.ResolvePath(folder), kLockWaitSeconds);
  if (!lock) {
    throw base::Error(base::err::kExclusivelyLocked,
                      base::err::kSourceWorkspace, database);
  }
  return lock;
}

}  // namespace

void WorkOnMDB(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "WorkOnMDB");
  platform::Host& host = run.host;
  std::string t, d, h, m;
  on_error.Assign(t, [&] { return GetPathSourceOCXMDB(run); });
  on_error.Assign(d, [&] { return GetPathOCXMDB(run); });
  on_error.Assign(h, [&] { return GetHX3ConfigurationIniPath(run); });
  on_error.Assign(m, [&] { return GetPathMachineCopyMDB(run, h); });
  const bool integrated = run.start_mode_integrated;

  if (!integrated) {
    if (on_error.Test([&] {
          return LoadIniBoolean(run, "Project", "VWStudio",
                                run.program_ini_path, false, false);
        })) {
      run.var_name_system = 1;
    } else {
      run.var_name_system = 0;
    }
  } else {
    run.var_name_system = 0;
  }
  if (t.empty()) return;

  // One run at a time on a plant; a run that cannot get in leaves the
  // databases alone.
  std::unique_ptr<platform::FolderLock> lock;
  if (!on_error.Run(
          [&] { lock = LockComponentFolder(run, d.empty() ? t : d); })) {
    return;
  }

  // The template's file times, put back after the build; nothing is shown
  // when they cannot be read.
  try {
    run.template_file_times = host.GetFileTimes(t);
  } catch (const base::RuntimeError&) {
  }

  if (integrated) {
    if (on_error.Test([&] { return m.empty() || !host.IsOrdinaryFile(m); })) {
      ShowMachineCopyMissing(run, d);
    } else {
      on_error.Run([&] { host.CopyFileReplacing(m, d); });
    }
  }

  {
    std::shared_ptr<dao::Database> db;
    on_error.Assign(db, [&] { return OpenDatabase(run, t); });
    std::shared_ptr<dao::Recordset> rs;
    on_error.Assign(
        rs, [&] { return dao::Deref(db).OpenRecordset("Source_DEFS"); });
    ScanSourceDefs(run, rs);
    rs.reset();
    on_error.Run([&] { dao::Deref(db).Close(); });
  }

  std::shared_ptr<dao::Database> work;
  on_error.Assign(work, [&] { return OpenDatabase(run, t); });
  // A template that is no readable database must never replace the
  // component database; the copy and the file times are skipped then.
  const bool template_opened = work != nullptr;
  RecreatePresetDefs(on_error, work);
  CategorieNachCategoryID(run);
  md_Corvane_Config_Exe::CreateRecordSets(run, work);
  TakeOverOldValues(run, on_error, work, d);
  on_error.Run([&] { dao::Deref(work).Close(); });
  work.reset();
  // The renaming inside the component database served the takeover above;
  // that file changes on disk only by the copy below, which replaces it as
  // a whole, so it is never seen half renamed.
  DropDatabaseChanges(run, d);
  // The build's tables are gone; their pages do not stay resident beside
  // the file images the commit reads and checks.
  platform::ReleaseFreeMemory();
  if (!template_opened) return;

  // The template changes on disk once, here. One that cannot be committed
  // (not writable, a write or the engine's consistency check failed) is
  // left as it was and never copied over the component database.
  if (!on_error.Run([&] { CommitDatabase(run, t); })) {
    DropDatabaseChanges(run, t);
    return;
  }

  std::string from, to;
  on_error.Assign(from, [&] { return GetPathSourceOCXMDB(run); });
  on_error.Assign(to, [&] { return GetPathOCXMDB(run); });
  on_error.Run([&] { host.CopyFileReplacing(from, to); });

  // Creation and last-write time as before the build; the access time is
  // the run's. Nothing is reported when this fails.
  try {
    platform::FileTimes times;
    times.creation = run.template_file_times.creation;
    times.last_write = run.template_file_times.last_write;
    times.last_write_sub_tick_ns =
        run.template_file_times.last_write_sub_tick_ns;
    host.SetFileTimes(GetPathSourceOCXMDB(run), times);
  } catch (const base::RuntimeError&) {
  }
}

}  // namespace md_Standard_Config_Exe
