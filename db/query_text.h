#ifndef DB_QUERY_TEXT_H_
#define DB_QUERY_TEXT_H_

#include <string>

namespace md_Standard_Config_Exe {

// `text` as a string of a query: between double quotes, each double quote
// inside doubled, so that a name holding one still matches itself.
inline void AppendQuotedForQuery(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
}

inline std::string QuotedForQuery(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  AppendQuotedForQuery(quoted, text);
  return quoted;
}

}  // namespace md_Standard_Config_Exe

#endif  // DB_QUERY_TEXT_H_
