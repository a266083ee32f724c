// Stands in for the database build (db/) in builds that leave the database
// engine out (CORVANE_DATABASE=OFF, the Windows build until jet/ and db/
// build there): the close sequence goes on without touching any .mdb file,
// as it did before the database build joined it.
#include "db/database_preparation.h"

namespace md_Standard_Config_Exe {

void WorkOnMDB(errors::RunState& /*run*/) {}

}  // namespace md_Standard_Config_Exe
