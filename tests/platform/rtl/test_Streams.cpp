// Streams of Classes: memory, file, handle, string and resource streams, and the TStream
// helpers (ReadBuffer, WriteBuffer, CopyFrom, Position, Size).
#include "TestFramework.h"
#include "RtlTestHelpers.h"
#include "platform/rtl/Classes.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string contentOf(TCustomMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void write(TStream& s, const std::string& bytes) { s.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size())); }

std::string read(TStream& s, Integer count) {
  std::string buf(static_cast<size_t>(count), '\0');
  buf.resize(static_cast<size_t>(s.Read(buf.data(), count)));
  return buf;
}

// Temporary files named after the test, removed afterwards.
class FileStreamTest : public ::testing::Test {
protected:
  std::string path(const std::string& name) {
    std::string p = GetTempDir() + "classes-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    created_.push_back(p);
    return p;
  }
  void TearDown() override {
    for (const auto& p : created_) DeleteFile(p);
  }

private:
  std::vector<std::string> created_;
};

}  // namespace

// =======================================================================================
// TMemoryStream

TEST(MemoryStream, CapacityGrowsInWholeBlocksAndKeepsTheContent) {
  TMemoryStream s;
  EXPECT_EQ(s.Capacity(), 0);
  write(s, "x");
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(s.Size(), 1);
  std::string block(8192, 'a');
  write(s, block);
  EXPECT_EQ(s.Capacity(), 16384);
  EXPECT_EQ(s.Size(), 8193);
  EXPECT_EQ(contentOf(s), "x" + block);
  s.Clear();
  EXPECT_EQ(s.Capacity(), 0);
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, SeekOriginsAndPositionsPastTheEnd) {
  TMemoryStream s;
  write(s, "abcdef");
  struct Case {
    Int64 offset;
    TSeekOrigin origin;
    Int64 expected;
  };
  for (const Case& c : {Case{2, soBeginning, 2}, Case{3, soCurrent, 5}, Case{-4, soCurrent, 1}, Case{-1, soEnd, 5},
                        Case{0, soEnd, 6}, Case{4, soEnd, 10}}) {
    EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << "Seek(" << c.offset << ", " << c.origin << ")";
    EXPECT_EQ(s.Position(), c.expected);
  }
  EXPECT_EQ(read(s, 4), "") << "reading past the end gives nothing";
  EXPECT_EQ(s.Size(), 6) << "seeking past the end does not grow the stream";
}

TEST(MemoryStream, WritingPastTheEndZeroFillsTheGap) {
  TMemoryStream s;
  write(s, "abc");
  s.SetPosition(6);
  write(s, "Z");
  EXPECT_EQ(contentOf(s), std::string("abc\0\0\0Z", 7));
  s.SetPosition(1);
  write(s, "XY");
  EXPECT_EQ(contentOf(s), std::string("aXY\0\0\0Z", 7)) << "writing inside overwrites in place";
  EXPECT_EQ(s.Position(), 3);
}

TEST(MemoryStream, ReadTakesWhatIsThereAndReadBufferInsistsOnAll) {
  TMemoryStream s;
  write(s, "1234");
  s.SetPosition(2);
  EXPECT_EQ(read(s, 10), "34");
  s.SetPosition(2);
  char buf[3];
  EXPECT_EQ(messageOf<EReadError>([&] { s.ReadBuffer(buf, 3); }), "Stream read error");
  s.SetPosition(0);
  s.ReadBuffer(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "123");
}

TEST(MemoryStream, SetSizeZeroFillsAndPullsThePositionBack) {
  TMemoryStream s;
  write(s, "abcdef");
  s.SetSize(3);
  EXPECT_EQ(s.Position(), 3) << "a position past the new end moves to the end";
  EXPECT_EQ(contentOf(s), "abc");
  s.SetSize(5);
  EXPECT_EQ(contentOf(s), std::string("abc\0\0", 5));
  EXPECT_EQ(s.Position(), 3);
}

TEST(MemoryStream, LoadFromStreamTakesTheWholeSourceAndSaveToStreamTheWholeContent) {
  TStringStream source("conteúdo");
  source.Seek(0, soEnd);
  TMemoryStream m;
  write(m, "old data that is longer");
  m.LoadFromStream(&source);
  EXPECT_EQ(contentOf(m), "conteúdo");
  EXPECT_EQ(m.Position(), 8) << "the old position, past the new end, moves to the end";

  m.SetPosition(4);
  TStringStream target;
  m.SaveToStream(&target);
  EXPECT_EQ(target.DataString(), "conteúdo") << "SaveToStream ignores the position";
}

// =======================================================================================
// TFileStream and THandleStream

TEST_F(FileStreamTest, CreateWriteReopenAndRead) {
  std::string name = path("data.bin");
  {
    TFileStream f(name, fmCreate);
    write(f, std::string("ab\0\xE7\r\n", 6));
    EXPECT_EQ(f.Size(), 6);
    EXPECT_EQ(f.Position(), 6);
  }
  TFileStream f(name, fmOpenRead);
  EXPECT_EQ(f.Size(), 6);
  f.SetPosition(3);
  EXPECT_EQ(read(f, 10), "\xE7\r\n");
  EXPECT_EQ(f.Seek(-5, soEnd), 1);
  EXPECT_EQ(read(f, 2), std::string("b\0", 2));
}

TEST_F(FileStreamTest, OpenErrorNamesTheFullPathAndTheSystemReason) {
  std::string name = path("absent.bin");
  std::string message = messageOf<EFOpenError>([&] { TFileStream f(name, fmOpenRead); });
  std::string prefix = "Cannot open file \"" + ExpandFileName(name) + "\". ";
  ASSERT_EQ(message.substr(0, prefix.size()), prefix) << message;
  EXPECT_GT(message.size(), prefix.size()) << "the system's reason should follow";
}

TEST_F(FileStreamTest, CreateErrorNamesTheFullPath) {
  std::string name = path("no-such-dir") + "\\file.bin";
  std::string message = messageOf<EFCreateError>([&] { TFileStream f(name, fmCreate); });
  std::string prefix = "Cannot create file \"" + ExpandFileName(name) + "\". ";
  ASSERT_EQ(message.substr(0, prefix.size()), prefix) << message;
  EXPECT_GT(message.size(), prefix.size());
}

TEST_F(FileStreamTest, ShareModesDecideWhoElseMayOpen) {
  std::string name = path("shared.bin");
  {
    TFileStream created(name, fmCreate);
    EXPECT_THROW({ TFileStream other(name, fmOpenRead | fmShareDenyNone); }, EFOpenError) << "fmCreate is exclusive";
  }
  {
    TFileStream reader(name, fmOpenRead | fmShareDenyWrite);
    TFileStream secondReader(name, fmOpenRead | fmShareDenyNone);  // reading is still allowed
    EXPECT_THROW({ TFileStream writer(name, fmOpenReadWrite | fmShareDenyNone); }, EFOpenError)
        << "writers are denied";
  }
  TFileStream a(name, fmOpenReadWrite | fmShareDenyNone);
  TFileStream b(name, fmOpenReadWrite | fmShareDenyNone);
  write(a, "shared");
  EXPECT_EQ(b.Size(), 6);
}

TEST_F(FileStreamTest, WritingAReadOnlyStreamRaisesWriteError) {
  std::string name = path("readonly.bin");
  { TFileStream f(name, fmCreate); }
  TFileStream f(name, fmOpenRead);
  EXPECT_EQ(messageOf<EWriteError>([&] { write(f, "x"); }), "Stream write error");
}

TEST_F(FileStreamTest, SetSizeMovesTheEndOfTheFile) {
  std::string name = path("resize.bin");
  TFileStream f(name, fmCreate);
  write(f, "0123456789");
  f.SetSize(4);
  EXPECT_EQ(f.Size(), 4);
  f.SetPosition(0);
  EXPECT_EQ(read(f, 10), "0123");
}

TEST_F(FileStreamTest, HandleStreamWorksOnAHandleItDoesNotOwn) {
  std::string name = path("handle.bin");
  THandle h = FileCreate(name);
  ASSERT_NE(h, InvalidHandle);
  {
    THandleStream s(h);
    write(s, "handle");
    EXPECT_EQ(s.Size(), 6);
  }
  EXPECT_EQ(FileSeek(h, Int64(0), 0), 0) << "the handle should still be open after the stream is gone";
  FileClose(h);
}

// =======================================================================================
// CopyFrom

TEST(StreamCopy, CountZeroCopiesTheWholeSourceFromItsStart) {
  TStringStream source("0123456789");
  source.Seek(0, soEnd);
  TMemoryStream target;
  write(target, ">");
  EXPECT_EQ(target.CopyFrom(&source, 0), 10);
  EXPECT_EQ(contentOf(target), ">0123456789");
}

TEST(StreamCopy, CountCopiesFromTheSourcePosition) {
  TStringStream source("0123456789");
  source.SetPosition(3);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(&source, 4), 4);
  EXPECT_EQ(contentOf(target), "3456");
  EXPECT_EQ(source.Position(), 7);
  EXPECT_EQ(messageOf<EReadError>([&] { target.CopyFrom(&source, 4); }), "Stream read error")
      << "only 3 bytes were left";
}

TEST(StreamCopy, LargeCopiesGoThroughInPieces) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 % 251);
  TStringStream source(data);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(&source, 0), static_cast<Int64>(data.size()));
  EXPECT_TRUE(contentOf(target) == data) << "the copied bytes differ from the source";
}

// =======================================================================================
// TStringStream

TEST(StringStream, ReadStringTakesUpToCountFromThePosition) {
  TStringStream s("Olá mundo");
  EXPECT_EQ(s.ReadString(3), "Olá");
  EXPECT_EQ(s.Position(), 3);
  EXPECT_EQ(s.ReadString(100), " mundo");
  EXPECT_EQ(s.ReadString(5), "");
  EXPECT_EQ(s.Size(), 9);
}

TEST(StringStream, WritingEndsTheStringAfterTheBytesWritten) {
  TStringStream s("abcdef");
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXY");
  s.WriteString("ção");
  EXPECT_EQ(s.DataString(), "abXYção");
  EXPECT_EQ(s.Position(), 7);
}

TEST(StringStream, SeekStaysInsideTheString) {
  TStringStream s("12345");
  struct Case {
    Int64 offset;
    TSeekOrigin origin;
    Int64 expected;
  };
  for (const Case& c : {Case{9, soBeginning, 5}, Case{-9, soCurrent, 0}, Case{-2, soEnd, 3}, Case{2, soEnd, 5},
                        Case{1, soBeginning, 1}, Case{2, soCurrent, 3}})
    EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << "Seek(" << c.offset << ", " << c.origin << ")";
  s.SetSize(2);
  EXPECT_EQ(s.DataString(), "12");
  EXPECT_EQ(s.Position(), 2);
}

// =======================================================================================
// TResourceStream

TEST(ResourceStream, MissingResourceRaisesResNotFound) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(messageOf<EResNotFound>([&] { TResourceStream s(self, "NO_SUCH_FORM", RT_RCDATA); }),
            "Resource NO_SUCH_FORM not found");
  EXPECT_EQ(messageOf<EResNotFound>([&] { delete TResourceStream::CreateFromID(self, 4242, RT_RCDATA); }),
            "Resource 4242 not found");
}

TEST(ResourceStream, ReadsTheResourceBytesAndRefusesWrites) {
  // Every system module carries its version resource (id 1): a VS_VERSIONINFO block whose
  // first word is its own length and whose key is "VS_VERSION_INFO" in UTF-16.
  HINSTANCE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  TResourceStream s(kernel, 1, RT_VERSION);
  Word length = 0;
  s.ReadBuffer(&length, sizeof(length));
  EXPECT_EQ(length, s.Size());
  s.SetPosition(6);
  std::string key = read(s, 30);
  std::string expected;
  for (char c : std::string("VS_VERSION_INFO")) expected += std::string{c, '\0'};
  EXPECT_TRUE(key == expected) << "the stream should expose the resource's bytes";
  EXPECT_EQ(messageOf<EStreamError>([&] { write(s, "x"); }), "Can't write to a read-only resource stream");
}

// =======================================================================================
// Saving a file whole or not at all

namespace {

// A folder of its own, so a test can see every file a save leaves behind.
class SaveWholeTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = GetTempDir() + "save-whole-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& name : files()) {
      SetFileAttributesA((folder_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((folder_ + name).c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }
  std::string file(const std::string& name) const { return folder_ + name; }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder_ + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::string n = data.cFileName;
      if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
  }
  static std::string contents(const std::string& path) {
    TFileStream f(path, fmOpenRead);
    std::string bytes(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    return bytes;
  }
  void put(const std::string& path, const std::string& bytes) {
    TFileStream f(path, fmCreate);
    write(f, bytes);
  }

private:
  std::string folder_;
};

}  // namespace

TEST_F(SaveWholeTest, ASaveReplacesTheOldContentWholeAndLeavesNoOtherFile) {
  std::string name = file("arvore.txt");
  put(name, std::string(10000, 'v'));  // longer than the new content: nothing of it may remain
  SaveFileWhole(name, [](TStream* s) { write(*s, "In\xEDcio\r\n\tcat = 'a'\r\n"); });
  EXPECT_EQ(contents(name), "In\xEDcio\r\n\tcat = 'a'\r\n");
  EXPECT_EQ(files(), std::vector<std::string>{"arvore.txt"}) << "the temporary file is gone";

  // A new file is created the same way.
  SaveFileWhole(file("novo.txt"), [](TStream* s) { write(*s, "x"); });
  EXPECT_EQ(contents(file("novo.txt")), "x");
}

TEST_F(SaveWholeTest, AFailedWriteLeavesTheOldFileAsItWas) {
  std::string name = file("Prj_Movandi.ini");
  put(name, "[Principal]\r\nQtdeCategorias=20\r\n");
  // The writer fails half way, as a full disk does.
  std::string message = messageOf<EFCreateError>([&] {
    SaveFileWhole(name, [](TStream* s) {
      write(*s, "[Principal]\r\n");
      throw EWriteError("Stream write error");
    });
  });
  EXPECT_NE(message.find(ExpandFileName(name)), std::string::npos) << message;
  EXPECT_EQ(contents(name), "[Principal]\r\nQtdeCategorias=20\r\n");
  EXPECT_EQ(files(), std::vector<std::string>{"Prj_Movandi.ini"}) << "the temporary file is removed";

  // Any other exception of the writer passes through, with the same guarantee.
  EXPECT_THROW(SaveFileWhole(name, [](TStream*) { throw EAbort("parado"); }), EAbort);
  EXPECT_EQ(contents(name), "[Principal]\r\nQtdeCategorias=20\r\n");
  EXPECT_EQ(files().size(), 1u);
}

TEST_F(SaveWholeTest, AReadOnlyFileOrAMissingFolderIsRefusedAndNothingChanges) {
  std::string name = file("relatorio.rtf");
  put(name, "{\\rtf1 antigo}");
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
  std::string message = messageOf<EFCreateError>([&] { SaveFileWhole(name, [](TStream* s) { write(*s, "novo"); }); });
  EXPECT_EQ(message.rfind("Cannot create file \"" + ExpandFileName(name) + "\". ", 0), 0u) << message;
  EXPECT_EQ(contents(name), "{\\rtf1 antigo}");
  EXPECT_EQ(files().size(), 1u);

  std::string lost = file("sem-pasta") + "\\a.txt";
  EXPECT_THROW(SaveFileWhole(lost, [](TStream* s) { write(*s, "novo"); }), EFCreateError);
}

TEST_F(SaveWholeTest, StringListsAndMemoryStreamsSaveWhole) {
  std::string name = file("lista.txt");
  put(name, std::string(500, 'z'));
  TStringList list;
  list.Add("um");
  list.Add("dois");
  list.SaveToFile(name);
  EXPECT_EQ(contents(name), "um\r\ndois\r\n");
  TMemoryStream mem;
  write(mem, "abc");
  mem.SaveToFile(name);
  EXPECT_EQ(contents(name), "abc");
  EXPECT_EQ(files().size(), 1u);
}
