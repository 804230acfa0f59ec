// Bad input never crashes or hangs the program: every failure is a DatabaseError that says
// what went wrong and names the file.
#include "platform/native/JetEngine.h"
#include "platform/native/JetImport.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <filesystem>
#include <string>
#include <thread>

using namespace native;
using namespace nativetest;

namespace {

OpenOptions withHelper(const std::string& helper, int32_t seconds = 10) {
  OpenOptions o;
  o.importHelper = helper;
  o.importTimeoutSeconds = seconds;
  return o;
}

// Everything a database holds, table by table: its rows as texts, sorted, so that two readings
// compare equal when they hold the same values whatever order the pages gave them in.
using Contents = std::map<std::string, std::vector<std::string>>;

std::string rowText(const QueryResult& r, size_t row) {
  std::string out;
  for (size_t c = 0; c < r.columnCount(); ++c) {
    const Value& v = r.at(row, c);
    switch (v.kind()) {
      case Value::Kind::Null: out += "N"; break;
      case Value::Kind::Integer: out += "I" + std::to_string(v.integerValue()); break;
      case Value::Kind::Float: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "F%.17g", v.realValue());
        out += buf;
        break;
      }
      default: out += "S" + std::to_string(v.bytes().size()) + ":" + v.bytes(); break;
    }
    out += '|';
  }
  return out;
}

Contents contentsOf(JetDatabase& db) {
  Contents out;
  for (const std::string& table : db.tables()) {
    QueryResult r = db.query("select * from [" + table + "]");
    std::vector<std::string>& rows = out[table];
    for (size_t i = 0; i < r.rowCount(); ++i) rows.push_back(rowText(r, i));
    std::sort(rows.begin(), rows.end());
  }
  return out;
}

// What became of one damaged copy.
enum class Reading { Refused, Whole, WholeWithOtherValues };

// Opens a damaged copy of an Access file whose intact contents are known. The copy is either
// refused with a message naming the file and saying why, or read whole: every table of the intact
// file is there with all its rows. Values are compared row by row; a copy whose rows are all
// there but some value differs (damage inside a value, which the file has no way to show) is
// told apart from one that reads exactly.
Reading openDamaged(const std::string& path, const Contents& intact, const std::string& label) {
  OpenOptions o;
  o.importTimeoutSeconds = 20;
  Contents got;
  try {
    JetDatabase db(path, o);
    got = contentsOf(db);
  } catch (const DatabaseError& e) {
    std::string message = e.what();
    EXPECT_NE(message.find(path), std::string::npos) << label << ": " << message;
    EXPECT_GT(message.size(), path.size() + 30) << label << ": the message says why: " << message;
    return Reading::Refused;
  }
  bool sameValues = true;
  for (const auto& [table, rows] : intact) {
    auto found = got.find(table);
    if (found == got.end()) {
      ADD_FAILURE() << label << ": table " << table << " is missing from a copy that opened";
      return Reading::WholeWithOtherValues;
    }
    EXPECT_EQ(found->second.size(), rows.size()) << label << ": table " << table << " was read short or long";
    if (found->second != rows) sameValues = false;
  }
  EXPECT_EQ(got.size(), intact.size()) << label << ": tables the intact file does not have";
  return sameValues ? Reading::Whole : Reading::WholeWithOtherValues;
}

struct Tally {
  int refused = 0, whole = 0, otherValues = 0;
  void add(Reading r) { (r == Reading::Refused ? refused : r == Reading::Whole ? whole : otherValues) += 1; }
};

std::ostream& operator<<(std::ostream& out, const Tally& t) {
  return out << t.refused << " refused, " << t.whole << " read whole and exact, " << t.otherValues
             << " read whole with some value changed";
}

// Runs job(0) ... job(count - 1) on a few threads and returns their results in order.
template <typename Job>
auto inParallel(size_t count, Job&& job) {
  std::vector<decltype(job(size_t{0}))> results(count);
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w)
    workers.emplace_back([&] {
      for (size_t i; (i = next++) < count;) results[i] = job(i);
    });
  for (std::thread& t : workers) t.join();
  return results;
}

// A copy of whole, damaged, written to dir under name; returns its path.
template <typename Damage>
std::string damagedCopy(const TempDir& dir, const std::string& whole, const std::string& name, Damage&& damage) {
  std::string bytes = whole;
  damage(bytes);
  std::string path = dir.file(name);
  writeFile(path, bytes);
  return path;
}

// A fixed pseudo-random sequence, so every run damages the same places.
struct Sequence {
  uint64_t state;
  uint64_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  }
};

// Damages copies of one intact Access file in many ways and opens each one.
Tally damageAndOpen(const std::string& original, size_t pageSize, int flips, uint64_t seed) {
  TempDir dir;
  const std::string whole = readFile(original);
  Contents intact;
  {
    JetDatabase db(original);
    intact = contentsOf(db);
  }
  const size_t pages = whole.size() / pageSize;
  Sequence random{seed};
  Tally tally;
  int copy = 0;
  // Copies are written here and opened by a few threads at once: each opening runs the import
  // helper, and most of its time is spent starting processes.
  std::vector<std::pair<std::string, std::string>> copies;  // path, label
  auto open = [&](const std::string& bytes, const std::string& label) {
    std::string path = dir.file("copia-" + std::to_string(copy++) + ".mdb");
    writeFile(path, bytes);
    copies.emplace_back(path, label);
  };
  // Cut after whole pages all along the file, and inside pages.
  for (size_t k = 1; k < pages; k += std::max<size_t>(1, pages / 40))
    open(whole.substr(0, k * pageSize), "cut after page " + std::to_string(k));
  for (int i = 0; i < 5; ++i) {
    size_t at = 1 + random.next() % (whole.size() - 1);
    open(whole.substr(0, at), "cut at byte " + std::to_string(at));
  }
  for (int i = 0; i < flips; ++i) {
    std::string bytes = whole;
    size_t at = 0;
    switch (i % 3) {
      case 0:  // anywhere in the file
        at = random.next() % bytes.size();
        break;
      case 1:  // in a page's header and row offsets, where the file describes itself
        at = (random.next() % pages) * pageSize + random.next() % 64;
        break;
      default:  // the table definitions and the list of tables, at the start of the file
        at = pageSize + random.next() % (std::min<size_t>(pages, 64) * pageSize - pageSize);
    }
    int bit = static_cast<int>(random.next() % 8);
    bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
    open(bytes, "bit " + std::to_string(bit) + " of byte " + std::to_string(at) + " flipped");
  }
  std::vector<Reading> readings = inParallel(copies.size(), [&](size_t i) {
    return openDamaged(copies[i].first, intact, copies[i].second);
  });
  for (Reading r : readings) tally.add(r);
  return tally;
}

}  // namespace

TEST(BadInput, FilesThatAreNotDatabases) {
  TempDir dir;
  writeFile(dir.file("vazio.mdb"), "");
  std::filesystem::create_directory(dir.file("pasta.mdb"));
  struct Case {
    std::string path;
    const char* message;
  } cases[] = {
      {dir.file("nao-existe.mdb"), "does not exist"},
      {dir.file("vazio.mdb"), "is empty"},
      {dir.file("pasta.mdb"), "is a folder"},
      {fixture("planilha.mdb"), "is neither an Access database (.mdb, .accdb) nor a SQLite database"},
      {"", "no database file was named"},
  };
  for (const Case& c : cases) {
    std::string message = errorOf([&] { JetDatabase db(c.path); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.path << ": " << message;
    EXPECT_NE(message.find(c.path), std::string::npos) << message;
  }
  // A SQLite header on a damaged body.
  std::string sqliteHead = "SQLite format 3";
  sqliteHead += '\0';
  writeFile(dir.file("quebrado.db"), sqliteHead + std::string(600, 'x'));
  std::string message = errorOf([&] { JetDatabase db(dir.file("quebrado.db")); });
  EXPECT_NE(message.find("quebrado.db"), std::string::npos) << message;
}

TEST(BadInput, TruncatedCopiesOfAnAccessFile) {
  TempDir dir;
  std::string whole = readFile(nwind());
  ASSERT_EQ(whole.size(), 3002368u);
  struct Case {
    size_t size;
    const char* message;
  } cases[] = {
      {100, "truncated"},         // the header alone
      {1500000, "truncated"},     // cut inside a page
      {8192, "list of tables"},   // whole pages, the catalog missing
      {65536, "list of tables (MSysObjects) is damaged: its data page 548 lies beyond the end of the file"},
      {1501184, "cannot read table"},
  };
  for (const Case& c : cases) {
    std::string path = dir.file("cortado-" + std::to_string(c.size) + ".mdb");
    writeFile(path, whole.substr(0, c.size));
    std::string message = errorOf([&] { JetDatabase db(path); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.size << ": " << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
  }
}

// Damage that made copies read short: a page of the usage map owned by another object, a row
// offset overlapping its neighbour, a live row marked deleted (libmdb skips it without a word),
// a page declaring more rows than it can hold.
TEST(BadInput, ATableThatCannotBeReadWholeIsRefusedByName) {
  TempDir dir;
  const std::string whole = readFile(nwind());
  auto damaged = [&](const std::string& name, auto&& damage) { return damagedCopy(dir, whole, name, damage); };
  auto u16 = [](const std::string& b, size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
  };
  // The first data page of Order Details: a data page (type 1) owned by its definition, page 415.
  size_t page = 0;
  for (size_t p = 0; p < whole.size() / 2048; ++p)
    if (whole[p * 2048] == 1 && whole[p * 2048 + 1] == 1 && u16(whole, p * 2048 + 4) == 415 &&
        u16(whole, p * 2048 + 6) == 0) {
      page = p * 2048;
      break;
    }
  ASSERT_NE(page, 0u) << "a data page of Order Details";
  struct Case {
    std::string path;
    const char* why;
  } cases[] = {
      {damaged("dono.mdb", [&](std::string& b) { b[page + 4] ^= 0x40; }), "is not one of its data pages"},
      {damaged("posicao.mdb", [&](std::string& b) { b[page + 11] ^= 0x10; }), "overlaps another row"},
      {damaged("apagada.mdb", [&](std::string& b) { b[page + 11] ^= 0x40; }), "rows but its pages hold"},
      {damaged("contagem.mdb", [&](std::string& b) { b[page + 9] ^= 0x40; }), "declares more rows than it can hold"},
  };
  for (const Case& c : cases) {
    std::string message = errorOf([&] { JetDatabase db(c.path); });
    EXPECT_NE(message.find(c.path), std::string::npos) << message;
    EXPECT_NE(message.find("table Order Details is damaged"), std::string::npos) << message;
    EXPECT_NE(message.find(c.why), std::string::npos) << message;
  }
}

// Damaged copies made here from the two Access files: truncations all along each file and bit
// flips anywhere, in page headers and in the table definitions. None may read short.
TEST(BadInput, DamagedCopiesOfAnAccessFileAreRefusedOrReadWhole) {
  Tally jet3 = damageAndOpen(nwind(), 2048, 150, 12345);
  Tally jet4 = damageAndOpen(dateTest(), 4096, 60, 777);
  std::cout << "nwind.mdb: " << jet3 << "\nDateTestDatabase.mdb: " << jet4 << "\n";
  // Both outcomes occur: the test damages places that matter and places that do not.
  EXPECT_GT(jet3.refused, 0);
  EXPECT_GT(jet3.whole + jet3.otherValues, 0);
  EXPECT_GT(jet4.refused, 0);
}

TEST(BadInput, BitFlippedCopiesOfAnAccessFile) {
  TempDir dir;
  const std::string whole = readFile(nwind());
  ASSERT_EQ(whole.size(), 3002368u) << "the intact copy of nwind.mdb";
  auto damaged = [&](const std::string& name, auto&& damage) { return damagedCopy(dir, whole, name, damage); };
  // Damage that no reader could get past.
  std::string version = damaged("versao.mdb", [](std::string& b) { b[0x14] = 0x7F; });
  EXPECT_NE(errorOf([&] { JetDatabase db(version); }).find("damaged beyond reading"), std::string::npos);
  std::string catalog = damaged("catalogo.mdb", [](std::string& b) {
    for (size_t i = 2048; i < 40 * 2048; ++i) b[i] = static_cast<char>(~b[i]);
  });
  EXPECT_NE(errorOf([&] { JetDatabase db(catalog); }).find("list of tables"), std::string::npos);

  // Scattered flips, bursts in the table definitions, pages of noise: each copy is refused or
  // read whole.
  Contents intact;
  {
    JetDatabase db(nwind());
    intact = contentsOf(db);
  }
  Sequence random{12345};
  std::vector<std::string> paths;
  for (int copy = 0; copy < 24; ++copy) {
    paths.push_back(damaged("virado-" + std::to_string(copy) + ".mdb", [&](std::string& b) {
      switch (copy % 3) {
        case 0:
          for (int i = 0; i < 200; ++i) b[random.next() % b.size()] ^= static_cast<char>(1 << (random.next() % 8));
          break;
        case 1:
          for (int i = 0; i < 2000; ++i)
            b[2048 + random.next() % (65536 - 2048)] ^= static_cast<char>(1 << (random.next() % 8));
          break;
        default: {
          size_t page = random.next() % (b.size() / 2048);
          for (size_t i = 0; i < 2048; ++i) b[page * 2048 + i] = static_cast<char>(random.next());
        }
      }
    }));
  }
  inParallel(paths.size(), [&](size_t i) { return openDamaged(paths[i], intact, "copy " + std::to_string(i)); });
}

TEST(BadInput, ACrashingHangingOrFailingReaderBecomesAnError) {
  auto started = std::chrono::steady_clock::now();
  std::string crashed = errorOf([] { JetDatabase db(nwind(), withHelper(fixture("crashing-helper.sh"))); });
  EXPECT_NE(crashed.find("stopped abnormally"), std::string::npos) << crashed;
  EXPECT_NE(crashed.find("nwind.mdb"), std::string::npos) << crashed;

  std::string hung = errorOf([] { JetDatabase db(nwind(), withHelper(fixture("hanging-helper.sh"), 1)); });
  EXPECT_NE(hung.find("longer than 1 seconds"), std::string::npos) << hung;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));  // the time limit held

  std::string failed = errorOf([] { JetDatabase db(nwind(), withHelper(fixture("failing-helper.sh"))); });
  EXPECT_NE(failed.find("simulated failure reading"), std::string::npos) << failed;
  EXPECT_EQ(failed.find("libmdb noise"), std::string::npos) << failed;

  std::string silent = errorOf([] { JetDatabase db(nwind(), withHelper(fixture("silent-helper.sh"))); });
  EXPECT_NE(silent.find("could not be read"), std::string::npos) << silent;

  std::string missing = errorOf([] { JetDatabase db(nwind(), withHelper("/nao/existe/mdb2sqlite")); });
  EXPECT_NE(missing.find("import helper mdb2sqlite was not found"), std::string::npos) << missing;
}

TEST(BadInput, TemporaryFilesAreRemovedWhateverTheOutcome) {
  TempDir dir;
  const char* previous = std::getenv("TMPDIR");
  std::string saved = previous ? previous : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  {
    JetDatabase ok(nwind());
    EXPECT_EQ(scalar(ok, "select count(*) from Shippers"), Value::integer(3));
  }
  errorOf([] { JetDatabase db(nwind(), withHelper(fixture("hanging-helper.sh"), 1)); });
  errorOf([] { JetDatabase db(nwind(), withHelper(fixture("failing-helper.sh"))); });
  if (previous)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ImportHelper, IsFoundWithoutBeingNamed) {
  // Looked for beside the binary holding the engine, then where the build put it.
  std::vector<std::string> places = jetimport::helperCandidates("");
  ASSERT_FALSE(places.empty());
  EXPECT_TRUE(std::filesystem::exists(places.back())) << places.back();
  EXPECT_EQ(std::filesystem::path(places.back()).filename(), "mdb2sqlite");
  EXPECT_EQ(jetimport::helperCandidates("/x/y"), (std::vector<std::string>{"/x/y"}));
}
