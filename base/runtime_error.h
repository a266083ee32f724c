#ifndef BASE_RUNTIME_ERROR_H_
#define BASE_RUNTIME_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

// A failure as the classic runtime reports it: number, the place it was raised
// (source) and the message text. Every layer throws this; the program's error
// handlers read its three members.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int32_t number, std::string source, std::string description)
      : std::runtime_error(description),
        number_(number),
        source_(std::move(source)),
        description_(std::move(description)) {}

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// The one catalogue of error numbers, their texts (error_catalog.cc) and the
// sources that raise them. Numbers and wording follow the classic runtime and
// DAO, so that people who know those logs feel at home.
namespace err {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kInternalError = 51;
inline constexpr int32_t kBadFileNameOrNumber = 52;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kDeviceIoError = 57;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccessError = 75;
inline constexpr int32_t kPathNotFound = 76;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kNotAnArray = 343;
inline constexpr int32_t kNoSuchMethod = 438;
inline constexpr int32_t kExclusivelyLocked = 3006;
inline constexpr int32_t kTableExists = 3010;
inline constexpr int32_t kUpdateWithoutEdit = 3020;
inline constexpr int32_t kNoCurrentRecord = 3021;
inline constexpr int32_t kDuplicateKey = 3022;
inline constexpr int32_t kCannotOpenFile = 3024;
inline constexpr int32_t kDiskFull = 3026;
inline constexpr int32_t kReadOnly = 3027;
inline constexpr int32_t kDiskReadError = 3040;
inline constexpr int32_t kCorruptDatabase = 3049;
inline constexpr int32_t kCouldNotUseFile = 3051;
inline constexpr int32_t kNullInIndex = 3058;
inline constexpr int32_t kTooFewParameters = 3061;
inline constexpr int32_t kSyntaxInQuery = 3075;
inline constexpr int32_t kObjectNotFound = 3078;
inline constexpr int32_t kInvalidName = 3125;
inline constexpr int32_t kFieldTooSmall = 3163;
inline constexpr int32_t kRecordDeleted = 3167;
inline constexpr int32_t kFieldExists = 3191;
inline constexpr int32_t kRelatedRecordsExist = 3200;
inline constexpr int32_t kRelatedRecordRequired = 3201;
inline constexpr int32_t kDatabaseExists = 3204;
inline constexpr int32_t kInvalidOperation = 3219;
inline constexpr int32_t kInvalidFieldType = 3259;
inline constexpr int32_t kNoFieldDefined = 3264;
inline constexpr int32_t kItemNotFound = 3265;
inline constexpr int32_t kPropertyNotFound = 3270;
inline constexpr int32_t kFieldRequired = 3314;
inline constexpr int32_t kZeroLengthString = 3315;
inline constexpr int32_t kUnrecognizedFormat = 3343;
inline constexpr int32_t kNumericOverflow = 3349;
inline constexpr int32_t kNameExists = 3367;
inline constexpr int32_t kObjectInvalid = 3420;
inline constexpr int32_t kConversionError = 3421;
inline constexpr int32_t kTypeMismatchInCriteria = 3464;
inline constexpr int32_t kDatabaseError = 9999;  // the takeover's fatal report

// Sources: the objects that raise errors, as DAO names them.
inline constexpr char kSourceDatabase[] = "DAO.Database";
inline constexpr char kSourceWorkspace[] = "DAO.Workspace";
inline constexpr char kSourceRecordset[] = "DAO.Recordset";
inline constexpr char kSourceField[] = "DAO.Field";
inline constexpr char kSourceFields[] = "DAO.Fields";
inline constexpr char kSourceTableDefs[] = "DAO.TableDefs";
inline constexpr char kSourceTableDef[] = "DAO.TableDef";
inline constexpr char kSourceDBEngine[] = "DAO.DBEngine";

// The catalogue's text of `number`; a '|' stands for the object it names.
std::string_view Text(int32_t number);

// The full message: `name` in place of the '|', and a non-empty `detail`
// (what exactly failed) in parentheses before the final period.
std::string Message(int32_t number, std::string_view name = {},
                    std::string_view detail = {});
}  // namespace err

// The error `number` raised by `source`, with the catalogue's message.
inline RuntimeError Error(int32_t number, std::string_view source,
                          std::string_view name = {},
                          std::string_view detail = {}) {
  return RuntimeError(number, std::string(source),
                      err::Message(number, name, detail));
}

}  // namespace base

#endif  // BASE_RUNTIME_ERROR_H_
