#ifndef BASE_RUNTIME_ERROR_H_
#define BASE_RUNTIME_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

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

// Numbers used across layers, with the classic runtime and DAO texts.
namespace err {
inline constexpr int32_t kInvalidProcedureCall =
    5;                                   // "Invalid procedure call or argument"
inline constexpr int32_t kOverflow = 6;  // "Overflow"
inline constexpr int32_t kOutOfMemory = 7;          // "Out of memory"
inline constexpr int32_t kSubscriptOutOfRange = 9;  // "Subscript out of range"
inline constexpr int32_t kTypeMismatch = 13;        // "Type mismatch"
inline constexpr int32_t kFileNotFound = 53;        // "File not found"
inline constexpr int32_t kBadFileNameOrNumber =
    52;                                           // "Bad file name or number"
inline constexpr int32_t kDeviceIoError = 57;     // "Device I/O error"
inline constexpr int32_t kPermissionDenied = 70;  // "Permission denied"
inline constexpr int32_t kPathFileAccessError = 75;  // "Path/File access error"
inline constexpr int32_t kPathNotFound = 76;         // "Path not found"
inline constexpr int32_t kObjectNotSet =
    91;  // "Object variable or With block variable not set"
inline constexpr int32_t kInvalidUseOfNull = 94;  // "Invalid use of Null"
inline constexpr int32_t kTableExists = 3010;     // "Table 'X' already exists."
inline constexpr int32_t kNoCurrentRecord = 3021;  // "No current record."
inline constexpr int32_t kCannotOpenFile = 3024;   // "Could not find file 'X'."
inline constexpr int32_t kCorruptDatabase =
    3049;  // "Cannot open database ... corrupted"
inline constexpr int32_t kCouldNotUseFile =
    3051;  // "The engine cannot open the file"
inline constexpr int32_t kTooFewParameters =
    3061;  // "Too few parameters. Expected 1."
inline constexpr int32_t kSyntaxInQuery =
    3075;  // "Syntax error ... in query expression"
inline constexpr int32_t kObjectNotFound =
    3078;  // "cannot find the input table or query"
inline constexpr int32_t kUpdateWithoutEdit =
    3020;  // "Update or CancelUpdate without AddNew or Edit."
inline constexpr int32_t kTypeMismatchInCriteria =
    3464;  // "Data type mismatch in criteria expression."
inline constexpr int32_t kItemNotFound =
    3265;  // "Item not found in this collection."
inline constexpr int32_t kFieldExists =
    3191;  // "Cannot define field more than once."
inline constexpr int32_t kUnrecognizedFormat =
    3343;  // "Unrecognized database format 'X'."
}  // namespace err

}  // namespace base

#endif  // BASE_RUNTIME_ERROR_H_
