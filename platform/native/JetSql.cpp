#include "platform/native/JetSql.h"

#include "platform/native/JetEngine.h"
#include "platform/native/JetText.h"
#include "platform/native/OleDate.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace native::jetsql {
namespace {

enum class Tok { Space, Comment, String, QuotedText, Name, Date, Number, Word, Param, Op };

struct Token {
  Tok kind;
  size_t begin, end;
};

bool isWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool isWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Scans a delimited token (quote doubled inside = literal quote). Returns the end offset; an
// unterminated token runs to the end of the text and SQLite reports it.
size_t scanQuoted(std::string_view s, size_t pos, char close, bool doubling) {
  ++pos;
  while (pos < s.size()) {
    if (s[pos] == close) {
      if (doubling && pos + 1 < s.size() && s[pos + 1] == close) {
        pos += 2;
        continue;
      }
      return pos + 1;
    }
    ++pos;
  }
  return pos;
}

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t start = pos;
    unsigned char c = static_cast<unsigned char>(s[pos]);
    Tok kind = Tok::Op;
    if (std::isspace(c)) {
      while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
      kind = Tok::Space;
    } else if (c == '-' && pos + 1 < s.size() && s[pos + 1] == '-') {
      while (pos < s.size() && s[pos] != '\n') ++pos;
      kind = Tok::Comment;
    } else if (c == '/' && pos + 1 < s.size() && s[pos + 1] == '*') {
      size_t close = s.find("*/", pos + 2);
      pos = close == std::string_view::npos ? s.size() : close + 2;
      kind = Tok::Comment;
    } else if (c == '\'') {
      pos = scanQuoted(s, pos, '\'', true);
      kind = Tok::String;
    } else if (c == '"') {
      pos = scanQuoted(s, pos, '"', true);
      kind = Tok::QuotedText;
    } else if (c == '[') {
      pos = scanQuoted(s, pos, ']', false);
      kind = Tok::Name;
    } else if (c == '`') {
      pos = scanQuoted(s, pos, '`', true);
      kind = Tok::Name;
    } else if (c == '#' && s.find('#', pos + 1) != std::string_view::npos) {
      pos = s.find('#', pos + 1) + 1;
      kind = Tok::Date;
    } else if (std::isdigit(c) || (c == '.' && pos + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[pos + 1])))) {
      if (c == '0' && pos + 1 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
        pos += 2;
        while (pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[pos]))) ++pos;
      } else {
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
        if (pos < s.size() && s[pos] == '.') {
          ++pos;
          while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
        }
        if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
          size_t e = pos + 1;
          if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
          if (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
            pos = e;
            while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
          }
        }
      }
      kind = Tok::Number;
    } else if (isWordStart(c)) {
      while (pos < s.size() && isWordChar(static_cast<unsigned char>(s[pos]))) ++pos;
      kind = Tok::Word;
    } else if (c == '?' || ((c == ':' || c == '@' || c == '$') && pos + 1 < s.size() &&
                            isWordChar(static_cast<unsigned char>(s[pos + 1])))) {
      ++pos;
      while (pos < s.size() && isWordChar(static_cast<unsigned char>(s[pos]))) ++pos;
      kind = Tok::Param;
    } else {
      static const char* const twoChar[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>", "->"};
      pos += 1;
      for (const char* op : twoChar)
        if (s.substr(start, 2) == op) pos = start + 2;
      if (s.substr(start, 3) == "->>") pos = start + 3;
    }
    out.push_back({kind, start, pos});
  }
  return out;
}

std::string upper(std::string_view word) {
  std::string u(word);
  for (char& ch : u) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return u;
}

bool significant(const Token& t) { return t.kind != Tok::Space && t.kind != Tok::Comment; }

class Rewriter {
 public:
  explicit Rewriter(std::string_view sql) : s_(sql), toks_(tokenize(sql)) {}

  Rewrite run() {
    Rewrite result;
    size_t verb = mainVerb();
    if (verb == npos) {
      result.sql = std::string(s_);
      return result;
    }
    std::vector<size_t> outAt(toks_.size() + 1);
    std::string& out = result.sql;
    out.reserve(s_.size() + 32);
    for (size_t i = 0; i < toks_.size(); ++i) {
      outAt[i] = out.size();
      emit(i, out);
    }
    outAt[toks_.size()] = out.size();
    if (wordAt(verb) == "SELECT") planOrder(verb, outAt, result);
    return result;
  }

 private:
  static constexpr size_t npos = static_cast<size_t>(-1);

  std::string_view text(size_t i) const { return s_.substr(toks_[i].begin, toks_[i].end - toks_[i].begin); }
  std::string wordAt(size_t i) const {
    return i != npos && toks_[i].kind == Tok::Word ? upper(text(i)) : std::string();
  }
  bool isOp(size_t i, std::string_view op) const { return i != npos && toks_[i].kind == Tok::Op && text(i) == op; }

  // The next significant token after i (npos after the last one or when i is npos).
  size_t nextSig(size_t i) const {
    if (i == npos) return npos;
    for (size_t j = i + 1; j < toks_.size(); ++j)
      if (significant(toks_[j])) return j;
    return npos;
  }
  size_t prevSig(size_t i) const {
    if (i == npos) return npos;
    for (size_t j = i; j-- > 0;)
      if (significant(toks_[j])) return j;
    return npos;
  }

  // The token of the statement's main verb when the statement is one we rewrite, else npos.
  size_t mainVerb() const {
    size_t i = 0;
    while (i < toks_.size() && !significant(toks_[i])) ++i;
    if (i == toks_.size()) return npos;
    if (wordAt(i) == "EXPLAIN") {
      i = nextSig(i);
      if (i != npos && wordAt(i) == "QUERY") i = nextSig(nextSig(i));
      if (i == npos) return npos;
    }
    std::string first = wordAt(i);
    if (first == "SELECT" || first == "VALUES" || first == "INSERT" || first == "UPDATE" ||
        first == "DELETE" || first == "REPLACE")
      return i;
    if (first != "WITH") return npos;
    int depth = 0;
    for (size_t j = nextSig(i); j != npos; j = nextSig(j)) {
      if (isOp(j, "(")) ++depth;
      else if (isOp(j, ")")) --depth;
      else if (depth == 0) {
        std::string w = wordAt(j);
        if (w == "SELECT" || w == "VALUES" || w == "INSERT" || w == "UPDATE" || w == "DELETE" || w == "REPLACE")
          return j;
      }
    }
    return npos;
  }

  // Whether a text literal at token i can take a COLLATE clause: not where SQLite accepts a
  // quoted name instead of an expression (AS 'alias', FROM 'table', INTO 'table' ...).
  bool literalTakesCollation(size_t i) const {
    size_t p = prevSig(i);
    if (p != npos) {
      if (isOp(p, ".")) return false;
      static const char* const nameContexts[] = {"AS", "FROM", "INTO", "JOIN", "TABLE", "UPDATE", "INDEX",
                                                 "VIEW", "TRIGGER", "DATABASE", "COLLATE", "INDEXED"};
      std::string w = wordAt(p);
      for (const char* k : nameContexts)
        if (w == k) return false;
    }
    size_t n = nextSig(i);
    return !(isOp(n, ".") || isOp(n, "(") || wordAt(n) == "COLLATE");  // the writer's own collation wins
  }

  // A bare word used as a value or operator (not a qualified name, not a function call).
  bool bareWord(size_t i) const { return !isOp(prevSig(i), ".") && !isOp(nextSig(i), "("); }

  void emit(size_t i, std::string& out) const {
    const Token& t = toks_[i];
    std::string_view body = text(i);
    switch (t.kind) {
      case Tok::String: {
        out += body;
        bool closed = body.size() >= 2 && body.back() == '\'';
        if (closed && literalTakesCollation(i)) out += std::string(" COLLATE ") + kTextCollation;
        return;
      }
      case Tok::QuotedText: {
        out += '\'';
        bool closed = body.size() >= 2 && body.back() == '"';
        std::string_view inner = body.substr(1, body.size() - (closed ? 2 : 1));
        for (size_t k = 0; k < inner.size(); ++k) {
          if (inner[k] == '"' && k + 1 < inner.size() && inner[k + 1] == '"') ++k;
          if (inner[k] == '\'') out += '\'';
          out += inner[k];
        }
        if (closed) out += '\'';
        if (closed && literalTakesCollation(i)) out += std::string(" COLLATE ") + kTextCollation;
        return;
      }
      case Tok::Date: {
        double value;
        std::string_view inner = body.substr(1, body.size() - 2);
        if (!oledate::parseJetLiteral(inner, value))
          throw DatabaseError("invalid date literal " + text::utf8ToCp1252(body) +
                              " (write dates as #m/d/yyyy# or #yyyy-mm-dd#, optionally with a time)");
        char buf[40];
        std::snprintf(buf, sizeof buf, "(%.17g)", value);
        out += buf;
        return;
      }
      case Tok::Word: {
        std::string w = upper(body);
        if ((w == "TRUE" || w == "FALSE") && bareWord(i)) {
          out += w == "TRUE" ? "(-1)" : "(0)";
          return;
        }
        if (w == "MOD" && bareWord(i) && prevSig(i) != npos) {
          out += '%';
          return;
        }
        if ((w == "LEFT" || w == "RIGHT") && isOp(nextSig(i), "(")) {
          out += w == "LEFT" ? "jetleft" : "jetright";
          return;
        }
        out += body;
        return;
      }
      case Tok::Op:
        if (body == "/") {
          out += "*1.0/";
          return;
        }
        out += body;
        return;
      default:
        out += body;
        return;
    }
  }

  // Decides whether the top-level SELECT needs an ORDER BY, and where it goes.
  void planOrder(size_t verb, const std::vector<size_t>& outAt, Rewrite& result) const {
    bool distinct = wordAt(nextSig(verb)) == "DISTINCT";
    size_t groupStart = npos, groupEnd = npos, limit = npos, last = verb;
    int depth = 0;
    for (size_t j = nextSig(verb); j != npos; j = nextSig(j)) {
      if (isOp(j, ";")) break;
      last = j;
      if (isOp(j, "(")) {
        ++depth;
        continue;
      }
      if (isOp(j, ")")) {
        --depth;
        continue;
      }
      if (depth != 0) continue;
      std::string w = wordAt(j);
      if (w == "UNION" || w == "INTERSECT" || w == "EXCEPT") return;
      if (w == "ORDER" && wordAt(nextSig(j)) == "BY") return;
      if (w == "GROUP" && wordAt(nextSig(j)) == "BY" && groupStart == npos) {
        j = nextSig(j);
        groupStart = nextSig(j);
        continue;
      }
      if (groupStart != npos && groupEnd == npos && (w == "HAVING" || w == "WINDOW" || w == "LIMIT"))
        groupEnd = j;
      if (w == "LIMIT") limit = j;
    }
    if (groupStart != npos && groupEnd == npos) groupEnd = last + 1;
    if (!distinct && groupStart == npos) return;

    result.orderAt = limit != npos ? outAt[limit] : outAt[last + 1];
    if (distinct) {
      result.order = Rewrite::Order::ByAllColumns;
    } else {
      result.order = Rewrite::Order::ByGroupKeys;
      size_t from = outAt[groupStart], to = outAt[groupEnd];
      std::string keys = result.sql.substr(from, to - from);
      while (!keys.empty() && std::isspace(static_cast<unsigned char>(keys.back()))) keys.pop_back();
      result.groupKeys = keys;
    }
  }

  std::string_view s_;
  std::vector<Token> toks_;
};

}  // namespace

Rewrite rewrite(std::string_view sql) { return Rewriter(sql).run(); }

std::string withOrderBy(const Rewrite& rw, int columnCount) {
  std::string clause;
  switch (rw.order) {
    case Rewrite::Order::Keep:
      return rw.sql;
    case Rewrite::Order::ByGroupKeys:
      clause = rw.groupKeys;
      break;
    case Rewrite::Order::ByAllColumns:
      for (int c = 1; c <= columnCount; ++c) clause += (c > 1 ? ", " : "") + std::to_string(c);
      break;
  }
  if (clause.empty()) return rw.sql;
  std::string out = rw.sql;
  out.insert(rw.orderAt, " ORDER BY " + clause + " ");
  return out;
}

}  // namespace native::jetsql
