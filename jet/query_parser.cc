#include "jet/query_parser.h"

#include <cstdlib>
#include <optional>
#include <utility>

#include "base/runtime_error.h"
#include "base/text.h"

namespace jet {
namespace {

constexpr int kMaxNesting = 200;  // hostile texts must not exhaust the stack

enum class TokenKind { kIdent, kString, kNumber, kSymbol, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;  // identifier, string contents, number text or symbol
  bool bracketed = false;
};

[[noreturn]] void SyntaxError(std::string_view sql) {
  throw base::Error(base::err::kSyntaxInQuery, base::err::kSourceDatabase, sql);
}

[[noreturn]] void UnknownName() {
  throw base::Error(base::err::kTooFewParameters, base::err::kSourceDatabase);
}

// ASCII classes by hand: the C library's take the locale on every call,
// and bytes from 0x80 up are name characters here anyway.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> out;
  out.reserve(sql.size() / 4 + 2);
  size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '"' || c == '\'') {
      // A doubled quote inside the string stands for one quote.
      Token t{TokenKind::kString, "", false};
      ++i;
      // Copied in runs up to the next quote, not byte by byte.
      bool closed = false;
      while (i < sql.size()) {
        if (sql[i] == c) {
          if (i + 1 < sql.size() && sql[i + 1] == c) {
            t.text += c;
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        const size_t quote = sql.find(c, i);
        const size_t end = quote == std::string_view::npos ? sql.size() : quote;
        t.text.append(sql.substr(i, end - i));
        i = end;
      }
      if (!closed) SyntaxError(sql);
      out.push_back(std::move(t));
    } else if (c == '[') {
      size_t end = sql.find(']', i + 1);
      if (end == std::string_view::npos || end == i + 1) SyntaxError(sql);
      out.push_back({TokenKind::kIdent,
                     std::string(sql.substr(i + 1, end - i - 1)), true});
      i = end + 1;
    } else if (IsDigit(c) ||
               (c == '.' && i + 1 < sql.size() && IsDigit(sql[i + 1]))) {
      size_t start = i;
      i = NumberEnd(sql, i);
      out.push_back({TokenKind::kNumber,
                     std::string(sql.substr(start, i - start)), false});
    } else if (IsNameStart(c)) {
      size_t start = i;
      while (i < sql.size() && IsNameChar(sql[i])) ++i;
      out.push_back({TokenKind::kIdent,
                     std::string(sql.substr(start, i - start)), false});
    } else if (std::string_view("(),.*=;-").find(c) != std::string_view::npos) {
      out.push_back({TokenKind::kSymbol, std::string(1, c), false});
      ++i;
    } else {
      SyntaxError(sql);
    }
  }
  out.push_back({TokenKind::kEnd, "", false});
  return out;
}

// What a part of the WHERE clause turned out to be. Conditions go into the
// query as they are met; a misplaced part only marks the clause malformed,
// reported after the qualifiers are checked (as when the clause was a tree).
struct Term {
  enum class Kind { kColumn, kLiteral, kEquals, kAnd } kind = Kind::kColumn;
  std::string column;
  base::Value literal;
};

struct ColumnRef {
  std::string qualifier;  // empty when not qualified
  std::string name;       // "*" for table.*
};

class Parser {
 public:
  explicit Parser(std::string_view sql) : sql_(sql), tokens_(Tokenize(sql)) {}

  SelectQuery Parse() {
    SelectQuery q;
    ExpectKeyword("SELECT");
    std::vector<ColumnRef> selected;
    if (IsSymbol("*")) {
      Next();
      q.all_columns = true;
    } else {
      do {
        selected.push_back(ParseColumnRef(true));
      } while (AcceptSymbol(","));
    }
    ExpectKeyword("FROM");
    q.table = ExpectIdent();
    for (const ColumnRef& ref : selected) {
      CheckQualifier(ref, q.table);
      if (ref.name == "*") {
        if (selected.size() != 1) SyntaxError(sql_);
        q.all_columns = true;
      } else {
        q.columns.push_back(ref.name);
      }
    }
    if (AcceptKeyword("WHERE")) {
      const Term where = ParseAnd(0, q);
      if (where.kind != Term::Kind::kEquals && where.kind != Term::Kind::kAnd) {
        malformed_ = true;
      }
      for (const ColumnRef& ref : pending_qualifiers_) {
        CheckQualifier(ref, q.table);
      }
      if (malformed_) SyntaxError(sql_);
    }
    if (AcceptKeyword("ORDER")) {
      ExpectKeyword("BY");
      do {
        ColumnRef ref = ParseColumnRef(false);
        CheckQualifier(ref, q.table);
        QueryOrder order{ref.name, false};
        if (AcceptKeyword("DESC")) {
          order.descending = true;
        } else {
          AcceptKeyword("ASC");
        }
        q.order_by.push_back(std::move(order));
      } while (AcceptSymbol(","));
    }
    AcceptSymbol(";");
    if (Peek().kind != TokenKind::kEnd) SyntaxError(sql_);
    return q;
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  bool IsSymbol(std::string_view s) const {
    return Peek().kind == TokenKind::kSymbol && Peek().text == s;
  }
  bool AcceptSymbol(std::string_view s) {
    if (!IsSymbol(s)) return false;
    Next();
    return true;
  }
  void ExpectSymbol(std::string_view s) {
    if (!AcceptSymbol(s)) SyntaxError(sql_);
  }
  // Keywords are ASCII, so an ASCII comparison is enough (and cheap: the
  // program sends one query per row).
  bool IsKeyword(std::string_view k) const {
    const Token& t = Peek();
    if (t.kind != TokenKind::kIdent || t.bracketed ||
        t.text.size() != k.size()) {
      return false;
    }
    for (size_t i = 0; i < k.size(); ++i) {
      char c = t.text[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != k[i]) return false;
    }
    return true;
  }
  bool AcceptKeyword(std::string_view k) {
    if (!IsKeyword(k)) return false;
    Next();
    return true;
  }
  void ExpectKeyword(std::string_view k) {
    if (!AcceptKeyword(k)) SyntaxError(sql_);
  }
  std::string ExpectIdent() {
    if (Peek().kind != TokenKind::kIdent) SyntaxError(sql_);
    return Next().text;
  }

  ColumnRef ParseColumnRef(bool allow_star) {
    ColumnRef ref;
    ref.name = ExpectIdent();
    if (AcceptSymbol(".")) {
      ref.qualifier = ref.name;
      if (allow_star && AcceptSymbol("*")) {
        ref.name = "*";
      } else {
        ref.name = ExpectIdent();
      }
    }
    return ref;
  }

  static void CheckQualifier(const ColumnRef& ref, const std::string& table) {
    // A name qualified by another table is a parameter to Jet.
    if (!ref.qualifier.empty() &&
        !base::EqualsIgnoreCase(ref.qualifier, table)) {
      UnknownName();
    }
  }

  static bool IsCondition(const Term& t) {
    return t.kind == Term::Kind::kEquals || t.kind == Term::Kind::kAnd;
  }

  Term ParseAnd(int depth, SelectQuery& q) {
    if (depth > kMaxNesting) SyntaxError(sql_);
    Term left = ParseEquals(depth, q);
    while (AcceptKeyword("AND")) {
      const Term right = ParseEquals(depth, q);
      if (!IsCondition(left) || !IsCondition(right)) malformed_ = true;
      left = Term{Term::Kind::kAnd, {}, {}};
    }
    return left;
  }

  Term ParseEquals(int depth, SelectQuery& q) {
    Term left = ParsePrimary(depth, q);
    if (!AcceptSymbol("=")) return left;
    Term right = ParsePrimary(depth, q);
    if (left.kind == Term::Kind::kLiteral) std::swap(left, right);
    if (left.kind == Term::Kind::kColumn &&
        right.kind == Term::Kind::kLiteral) {
      q.conditions.push_back(
          {std::move(left.column), std::move(right.literal)});
    } else {
      malformed_ = true;
    }
    return Term{Term::Kind::kEquals, {}, {}};
  }

  Term ParsePrimary(int depth, SelectQuery& q) {
    if (AcceptSymbol("(")) {
      Term inner = ParseAnd(depth + 1, q);
      ExpectSymbol(")");
      return inner;
    }
    Term term;
    const Token& t = Peek();
    if (t.kind == TokenKind::kString) {
      term.kind = Term::Kind::kLiteral;
      term.literal = base::Value::Text(Next().text);
    } else if (t.kind == TokenKind::kNumber || IsSymbol("-")) {
      bool negative = AcceptSymbol("-");
      if (Peek().kind != TokenKind::kNumber) SyntaxError(sql_);
      const std::string& text = Next().text;
      char* end = nullptr;
      double v = std::strtod(text.c_str(), &end);
      if (end != text.c_str() + text.size()) SyntaxError(sql_);
      term.kind = Term::Kind::kLiteral;
      term.literal = base::Value::Double(negative ? -v : v);
    } else if (t.kind == TokenKind::kIdent && !IsKeyword("AND") &&
               !IsKeyword("ORDER") && !IsKeyword("WHERE")) {
      term.kind = Term::Kind::kColumn;
      ColumnRef ref = ParseColumnRef(false);
      term.column = ref.name;
      pending_qualifiers_.push_back(std::move(ref));
    } else {
      SyntaxError(sql_);
    }
    return term;
  }

  std::string_view sql_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::vector<ColumnRef> pending_qualifiers_;
  bool malformed_ = false;
};

}  // namespace

size_t NumberEnd(std::string_view sql, size_t i) {
  while (i < sql.size() && (IsDigit(sql[i]) || sql[i] == '.')) ++i;
  if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
    size_t j = i + 1;
    if (j < sql.size() && (sql[j] == '+' || sql[j] == '-')) ++j;
    if (j < sql.size() && IsDigit(sql[j])) {
      i = j;
      while (i < sql.size() && IsDigit(sql[i])) ++i;
    }
  }
  return i;
}

SelectQuery ParseSelect(std::string_view sql) { return Parser(sql).Parse(); }

}  // namespace jet
