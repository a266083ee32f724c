#ifndef JET_QUERY_KEY_H_
#define JET_QUERY_KEY_H_

#include <optional>
#include <string>
#include <string_view>

#include "base/value.h"

namespace jet {

// How a column takes part in an equality: as text (compared without regard
// to case), as a number, or not at all (binary data).
enum class KeyKind { kText, kNumber, kNone };

KeyKind KeyKindOfValue(const base::Value& v);

// The equality key of a value: equal keys mean "=" is true. Text is
// upper-cased with Unicode case mapping; numbers of every type compare by
// value (0 and -0 alike). Null, Empty and binary data have no key, so they
// never match.
std::optional<std::string> EqualityKey(const base::Value& v);
// Appends the equality key of `v` to `out`; false, with nothing appended,
// when it has none. For keys built over and over into one buffer.
bool AppendEqualityKey(std::string& out, const base::Value& v);
// Appends the key of a text value (UTF-8) without making the value.
void AppendTextKey(std::string& out, std::string_view utf8);

// Whether two names are the same without regard to case (as
// base::EqualsIgnoreCase, quicker for the plain ASCII names tables have).
bool SameName(std::string_view a, std::string_view b);

// Sort order of ORDER BY: Null (and Empty) first, then numbers by value,
// then text without regard to case. Returns <0, 0, >0.
int CompareForOrder(const base::Value& a, const base::Value& b);

}  // namespace jet

#endif  // JET_QUERY_KEY_H_
