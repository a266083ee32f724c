#ifndef DAO_TABLEDEFS_H_
#define DAO_TABLEDEFS_H_

#include <memory>
#include <string>

#include "dao/dao.h"
#include "dao/open_file.h"

namespace dao_jet {

// A table definition made by CreateTableDef, not yet appended.
std::shared_ptr<dao::TableDef> MakeNewTableDef(const std::string& name);

// The TableDefs collection of an open file.
std::unique_ptr<dao::TableDefs> MakeTableDefs(std::shared_ptr<OpenFile> file);

}  // namespace dao_jet

#endif  // DAO_TABLEDEFS_H_
