// Clipbrd: the clipboard object.
#include "platform/gui/Clipbrd.h"

#include <cstring>
#include "platform/rtl/Scoped.h"

Word CF_PICTURE = 0;
Word CF_COMPONENT = 0;

namespace {

TClipboard* clipboard = nullptr;

}  // namespace

TClipboard::~TClipboard() {
  while (openRefCount_ > 0) Close();
}

void TClipboard::Open() {
  if (openRefCount_ == 0) {
    window_ = AllocateHWnd(TWndMethod());
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
      opened = OpenClipboard(window_) != FALSE;
      if (!opened) Sleep(10);
    }
    if (!opened) {
      DeallocateHWnd(window_);
      window_ = nullptr;
      throw Exception("Cannot open clipboard");
    }
    emptied_ = false;
  }
  ++openRefCount_;
}

void TClipboard::Close() {
  if (openRefCount_ == 0) return;
  if (--openRefCount_ == 0) {
    CloseClipboard();
    if (window_) DeallocateHWnd(window_);
    window_ = nullptr;
  }
}

void TClipboard::adding() {
  // The first data added while the clipboard is open replaces what it held.
  if (openRefCount_ != 0 && !emptied_) {
    Clear();
    emptied_ = true;
  }
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  Close();
}

bool TClipboard::HasFormat(Word Format) {
  if (IsClipboardFormatAvailable(Format)) return true;
  if (Format != CF_PICTURE) return false;
  Open();
  bool found = false;
  for (UINT f = EnumClipboardFormats(0); f && !found; f = EnumClipboardFormats(f))
    found = TPicture::SupportsClipboardFormat(static_cast<Word>(f));
  Close();
  return found;
}

Integer TClipboard::FormatCount() { return CountClipboardFormats(); }

Word TClipboard::Formats(Integer Index) {
  Open();
  UINT format = 0;
  Integer i = 0;
  for (format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format), ++i)
    if (i == Index) break;
  Close();
  if (Index < 0 || !format) throw EListError(Format("List index out of bounds (%d)", Index));
  return static_cast<Word>(format);
}

THandle TClipboard::GetAsHandle(Word Format) {
  Open();
  HANDLE h = GetClipboardData(Format);
  Close();
  return reinterpret_cast<THandle>(h);
}

void TClipboard::SetAsHandle(Word Format, THandle Value) {
  Open();
  {
    ScopeExit atEnd([&] { Close(); });
    adding();
    SetClipboardData(Format, reinterpret_cast<HANDLE>(Value));
  }
}

void TClipboard::SetBuffer(Word Format, const void* Buffer, Integer Size) {
  Open();
  {
    ScopeExit atEnd([&] { Close(); });
    adding();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(std::max(Size, 1)));
    if (!data) throw EOutOfMemory("Out of memory for the clipboard");
    void* p = GlobalLock(data);
    if (Size > 0) std::memcpy(p, Buffer, static_cast<size_t>(Size));
    GlobalUnlock(data);
    if (!SetClipboardData(Format, data)) {
      GlobalFree(data);
      RaiseLastOSError();
    }
  }
}

std::string TClipboard::AsText() {
  std::string result;
  Open();
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      SIZE_T size = GlobalSize(data);
      result.assign(p, strnlen(p, size));
      GlobalUnlock(data);
    }
  }
  Close();
  return result;
}

void TClipboard::SetAsText(const std::string& Value) {
  SetBuffer(CF_TEXT, Value.c_str(), static_cast<Integer>(Value.size()) + 1);
}

Integer TClipboard::GetTextBuf(char* Buffer, Integer BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  std::string text = AsText();
  Integer n = std::min<Integer>(static_cast<Integer>(text.size()), BufSize - 1);
  std::memcpy(Buffer, text.data(), static_cast<size_t>(n));
  Buffer[n] = '\0';
  return n;
}

void TClipboard::SetTextBuf(const char* Buffer) { SetAsText(Buffer ? Buffer : ""); }

void TClipboard::SetComponent(TComponent* Component) {
  TMemoryStream stream;
  stream.WriteComponent(Component);
  SetBuffer(CF_COMPONENT, stream.Memory(), static_cast<Integer>(stream.Size()));
}

TComponent* TClipboard::GetComponent(TComponent* Owner, TComponent* Parent) {
  TMemoryStream stream;
  Open();
  {
    ScopeExit atEnd([&] { Close(); });
    if (HANDLE data = GetClipboardData(CF_COMPONENT)) {
      if (const void* p = GlobalLock(data)) {
        stream.WriteBuffer(p, static_cast<Integer>(GlobalSize(data)));
        GlobalUnlock(data);
      }
    }
  }
  if (stream.Size() == 0) return nullptr;
  stream.SetPosition(0);
  TComponent* component = stream.ReadComponent(nullptr);
  if (Owner && component->Owner() != Owner) Owner->InsertComponent(component);
  if (Parent) component->SetParentComponent(Parent);
  return component;
}

void TClipboard::putGraphic(const std::function<void(Word&, THandle&, HPALETTE&)>& Save) {
  Word format = 0;
  THandle data = 0;
  HPALETTE palette = nullptr;
  Open();
  {
    ScopeExit atEnd([&] { Close(); });
    adding();
    Save(format, data, palette);
    SetClipboardData(format, reinterpret_cast<HANDLE>(data));
    if (palette) SetClipboardData(CF_PALETTE, palette);
  }
}

void TClipboard::Assign(TPersistent* Source) {
  if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    putGraphic([picture](Word& f, THandle& d, HPALETTE& p) { picture->SaveToClipboardFormat(f, d, p); });
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    putGraphic([graphic](Word& f, THandle& d, HPALETTE& p) { graphic->SaveToClipboardFormat(f, d, p); });
    return;
  }
  TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  auto loadFirstReadable = [this](const std::function<bool(Word)>& Accepts,
                                  const std::function<void(Word, THandle, HPALETTE)>& Load) {
    Open();
    try {
      for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
        if (!Accepts(static_cast<Word>(f))) continue;
        auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
        Load(static_cast<Word>(f), reinterpret_cast<THandle>(GetClipboardData(f)), palette);
        Close();
        return;
      }
    } catch (...) {
      Close();
      throw;
    }
    Close();
    throw EInvalidGraphic("Unsupported clipboard format");
  };
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    loadFirstReadable([](Word f) { return TPicture::SupportsClipboardFormat(f); },
                      [picture](Word f, THandle d, HPALETTE p) { picture->LoadFromClipboardFormat(f, d, p); });
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    loadFirstReadable([](Word f) { return f == CF_BITMAP || f == CF_DIB; },
                      [bitmap](Word f, THandle d, HPALETTE p) { bitmap->LoadFromClipboardFormat(f, d, p); });
    return;
  }
  if (auto* metafile = dynamic_cast<TMetafile*>(Dest)) {
    loadFirstReadable([](Word f) { return f == CF_ENHMETAFILE || f == CF_METAFILEPICT; },
                      [metafile](Word f, THandle d, HPALETTE p) { metafile->LoadFromClipboardFormat(f, d, p); });
    return;
  }
  TPersistent::AssignTo(Dest);
}

TClipboard* Clipboard() {
  if (!clipboard) clipboard = new TClipboard();
  return clipboard;
}

TClipboard* SetClipboard(TClipboard* NewClipboard) {
  TClipboard* old = clipboard;
  clipboard = NewClipboard;
  return old;
}

RTL_IMPLEMENT_CLASS(TClipboard)

namespace ClipbrdUnit {

void Initialize() {
  CF_PICTURE = static_cast<Word>(RegisterClipboardFormatA("TPicture"));
  CF_COMPONENT = static_cast<Word>(RegisterClipboardFormatA("TComponent"));
}

void Finalize() {
  delete clipboard;
  clipboard = nullptr;
}

}  // namespace ClipbrdUnit
