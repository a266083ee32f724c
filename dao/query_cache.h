#ifndef DAO_QUERY_CACHE_H_
#define DAO_QUERY_CACHE_H_

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "jet/query_exec.h"
#include "jet/query_parser.h"

namespace dao_jet {

struct FieldNames;

// Parsed SELECT texts by their shape: the text with every string and number
// literal taken out. The program sends one query per row that differs from
// the last only in its literals; such a text is parsed once and later texts
// of the same shape get the parsed query with their own literals put in.
// A text that does not parse is never cached, so it fails in
// jet::ParseSelect with the error it always had; so does any text whose
// literals this scan does not read exactly as the parser would.
class QueryCache {
 public:
  // A parsed query, and its names as last resolved against a table.
  struct Shape {
    jet::SelectQuery query;
    std::shared_ptr<const jet::TableDef> def;  // null until first bound
    jet::BoundNames names;                     // in `def`
    std::shared_ptr<FieldNames> fields;        // of its record sets
  };
  // A text as its shape and its own literals (one per condition, in place
  // of the shape's). The literals are the cache's: valid until its next
  // Prepare.
  struct Prepared {
    std::shared_ptr<Shape> shape;
    std::span<const base::Value> literals;
  };

  Prepared Prepare(std::string_view sql);
  // The query as jet::ParseSelect reads it.
  jet::SelectQuery Parse(std::string_view sql);
  // jet::Bind of the text on `def`; the names are resolved once per shape
  // and table definition.
  static jet::BoundQuery Bind(const Prepared& prepared,
                              const std::shared_ptr<const jet::TableDef>& def);

 private:
  // Where a scan stood before a token.
  struct Mark {
    size_t at = 0;        // in the text
    size_t shape = 0;     // bytes of the shape so far
    size_t literals = 0;  // literals so far
    size_t mark = 0;      // marks before this one
    bool negative = false;
  };
  struct Scan {
    std::string shape;
    std::vector<base::Value> literals;  // in text order, signs applied
    std::vector<Mark> marks;            // before each token
  };
  // Bytes past a token's end its reading may look at.
  static constexpr size_t kLookahead = 4;

  static bool ScanLiterals(std::string_view sql, Mark from, Scan& scan);

  std::unordered_map<std::string, std::shared_ptr<Shape>> by_shape_;
  // The last text and its scan, for the next text to start from.
  std::string last_sql_;
  Scan last_;
  bool last_ok_ = false;
  // The shape found last (also in by_shape_).
  std::string hit_shape_;
  std::shared_ptr<Shape> hit_;
  // The literals of a text that was parsed.
  std::vector<base::Value> parsed_literals_;
};

}  // namespace dao_jet

#endif  // DAO_QUERY_CACHE_H_
