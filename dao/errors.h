#ifndef DAO_ERRORS_H_
#define DAO_ERRORS_H_

#include <string>
#include <string_view>

#include "base/runtime_error.h"

// The DAO layer's own failures, with DAO's numbers, texts and sources.
namespace dao_jet {

inline constexpr char kSourceDatabase[] = "DAO.Database";
inline constexpr char kSourceWorkspace[] = "DAO.Workspace";
inline constexpr char kSourceRecordset[] = "DAO.Recordset";
inline constexpr char kSourceField[] = "DAO.Field";
inline constexpr char kSourceFields[] = "DAO.Fields";
inline constexpr char kSourceTableDefs[] = "DAO.TableDefs";
inline constexpr char kSourceTableDef[] = "DAO.TableDef";
inline constexpr char kSourceDBEngine[] = "DAO.DBEngine";

inline constexpr int32_t kReadOnly = 3027;
inline constexpr int32_t kDiskReadError = 3040;
inline constexpr int32_t kNoFieldDefined = 3264;
inline constexpr int32_t kInvalidOperation = 3219;
inline constexpr int32_t kPropertyNotFound = 3270;
inline constexpr int32_t kObjectInvalid = 3420;
inline constexpr int32_t kConversionError = 3421;
inline constexpr int32_t kFieldTooSmall = 3163;
inline constexpr int32_t kNumericOverflow = 3349;
inline constexpr int32_t kRecordDeleted = 3167;
inline constexpr int32_t kNameExists = 3367;

[[noreturn]] void Throw(int32_t number, std::string_view source,
                        std::string description);
[[noreturn]] void ThrowItemNotFound(std::string_view source);
[[noreturn]] void ThrowNoCurrentRecord(std::string_view source);
[[noreturn]] void ThrowObjectInvalid(std::string_view source);
[[noreturn]] void ThrowInvalidOperation(std::string_view source);
// 3049: the file's structure does not hold together.
[[noreturn]] void ThrowDamaged(std::string_view path);

// Runs `f`; a RuntimeError it raises comes out under `source`, as DAO names
// the object whose method failed.
template <typename F>
auto WithSource(std::string_view source, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const base::RuntimeError& e) {
    if (e.source() == source) throw;
    throw base::RuntimeError(e.number(), std::string(source), e.description());
  }
}

}  // namespace dao_jet

#endif  // DAO_ERRORS_H_
