#pragma once
// Clipbrd: the system clipboard as an object: text, pictures, components and raw formats.
//
// Every operation opens the clipboard, works and closes it again; Open and Close nest, so
// several operations can share one opening (and, while open, only the first one that adds
// data empties the clipboard). A picture goes in the format of its graphic class (a
// bitmap as CF_BITMAP ...); CF_PICTURE stands for "any format some graphic class reads"
// when asked with HasFormat.

#include <windows.h>

#include <functional>
#include <string>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// The formats the unit registers: a pseudo format for "some picture" and the format of
// components stored as a form description.
extern Word CF_PICTURE;
extern Word CF_COMPONENT;

class TClipboard : public TPersistent {
  RTL_DECLARE_CLASS(TClipboard, TPersistent)
public:
  TClipboard() = default;
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // From a TPicture or a TGraphic: the graphic in its format (with its palette).
  void Assign(TPersistent* Source) override;
  // Empties the clipboard.
  void Clear();
  // EOSError-like Exception "Cannot open clipboard" when another program holds it.
  virtual void Open();
  virtual void Close();
  bool HasFormat(Word Format);
  Integer FormatCount();
  // The Index-th format on the clipboard; EListError "List index out of bounds (n)".
  Word Formats(Integer Index);
  // The clipboard's handle of Format (null when absent); the clipboard keeps owning it.
  THandle GetAsHandle(Word Format);
  // Hands Value to the clipboard, which then owns it.
  void SetAsHandle(Word Format, THandle Value);
  std::string AsText();
  void SetAsText(const std::string& Value);
  Integer GetTextBuf(char* Buffer, Integer BufSize);
  void SetTextBuf(const char* Buffer);
  // A component stored with SetComponent, read back with Owner as its owner and Parent as
  // its parent (for a control); null when the clipboard holds none.
  TComponent* GetComponent(TComponent* Owner, TComponent* Parent);
  void SetComponent(TComponent* Component);

protected:
  // Into a TPicture (the first format a graphic class reads) or a TBitmap / TMetafile;
  // EInvalidGraphic "Unsupported clipboard format" when there is nothing suitable.
  void AssignTo(TPersistent* Dest) override;
  void SetBuffer(Word Format, const void* Buffer, Integer Size);

private:
  void adding();
  // Puts the clipboard format Save gives (a graphic's or a picture's) on the clipboard.
  void putGraphic(const std::function<void(Word&, THandle&, HPALETTE&)>& Save);

  Integer openRefCount_ = 0;
  HWND window_ = nullptr;
  bool emptied_ = false;
};

// The program's clipboard object (made on first use, freed at the unit's end).
TClipboard* Clipboard();
// Replaces the clipboard object (for a subclass); returns the previous one, which the
// caller then owns.
TClipboard* SetClipboard(TClipboard* NewClipboard);

namespace ClipbrdUnit {
void Initialize();
void Finalize();
}  // namespace ClipbrdUnit
