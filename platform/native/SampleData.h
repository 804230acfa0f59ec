#pragma once
// The project's sample survey database: a SQLite file with one table of households
// ("domicilios") whose income depends on region, zone and household size, so that strata
// built over it are meaningful. Generation is deterministic: the same row count always gives
// the same file contents.
//
// Columns (Jet types as the engine reports them):
//   id           Long, primary key (1..rows)
//   regiao       Text(12)   Norte, Nordeste, Centro-Oeste, Sudeste, Sul
//   estado       Text(20)   the state, with its accents ("São Paulo", "Pará" ...); about 1% of
//                           rows are typed in upper or lower case, as survey data often is
//   zona         Text(6)    Urbana or Rural
//   moradores    Integer    people in the household, 1..9
//   comodos      Byte       rooms, 1..15 (about 2% null)
//   renda        Currency   monthly household income in reais (about 3% null)
//   area         Double     floor area in m², one decimal (about 5% null)
//   internet     Yes/No
//   data_visita  Date/Time  interview date and time, March to June 2023
#include "platform/native/JetEngine.h"

#include <cstdint>
#include <string>

namespace native::sample {

inline constexpr const char* kTableName = "domicilios";

// Writes the sample database to utf8Path, replacing any file there. Text columns declare the
// collation textCollation (the engine's by default; the benchmark also writes a copy with
// SQLite's NOCASE for the sqlite3 command line, which does not know the engine's).
void writeSurveyDatabase(const std::string& utf8Path, int32_t rows, const std::string& textCollation = kTextCollation);

}  // namespace native::sample
