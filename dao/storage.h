#ifndef DAO_STORAGE_H_
#define DAO_STORAGE_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"
#include "jet/bytes.h"
#include "jet/database.h"

namespace dao_jet {

// A column of a table to be created: its name, DAO type and size
// (characters for Text, bytes for Binary; ignored for other types).
struct NewColumn {
  std::string name;
  int type = 0;
  int32_t size = 0;
};

// What the DAO layer needs from the engine's writing half, for one open
// file. Values come in the table's column order, already converted to the
// column types. Changes stay in memory until Save, which puts all of them
// into the file at once.
class Storage {
 public:
  virtual ~Storage() = default;

  // Stores a new row; returns where it went. Values the engine assigns
  // itself (AutoNumber) are filled into `values`.
  virtual jet::RowId InsertRow(std::string_view table,
                               std::vector<base::Value>& values) = 0;
  // Replaces the values of a stored row; returns where the row is now.
  virtual jet::RowId UpdateRow(std::string_view table, jet::RowId id,
                               const std::vector<base::Value>& values) = 0;
  virtual void CreateTable(const std::string& name,
                           const std::vector<NewColumn>& columns) = 0;
  virtual void DropTable(std::string_view table) = 0;
  virtual void RenameColumn(std::string_view table, std::string_view from,
                            const std::string& to) = 0;

  // Replaces the file with the current contents atomically; on a failure
  // (RuntimeError) the file is left as it was and the changes stay.
  virtual void Save() = 0;
  // A reader over the current contents, after a change of structure.
  virtual std::unique_ptr<jet::Database> OpenReader() = 0;
};

// The storage of the file at `path`, on the engine's writer: starting from
// `checked_image` (the file's bytes, found consistent by jet::FindDamage)
// when given, else from the file.
std::unique_ptr<Storage> OpenStorage(const std::string& path,
                                     const std::vector<uint8_t>* checked_image);

}  // namespace dao_jet

#endif  // DAO_STORAGE_H_
