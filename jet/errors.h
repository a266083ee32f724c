#ifndef JET_ERRORS_H_
#define JET_ERRORS_H_

#include <string>
#include <string_view>

#include "base/runtime_error.h"

namespace jet {

// Source name of every error the engine raises.
inline constexpr const char* kErrorSource = base::err::kSourceDatabase;

// 3343: the file is not a Jet 4.0 database at all.
[[noreturn]] void ThrowUnrecognizedFormat(std::string_view path);
// 3049: a structure inside an otherwise recognised file is inconsistent.
[[noreturn]] void ThrowCorrupt(std::string_view what);
// 3265: no item of that name.
[[noreturn]] void ThrowItemNotFound();
// 3021: no current record.
[[noreturn]] void ThrowNoCurrentRecord();
// 3078: no table or query of that name.
[[noreturn]] void ThrowInputTableNotFound(std::string_view name);

}  // namespace jet

#endif  // JET_ERRORS_H_
