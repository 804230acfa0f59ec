#pragma once
// The functions, aggregates and collation that give SQLite Jet's meaning. Registered on every
// connection the engine opens (and by the import helper, whose tables declare the collation).
//
//   collation JETTEXT       Jet's text order (JetText.h): case-insensitive, accents by their letter
//   like(p, v [, esc])      replaces SQLite's LIKE: * % ? _ # [list] [!list], case-insensitive
//   round(x [, n])          half to even at n decimals (0..22) of the value as written in
//                           decimal (its shortest round-trip form), as Jet's Round does
//   varp, var, stdevp, stdev  population/sample variance and deviation of the non-null values
//                           (null over no rows; var/stdev null over fewer than two)
//   upper, lower, ucase, lcase  case mapping for the cp1252 letters
//   len, mid, jetleft, jetright  Jet's Len, Mid, Left, Right (1-based, in characters)
//   nz(x [, y])             y (or '') when x is null
//   int, fix                floor and truncation, keeping integers integers
//   year, month, day        parts of an OLE date
//   sqr                     square root
#include <cstdint>
#include <string>

struct sqlite3;

namespace native::jetfunc {

// Registers everything on db; throws DatabaseError when SQLite refuses.
void registerAll(sqlite3* db);

// Jet's Round, exposed for direct testing: half to even at `decimals` places of the shortest
// decimal form of x.
double roundHalfEven(double x, int32_t decimals);

}  // namespace native::jetfunc
