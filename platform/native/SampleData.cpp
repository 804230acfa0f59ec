#include "platform/native/SampleData.h"

#include "platform/native/JetText.h"
#include "platform/native/OleDate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace native::sample {
namespace {

// splitmix64: small, fast and the same on every machine.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double normal() {  // Box-Muller
    double u1 = uniform(), u2 = uniform();
    if (u1 < 1e-300) u1 = 1e-300;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }
  bool chance(double p) { return uniform() < p; }
  // Index drawn with the given weights.
  size_t pick(const std::vector<double>& weights) {
    double total = 0;
    for (double w : weights) total += w;
    double x = uniform() * total;
    for (size_t i = 0; i < weights.size(); ++i) {
      if (x < weights[i]) return i;
      x -= weights[i];
    }
    return weights.size() - 1;
  }

 private:
  uint64_t state_;
};

struct Region {
  const char* name;
  double share;        // of households
  double baseIncome;   // typical urban income of a 3-person household
  std::vector<const char*> states;  // most populous first
};

const std::vector<Region>& regions() {
  static const std::vector<Region> list = {
      {"Norte", 0.09, 2600, {"Pará", "Amazonas", "Rondônia", "Tocantins", "Acre", "Amapá", "Roraima"}},
      {"Nordeste", 0.27, 2300,
       {"Bahia", "Pernambuco", "Ceará", "Maranhão", "Paraíba", "Piauí", "Alagoas", "Rio Grande do Norte", "Sergipe"}},
      {"Centro-Oeste", 0.08, 3900, {"Goiás", "Distrito Federal", "Mato Grosso", "Mato Grosso do Sul"}},
      {"Sudeste", 0.42, 4100, {"São Paulo", "Minas Gerais", "Rio de Janeiro", "Espírito Santo"}},
      {"Sul", 0.14, 3900, {"Paraná", "Rio Grande do Sul", "Santa Catarina"}},
  };
  return list;
}

std::string cp(const char* utf8) { return text::utf8ToCp1252(utf8); }

}  // namespace

void writeSurveyDatabase(const std::string& utf8Path, int32_t rows, const std::string& textCollation) {
  std::remove(utf8Path.c_str());
  std::remove((utf8Path + "-journal").c_str());
  OpenOptions options;
  options.create = true;
  options.pathIsUtf8 = true;
  JetDatabase db(utf8Path, options);

  auto textColumn = [&](int32_t size) { return "TEXT(" + std::to_string(size) + ") COLLATE " + textCollation; };
  db.execute(std::string("CREATE TABLE ") + kTableName + " (" +
             "id INTEGER PRIMARY KEY, "
             "regiao " + textColumn(12) + ", "
             "estado " + textColumn(20) + ", "
             "zona " + textColumn(6) + ", "
             "moradores " + jetTypeDeclaration(JetType::Integer) + ", "
             "comodos " + jetTypeDeclaration(JetType::Byte) + ", "
             "renda " + jetTypeDeclaration(JetType::Currency) + ", "
             "area " + jetTypeDeclaration(JetType::Double) + ", "
             "internet " + jetTypeDeclaration(JetType::Boolean) + ", "
             "data_visita " + jetTypeDeclaration(JetType::DateTime) + ")");

  Random rnd(20230301);
  std::vector<double> regionShares;
  for (const Region& r : regions()) regionShares.push_back(r.share);
  const std::vector<double> householdSizes = {15, 25, 23, 18, 9, 5, 3, 1.5, 0.5};
  double fieldworkStart = 0;
  oledate::fromParts({2023, 3, 1, 0, 0, 0}, fieldworkStart);

  const std::string insert = std::string("INSERT INTO ") + kTableName + " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  db.execute("BEGIN");
  for (int32_t id = 1; id <= rows; ++id) {
    const Region& region = regions()[rnd.pick(regionShares)];
    std::vector<double> stateWeights;
    for (size_t i = 0; i < region.states.size(); ++i) stateWeights.push_back(1.0 / (1.0 + static_cast<double>(i)));
    size_t stateIndex = rnd.pick(stateWeights);
    std::string state = region.states[stateIndex];
    bool rural = rnd.chance(0.15);
    int32_t people = static_cast<int32_t>(rnd.pick(householdSizes)) + 1;
    if (rural && people < 9 && rnd.chance(0.3)) ++people;

    double income = region.baseIncome * (rural ? 0.55 : 1.0) * (0.75 + 0.18 * people) * std::exp(0.45 * rnd.normal());
    if (state == "Distrito Federal") income *= 1.6;
    income = std::round(income * 100.0) / 100.0;
    int32_t rooms = static_cast<int32_t>(std::lround(2.0 + 0.6 * people + std::log(income / 1000.0) + 0.8 * rnd.normal()));
    rooms = std::max(1, std::min(15, rooms));
    double area = (18.0 + 11.0 * rooms + 8.0 * rnd.normal()) * (rural ? 1.3 : 1.0);
    area = std::round(std::max(12.0, area) * 10.0) / 10.0;
    double internetOdds = 1.5 * (std::log(income) - 7.6);
    bool internet = rnd.uniform() < (rural ? 0.6 : 1.0) / (1.0 + std::exp(-internetOdds));
    double visit = fieldworkStart + static_cast<double>(rnd.next() % 122) +
                   (8.0 * 60 + static_cast<double>(rnd.next() % (10 * 60))) / (24.0 * 60);

    // Survey data is typed by hand: a few states come in upper or lower case.
    double caseSlip = rnd.uniform();
    std::string stateCp = cp(state.c_str());
    if (caseSlip < 0.005)
      stateCp = text::utf8ToCp1252(text::upperUtf8(state));
    else if (caseSlip < 0.01)
      stateCp = text::utf8ToCp1252(text::lowerUtf8(state));

    db.execute(insert, {
                           Value::integer(id),
                           Value::text(cp(region.name)),
                           Value::text(stateCp),
                           Value::text(rural ? "Rural" : "Urbana"),
                           Value::integer(people),
                           rnd.chance(0.02) ? Value() : Value::integer(rooms),
                           rnd.chance(0.03) ? Value() : Value::real(income),
                           rnd.chance(0.05) ? Value() : Value::real(area),
                           Value::integer(internet ? -1 : 0),
                           Value::real(visit),
                       });
  }
  db.execute("COMMIT");
}

}  // namespace native::sample
