#ifndef JET_TOOL_JSON_H_
#define JET_TOOL_JSON_H_

#include <string>
#include <string_view>

#include "base/value.h"

namespace jet::tool {

// Appends `s` (UTF-8) as a JSON string literal.
void AppendJsonString(std::string& out, std::string_view s);

// Appends a cell: numbers for integer and floating types (shortest text that
// reads back to the same double), strings for Currency and Decimal (exact
// digits), "YYYY-MM-DDTHH:MM:SS" for dates, lower-case hex for binary, the
// braced form for GUIDs, null for Null.
void AppendJsonValue(std::string& out, const base::Value& v);

}  // namespace jet::tool

#endif  // JET_TOOL_JSON_H_
