#include "dao/query_cache.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace dao_jet {
namespace {

constexpr size_t kMaxShapes = 64;
// Digits of a whole number that a double holds exactly (below 2^53).
constexpr size_t kExactDigits = 15;

// The token classes of jet::ParseSelect's tokenizer, by hand as there.
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
// IsNameChar by table: the scan runs over every character of every query.
constexpr std::array<bool, 256> kNameChars = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] =
        IsNameStart(static_cast<char>(c)) || IsDigit(static_cast<char>(c));
  }
  return table;
}();
bool IsNameChar(char c) { return kNameChars[static_cast<unsigned char>(c)]; }

// The length of the common start of `a` and `b`, eight bytes a step: the
// texts mostly share some hundred bytes before their first literal.
size_t CommonPrefix(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

// Splits `sql` into its shape and literal values, token by token as the
// parser's tokenizer does, from `from` on (the scan holds what came before
// it); false for anything this scan does not read exactly as the parser
// would (the text then goes to the parser).
bool QueryCache::ScanLiterals(std::string_view sql, Mark from, Scan& scan) {
  scan.shape.resize(from.shape);
  scan.literals.resize(from.literals);
  scan.marks.resize(from.mark);
  bool negative = from.negative;  // the last token was "-"
  size_t i = from.at;
  // Between literals the shape is the text itself: it is copied a run at a
  // time, at each literal and at the end. `run` is where the run starts.
  size_t run = i;
  auto literal = [&](size_t start, char marker) {
    scan.shape.append(sql.data() + run, start - run);
    scan.shape += marker;
    run = i;
  };
  while (i < sql.size()) {
    scan.marks.push_back({i, scan.shape.size() + (i - run),
                          scan.literals.size(), scan.marks.size(), negative});
    const char c = sql[i];
    const size_t start = i;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\t' ||
                                sql[i] == '\r' || sql[i] == '\n')) {
        ++i;
      }
      continue;  // a sign may stand apart from its number
    }
    if (c == '"' || c == '\'') {
      // Runs up to the next quote; a doubled quote stands for one.
      std::string text;
      bool closed = false;
      ++i;
      while (i < sql.size()) {
        const size_t quote = sql.find(c, i);
        if (quote == std::string_view::npos) break;
        text.append(sql.substr(i, quote - i));
        if (quote + 1 < sql.size() && sql[quote + 1] == c) {
          text += c;
          i = quote + 2;
          continue;
        }
        i = quote + 1;
        closed = true;
        break;
      }
      if (!closed || negative) return false;
      literal(start, '\x01');
      scan.literals.push_back(base::Value::Text(std::move(text)));
    } else if (c == '[') {
      const size_t end = sql.find(']', i + 1);
      if (end == std::string_view::npos || end == i + 1) return false;
      i = end + 1;
    } else if (IsDigit(c) ||
               (c == '.' && i + 1 < sql.size() && IsDigit(sql[i + 1]))) {
      i = jet::NumberEnd(sql, i);
      const std::string_view token = sql.substr(start, i - start);
      double v = 0;
      if (token.size() <= kExactDigits &&
          std::all_of(token.begin(), token.end(), IsDigit)) {
        // A whole number of up to 15 digits is exact in a double: the
        // value strtod gives, without its cost.
        uint64_t n = 0;
        for (char d : token) n = n * 10 + static_cast<uint64_t>(d - '0');
        v = static_cast<double>(n);
      } else {
        const std::string text(token);
        char* end = nullptr;
        v = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size()) return false;
      }
      literal(start, '\x02');
      scan.literals.push_back(base::Value::Double(negative ? -v : v));
    } else if (IsNameStart(c)) {
      while (i < sql.size() && IsNameChar(sql[i])) ++i;
    } else if (std::string_view("(),.*=;-").find(c) != std::string_view::npos) {
      ++i;
    } else {
      return false;
    }
    negative = c == '-';
  }
  scan.shape.append(sql.data() + run, sql.size() - run);
  return true;
}

// In a query that parses, each literal is the value of exactly one
// condition, the conditions come in the order of their literals in the text,
// and every "-" is the sign of the number after it.
QueryCache::Prepared QueryCache::Prepare(std::string_view sql) {
  // The text mostly repeats the last one up to its first literals: the scan
  // goes on from the last token that the same bytes decided alike (a token
  // is read up to three bytes past its end).
  Mark from;
  if (last_ok_) {
    const size_t common = CommonPrefix(sql, last_sql_);
    auto after = std::upper_bound(
        last_.marks.begin(), last_.marks.end(), common,
        [](size_t n, const Mark& m) { return n < m.at + kLookahead; });
    if (after != last_.marks.begin()) from = *(after - 1);
  }
  last_ok_ = ScanLiterals(sql, from, last_);
  last_sql_.assign(sql);
  const Scan* scan = last_ok_ ? &last_ : nullptr;
  if (scan) {
    if (hit_ && scan->shape == hit_shape_) return {hit_, scan->literals};
    auto it = by_shape_.find(scan->shape);
    if (it != by_shape_.end()) {
      hit_ = it->second;
      hit_shape_ = it->first;
      return {it->second, scan->literals};
    }
  }
  auto shape = std::make_shared<Shape>();
  shape->query = jet::ParseSelect(sql);
  const std::vector<jet::QueryCondition>& conditions = shape->query.conditions;
  parsed_literals_.clear();
  for (const jet::QueryCondition& c : conditions) {
    parsed_literals_.push_back(c.literal);
  }
  Prepared prepared{shape, parsed_literals_};
  if (scan && scan->literals.size() == conditions.size()) {
    bool same = true;
    for (size_t k = 0; k < conditions.size() && same; ++k) {
      same = conditions[k].literal == scan->literals[k] &&
             conditions[k].literal.type() == scan->literals[k].type();
    }
    if (same) {
      if (by_shape_.size() >= kMaxShapes) by_shape_.clear();
      by_shape_.emplace(scan->shape, std::move(shape));
    }
  }
  return prepared;
}

jet::SelectQuery QueryCache::Parse(std::string_view sql) {
  Prepared prepared = Prepare(sql);
  jet::SelectQuery query = prepared.shape->query;
  for (size_t k = 0; k < query.conditions.size(); ++k) {
    query.conditions[k].literal = prepared.literals[k];
  }
  return query;
}

jet::BoundQuery QueryCache::Bind(
    const Prepared& prepared, const std::shared_ptr<const jet::TableDef>& def) {
  Shape& shape = *prepared.shape;
  if (shape.def != def) {
    shape.names = jet::ResolveNames(shape.query, *def);
    shape.def = def;
  }
  return jet::Bind(shape.query, shape.names, prepared.literals, *def);
}

}  // namespace dao_jet
