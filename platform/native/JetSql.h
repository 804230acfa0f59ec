#pragma once
// Gives Jet's meaning to SQL text before SQLite sees it.
//
// A small tokenizer walks the text (string literals, [bracketed] and "quoted" names, comments
// and #date# literals are single tokens, so nothing inside them is touched) and rewrites:
//   a / b           -> a *1.0/ b       ('/' always divides in floating point; '*' and '/' share
//                                       one precedence level, so the grouping is unchanged)
//   'text'          -> 'text' COLLATE JETTEXT   (text compares as Jet does, literals included)
//   "text"          -> 'text'          (Jet's double quotes delimit text, not names)
//   #m/d/yyyy#      -> (OLE date)      (dates are stored as OLE automation dates)
//   True / False    -> (-1) / (0)      (Jet's Yes/No values)
//   x Mod y         -> x % y
//   Left( / Right(  -> jetleft( / jetright(   (LEFT and RIGHT are join keywords for SQLite)
// and notes where an ORDER BY must go so that a top-level SELECT DISTINCT or GROUP BY without
// ORDER BY returns its rows in ascending order of the selected or grouped values, as Jet's
// sort-based evaluation does.
//
// Only queries and data statements (SELECT, WITH, VALUES, INSERT, UPDATE, DELETE, REPLACE) are
// rewritten; other statements (CREATE, PRAGMA, BEGIN ...) pass through untouched.
#include <cstddef>
#include <string>
#include <string_view>

namespace native::jetsql {

struct Rewrite {
  enum class Order {
    Keep,          // nothing to add
    ByGroupKeys,   // add ORDER BY <groupKeys>
    ByAllColumns,  // add ORDER BY 1, 2, ..., n (n known once the statement is prepared)
  };
  std::string sql;  // UTF-8 text for SQLite
  Order order = Order::Keep;
  size_t orderAt = 0;     // offset in sql where the ORDER BY clause goes
  std::string groupKeys;  // the GROUP BY list, for ByGroupKeys
};

// Rewrites one statement (UTF-8). Throws DatabaseError for a malformed #date# literal.
Rewrite rewrite(std::string_view sql);

// The statement text with the ORDER BY the rewrite asked for (columnCount is used by
// ByAllColumns); the text unchanged for Keep.
std::string withOrderBy(const Rewrite& rewrite, int columnCount);

}  // namespace native::jetsql
