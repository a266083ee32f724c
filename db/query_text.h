#ifndef DB_QUERY_TEXT_H_
#define DB_QUERY_TEXT_H_

#include <string>
#include <string_view>

namespace md_Standard_Config_Exe {

// `text` as a string of a query: between double quotes, each double quote
// inside doubled, so that a name holding one still matches itself.
inline void AppendQuotedForQuery(std::string& out, std::string_view text) {
  out += '"';
  for (size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.append(text.substr(0, quote + 1));
    out += '"';
    text.remove_prefix(quote + 1);
  }
  out.append(text);
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
