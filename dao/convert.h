#ifndef DAO_CONVERT_H_
#define DAO_CONVERT_H_

#include "base/value.h"
#include "jet/tdef.h"

namespace dao_jet {

// The value a column stores when `value` is assigned to it, converted with
// the runtime's rules: Empty and Null become Null (False for a Boolean,
// which cannot be Null), text into a number column is parsed. Impossible
// conversions fail with 3421, numbers out of the column's range with 3349,
// text longer than the column with 3163 (all from "DAO.Field").
base::Value ConvertForColumn(const jet::ColumnDef& column,
                             const base::Value& value);

}  // namespace dao_jet

#endif  // DAO_CONVERT_H_
