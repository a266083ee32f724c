#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "base/runtime_error.h"

namespace base::err {
namespace {

// Sorted by number. One text per number: a failure that needs more says it in
// the message's detail.
constexpr std::pair<int32_t, std::string_view> kTexts[] = {
    {kInvalidProcedureCall, "Invalid procedure call or argument"},
    {kOverflow, "Overflow"},
    {kOutOfMemory, "Out of memory"},
    {kSubscriptOutOfRange, "Subscript out of range"},
    {kTypeMismatch, "Type mismatch"},
    {kInternalError, "Internal error"},
    {kBadFileNameOrNumber, "Bad file name or number"},
    {kFileNotFound, "File not found"},
    {kDeviceIoError, "Device I/O error"},
    {kPermissionDenied, "Permission denied"},
    {kPathFileAccessError, "Path/File access error"},
    {kPathNotFound, "Path not found"},
    {kObjectNotSet, "Object variable or With block variable not set"},
    {kInvalidUseOfNull, "Invalid use of Null"},
    {kNotAnArray, "Object not an array"},
    {kNoSuchMethod, "Object doesn't support this property or method"},
    {kExclusivelyLocked, "Database '|' is exclusively locked."},
    {kTableExists, "Table '|' already exists."},
    {kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit."},
    {kNoCurrentRecord, "No current record."},
    {kDuplicateKey,
     "The changes you requested to the table were not successful because "
     "they would create duplicate values in the index, primary key, or "
     "relationship."},
    {kCannotOpenFile, "Could not find file '|'."},
    {kDiskFull, "Not enough space on disk."},
    {kReadOnly, "Cannot update. Database or object is read-only."},
    {kDiskReadError, "Disk I/O error during read."},
    {kCorruptDatabase,
     "Cannot open database '|'.  It may not be a database that your "
     "application recognizes, or the file may be corrupt."},
    {kCouldNotUseFile,
     "The Microsoft Jet database engine cannot open the file '|'."},
    {kNullInIndex, "Index or primary key cannot contain a Null value."},
    {kTooFewParameters, "Too few parameters. Expected 1."},
    {kSyntaxInQuery, "Syntax error in query expression '|'."},
    {kObjectNotFound,
     "The Microsoft Jet database engine cannot find the input table or query "
     "'|'. Make sure it exists and that its name is spelled correctly."},
    {kInvalidName, "'|' isn't a valid name."},
    {kFieldTooSmall,
     "The field is too small to accept the amount of data you attempted to "
     "add.  Try inserting or pasting less data."},
    {kRecordDeleted, "Record is deleted."},
    {kFieldExists, "Cannot define field more than once."},
    {kRelatedRecordsExist,
     "The record cannot be deleted or changed because table '|' includes "
     "related records."},
    {kRelatedRecordRequired,
     "You cannot add or change a record because a related record is "
     "required in table '|'."},
    {kDatabaseExists, "Database already exists."},
    {kInvalidOperation, "Invalid operation."},
    {kInvalidFieldType, "Invalid field data type."},
    {kNoFieldDefined, "No field defined--cannot append TableDef or Index."},
    {kItemNotFound, "Item not found in this collection."},
    {kPropertyNotFound, "Property not found."},
    {kFieldRequired,
     "The field '|' cannot contain a Null value because the Required "
     "property for this field is set to True.  Enter a value in this field."},
    {kZeroLengthString, "Field '|' cannot be a zero-length string."},
    {kUnrecognizedFormat, "Unrecognized database format '|'."},
    {kNumericOverflow, "Numeric field overflow."},
    {kNameExists,
     "Cannot append. An object with that name already exists in the "
     "collection."},
    {kObjectInvalid, "Object invalid or no longer set."},
    {kConversionError, "Data type conversion error."},
    {kTypeMismatchInCriteria, "Data type mismatch in criteria expression."},
    {kDatabaseError, "Database-Error - Contact Administrator!"},
};
static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts)),
              "the catalogue is looked up by binary search");

}  // namespace

std::string_view Text(int32_t number) {
  auto it = std::lower_bound(
      std::begin(kTexts), std::end(kTexts), number,
      [](const auto& entry, int32_t n) { return entry.first < n; });
  if (it == std::end(kTexts) || it->first != number) {
    return "Application-defined or object-defined error";
  }
  return it->second;
}

std::string Message(int32_t number, std::string_view name,
                    std::string_view detail) {
  std::string text(Text(number));
  // Without a name, " '|'" goes as a whole: "Cannot open database.  ...".
  if (size_t bar = text.find(" '|'");
      bar != std::string::npos && name.empty()) {
    text.erase(bar, 4);
  } else if (bar = text.find('|'); bar != std::string::npos) {
    text.replace(bar, 1, name);
  }
  if (!detail.empty()) {
    const bool period = !text.empty() && text.back() == '.';
    if (period) text.pop_back();
    text.append(" (").append(detail).append(")");
    if (period) text.push_back('.');
  }
  return text;
}

}  // namespace base::err
