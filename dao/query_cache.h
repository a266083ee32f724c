#ifndef DAO_QUERY_CACHE_H_
#define DAO_QUERY_CACHE_H_

#include <string>
#include <string_view>
#include <unordered_map>

#include "jet/query_parser.h"

namespace dao_jet {

// Parsed SELECT texts by their shape: the text with every string and number
// literal taken out. The program sends one query per row that differs from
// the last only in its literals; such a text is parsed once and later texts
// of the same shape get the parsed query with their own literals put in.
// A text that does not parse is never cached, so it fails in
// jet::ParseSelect with the error it always had; so does any text whose
// literals this scan does not read exactly as the parser would.
class QueryCache {
 public:
  jet::SelectQuery Parse(std::string_view sql);

 private:
  std::unordered_map<std::string, jet::SelectQuery> by_shape_;
};

}  // namespace dao_jet

#endif  // DAO_QUERY_CACHE_H_
