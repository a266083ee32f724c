#ifndef JET_TOOL_CREATE_COMMAND_H_
#define JET_TOOL_CREATE_COMMAND_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/value.h"
#include "jet/tdef_writer.h"

namespace jet::tool {

// mdb create FILE DIR: a new database with one table per DIR/TABLE.csv.
int RunCreateCommand(int argc, char** argv);
// mdb check FILE: structural check of a database; 0 when clean.
int RunCheckCommand(int argc, char** argv);

// One CSV field: its text and whether it was quoted.
struct CsvField {
  std::string text;
  bool quoted = false;
};

// Splits RFC 4180 text into records (CRLF or LF line ends; quoted fields may
// hold separators, quotes as "" and line breaks). Fails with 13 on a quote
// that is never closed.
std::vector<std::vector<CsvField>> ParseCsv(const std::string& text);

// A header cell "name:Type" or "name:Text(size)" (DAO type names).
FieldDesc ParseColumnHeader(const std::string& cell);

// A cell as a value of the column's type: unquoted empty = Null, quoted
// empty = empty text; booleans true/false, dates YYYY-MM-DDTHH:MM:SS, binary
// as lower-case hex. Malformed text fails with 13.
base::Value ParseCell(const FieldDesc& field, const CsvField& cell);

}  // namespace jet::tool

#endif  // JET_TOOL_CREATE_COMMAND_H_
