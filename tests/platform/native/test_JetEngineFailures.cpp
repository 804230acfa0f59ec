// Bad input never crashes or hangs the program: every failure is a DatabaseError that says
// what went wrong and names the file.
#include "platform/native/JetEngine.h"
#include "platform/native/JetImport.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace native;
using namespace nativetest;

namespace {

OpenOptions withHelper(const std::string& helper, int32_t seconds = 10) {
  OpenOptions o;
  o.importHelper = helper;
  o.importTimeoutSeconds = seconds;
  return o;
}

// Opens a damaged copy: it must either open (and then every table reads or fails cleanly) or
// fail with a DatabaseError naming the file.
void expectOpensOrFailsCleanly(const std::string& path, const std::string& label) {
  OpenOptions o;
  o.importTimeoutSeconds = 20;
  try {
    JetDatabase db(path, o);
    for (const std::string& table : db.tables()) {
      try {
        db.query("select * from [" + table + "]");
      } catch (const DatabaseError&) {
      }
    }
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << label << ": " << e.what();
  }
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
      {65536, "cannot read table"},
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

TEST(BadInput, BitFlippedCopiesOfAnAccessFile) {
  TempDir dir;
  const std::string whole = readFile(nwind());
  ASSERT_EQ(whole.size(), 3002368u) << "the intact copy of nwind.mdb";
  auto damaged = [&](const std::string& name, auto&& damage) {
    std::string bytes = whole;
    damage(bytes);
    std::string path = dir.file(name);
    writeFile(path, bytes);
    return path;
  };
  // Damage that no reader could get past.
  std::string version = damaged("versao.mdb", [](std::string& b) { b[0x14] = 0x7F; });
  EXPECT_NE(errorOf([&] { JetDatabase db(version); }).find("damaged beyond reading"), std::string::npos);
  std::string catalog = damaged("catalogo.mdb", [](std::string& b) {
    for (size_t i = 2048; i < 40 * 2048; ++i) b[i] = static_cast<char>(~b[i]);
  });
  EXPECT_NE(errorOf([&] { JetDatabase db(catalog); }).find("list of tables"), std::string::npos);

  // Scattered flips, bursts in the table definitions, pages of noise: whatever each copy gives,
  // it is an open database or a clean error.
  uint64_t state = 12345;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  for (int copy = 0; copy < 24; ++copy) {
    std::string path = damaged("virado-" + std::to_string(copy) + ".mdb", [&](std::string& b) {
      switch (copy % 3) {
        case 0:
          for (int i = 0; i < 200; ++i) b[next() % b.size()] ^= static_cast<char>(1 << (next() % 8));
          break;
        case 1:
          for (int i = 0; i < 2000; ++i) b[2048 + next() % (65536 - 2048)] ^= static_cast<char>(1 << (next() % 8));
          break;
        default: {
          size_t page = next() % (b.size() / 2048);
          for (size_t i = 0; i < 2048; ++i) b[page * 2048 + i] = static_cast<char>(next());
        }
      }
    });
    expectOpensOrFailsCleanly(path, "copy " + std::to_string(copy));
  }
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
