#ifndef JET_CREATE_DATABASE_H_
#define JET_CREATE_DATABASE_H_

#include "jet/page_allocator.h"

namespace jet {

// Builds a new, empty Jet 4.0 database in Access 2000 format: header with
// its masked region, global usage map, the system tables MSysObjects,
// MSysACEs, MSysQueries, MSysRelationships and MSysAccessObjects with their
// indexes, the catalog rows of the containers, the database object (with its
// AccessVersion property) and the system tables, and their permissions.
// `creation_date` is an OLE date; it also keys the password mask.
PageStore CreateEmptyDatabase(double creation_date);

}  // namespace jet

#endif  // JET_CREATE_DATABASE_H_
