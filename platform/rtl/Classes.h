#pragma once
// Classes: the persistent base, pointer / object / interface lists, bit arrays, string
// lists, streams, and the small types the whole class library shares (shift state,
// alignment, bidirectional mode, points and rectangles).
//
// Sections, in order:
//   shared types           TShiftState, TAlignment, TBiDiMode, TPoint/TRect helpers ...
//   persistent base        TPersistent, TInterfacedPersistent
//   lists                  TList, TObjectList, TInterfaceList, TBits
//   string lists           TStrings, TStringList
//   streams                TStream, THandleStream, TFileStream, TCustomMemoryStream,
//                          TMemoryStream, TStringStream, TResourceStream
//   component model        components, collections
//   stored form descriptions  TFiler, TReader, TWriter (binary form), TParser and the text
//                          form, fix-ups of references, integer identifiers, utility
//                          windows and window procedures bound to methods
//
// Indexes are 0-based, as in the class library. An index out of range raises EListError
// (TList family) or EStringListError (string lists) with "List index out of bounds (n)".

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

class TFiler;
class TReader;
class TWriter;
class TComponent;
class TStream;
class TStrings;

// =======================================================================================
// Shared types
// =======================================================================================

// Keyboard and mouse state that accompanies key and mouse events.
RTL_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = Set<TShiftStateItem>;

RTL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
// The left/right part of TAlignment (check boxes and radio buttons use only these two).
using TLeftRight = TAlignment;

RTL_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)

// How a sorted string list treats a string it already holds.
RTL_ENUM(TDuplicates, dupIgnore, dupAccept, dupError)

// What happened to a pointer in a TList (see TList::Notify).
RTL_ENUM(TListNotification, lnAdded, lnExtracted, lnDeleted)

// Origin of TStream::Seek. The older word-valued names are the same values.
RTL_ENUM(TSeekOrigin, soBeginning, soCurrent, soEnd)
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

// TFileStream mode that creates (or truncates) the file; the fmOpen* and fmShare* modes are
// SysUtils'.
constexpr Cardinal fmCreate = 0xFFFF;

// Points, sizes and rectangles are the Win32 structures, so they pass straight to the API.
using TPoint = POINT;
using TRect = RECT;
using TSize = SIZE;

inline TPoint Point(Integer X, Integer Y) {
  TPoint p;
  p.x = X;
  p.y = Y;
  return p;
}

inline TRect Rect(Integer Left, Integer Top, Integer Right, Integer Bottom) {
  TRect r;
  r.left = Left;
  r.top = Top;
  r.right = Right;
  r.bottom = Bottom;
  return r;
}

// The rectangle of the given size whose top-left corner is (ALeft, ATop).
inline TRect Bounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  return Rect(ALeft, ATop, ALeft + AWidth, ATop + AHeight);
}

inline Integer RectWidth(const TRect& R) { return R.right - R.left; }
inline Integer RectHeight(const TRect& R) { return R.bottom - R.top; }

// Reference forms of the Win32 rectangle routines (same rules: the right and bottom edges
// are outside the rectangle; an empty intersection or union gives an all-zero rectangle).
inline bool PtInRect(const TRect& R, const TPoint& P) { return ::PtInRect(&R, P) != FALSE; }
inline bool IntersectRect(TRect& Dest, const TRect& R1, const TRect& R2) {
  return ::IntersectRect(&Dest, &R1, &R2) != FALSE;
}
inline bool UnionRect(TRect& Dest, const TRect& R1, const TRect& R2) { return ::UnionRect(&Dest, &R1, &R2) != FALSE; }
inline bool IsRectEmpty(const TRect& R) { return ::IsRectEmpty(&R) != FALSE; }
inline bool OffsetRect(TRect& R, Integer DX, Integer DY) { return ::OffsetRect(&R, DX, DY) != FALSE; }
inline bool InflateRect(TRect& R, Integer DX, Integer DY) { return ::InflateRect(&R, DX, DY) != FALSE; }

// =======================================================================================
// Persistent base
// =======================================================================================

// The base of objects that can be copied into one another (Assign) and stored in form
// descriptions (DefineProperties, published properties).
class TPersistent : public TObject {
  RTL_DECLARE_CLASS(TPersistent, TObject)
public:
  TPersistent() = default;

  // Copies Source into this object. This base hands the work to Source->AssignTo(this);
  // a class that knows how to copy from some sources overrides Assign and calls the
  // inherited one for the others. Raises EConvertError "Cannot assign a nil to a X" for a
  // null Source.
  virtual void Assign(TPersistent* Source);
  // Dotted path naming this object in messages: the class name, prefixed with the owner's
  // path and '.' when GetOwner gives an owner with a non-empty path. Components override
  // it with their names.
  virtual std::string GetNamePath();
  // The object this one belongs to for naming and storing (a collection's component, a
  // collection item's collection ...); null here.
  virtual TPersistent* GetOwner();

protected:
  // Copies this object into Dest. This base raises EConvertError
  // "Cannot assign a <this class> to a <Dest's class>".
  virtual void AssignTo(TPersistent* Dest);
  // Lets a class store data that is not a published property; the filer calls it while
  // reading or writing the object. Nothing here.
  virtual void DefineProperties(TFiler* Filer);
  // Raises EConvertError "Cannot assign a <Source's class or nil> to a <this class>".
  [[noreturn]] void AssignError(TPersistent* Source);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

// A persistent object that answers IInterface. Its reference counting is its owner's:
// _AddRef and _Release go to the IInterface of GetOwner() as found after construction, and answer -1
// (no counting; the object lives until it is freed) when there is none. The owner is looked
// up in AfterConstruction, so build such objects with New<T>() or a class reference.
class TInterfacedPersistent : public TPersistent, public IInterface {
  RTL_DECLARE_CLASS(TInterfacedPersistent, TPersistent)
public:
  void AfterConstruction() override;

  RTL_IINTERFACE_METHODS

private:
  IInterface* ownerInterface_ = nullptr;
};

// =======================================================================================
// Lists
// =======================================================================================

// The largest count and capacity a list accepts.
constexpr Integer MaxListSize = 0x7FFFFFFF / 16;

// Sort order for TList::Sort: < 0 when Item1 goes first, 0 when equal, > 0 otherwise.
using TListSortCompare = Integer (*)(void* Item1, void* Item2);

// A list of untyped pointers. Null pointers are allowed (Pack removes them).
//
// Notify(ptr, action) is called for every non-null pointer that enters the list (lnAdded:
// Add, Insert, Put), leaves it (lnDeleted: Delete, Clear, Remove, Put's old pointer, a
// shrinking SetCount; called after the pointer is out of the list) or is taken out by
// Extract (lnExtracted). Move and Exchange notify nothing. A list on the heap is cleared in
// BeforeDestruction, while a subclass that overrides Notify still exists, so that subclass
// sees the lnDeleted of the items left at destruction; a list of automatic storage does
// not, unless the subclass calls Clear() in its own destructor.
class TList : public TObject {
  RTL_DECLARE_CLASS(TList, TObject)
public:
  TList() = default;
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  void BeforeDestruction() override;

  // Raises EListError with Msg, where "%d" stands for Data.
  [[noreturn]] static void Error(const std::string& Msg, Integer Data);

  Integer Add(void* Item);
  void Insert(Integer Index, void* Item);
  void Delete(Integer Index);
  // Deletes the first occurrence of Item; its former index, or -1.
  Integer Remove(void* Item);
  // Takes the first occurrence of Item out of the list without an lnDeleted notification
  // (it notifies lnExtracted instead); Item, or null when not in the list.
  void* Extract(void* Item);
  // Removes every item (last to first) and releases the storage.
  virtual void Clear();
  Integer IndexOf(void* Item) const;
  void Exchange(Integer Index1, Integer Index2);
  // Moves the item at CurIndex so that it ends at NewIndex.
  void Move(Integer CurIndex, Integer NewIndex);
  void* First() const;  // EListError when empty
  void* Last() const;
  // Grows the capacity when the list is full; returns this list.
  TList* Expand();
  // Removes the null items.
  void Pack();
  // Sorts with the compare function (quick sort: equal items may change their order).
  void Sort(const std::function<Integer(void*, void*)>& Compare);

  void* Get(Integer Index) const;
  void Put(Integer Index, void* Item);
  void* Items(Integer Index) const { return Get(Index); }
  void SetItems(Integer Index, void* Item) { Put(Index, Item); }
  void* operator[](Integer Index) const { return Get(Index); }

  Integer Count() const { return count_; }
  // A larger count appends null items; a smaller one deletes from the end.
  virtual void SetCount(Integer NewCount);
  Integer Capacity() const { return static_cast<Integer>(items_.size()); }
  // EListError "List capacity out of bounds (n)" below Count or above MaxListSize.
  virtual void SetCapacity(Integer NewCapacity);
  // The storage itself: Count() pointers (valid until the capacity changes).
  void** List() { return items_.data(); }

protected:
  // Capacity steps: 4 while small, then 16, then a quarter of the capacity.
  virtual void Grow();
  virtual void Notify(void* Ptr, TListNotification Action);

private:
  std::vector<void*> items_;  // size() is the capacity
  Integer count_ = 0;
};

// A list of objects that, when OwnsObjects (the default), frees (through Free()) every
// object deleted from it: by Delete, Remove, Clear, a shrinking SetCount, replacement
// through Put/SetItems, and its own destruction. Extract hands the object back unfreed.
class TObjectList : public TList {
  RTL_DECLARE_CLASS(TObjectList, TList)
public:
  TObjectList() = default;
  explicit TObjectList(bool AOwnsObjects) : ownsObjects_(AOwnsObjects) {}
  ~TObjectList() override;

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  // Index of the first object from AStartAt on whose class is AClass (AExact) or inherits
  // from it; -1 when none.
  Integer FindInstanceOf(TClass AClass, bool AExact = true, Integer AStartAt = 0) const;
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

  TObject* Items(Integer Index) const { return static_cast<TObject*>(Get(Index)); }
  void SetItems(Integer Index, TObject* AObject) { Put(Index, AObject); }
  TObject* operator[](Integer Index) const { return Items(Index); }

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }

protected:
  void Notify(void* Ptr, TListNotification Action) override;

private:
  bool ownsObjects_ = true;
};

// A list of interfaces that holds a reference to each: AddRef when an interface enters the
// list, Release when it leaves (Delete, Remove, Clear, replacement, a shrinking SetCount,
// destruction). Null entries are allowed. Get and the other readers return the pointer
// without adding a reference. Every operation runs under the list's lock; Lock/Unlock
// hold it across several calls.
class TInterfaceList : public TObject {
  RTL_DECLARE_CLASS(TInterfaceList, TObject)
public:
  TInterfaceList();
  ~TInterfaceList() override;
  TInterfaceList(const TInterfaceList&) = delete;
  TInterfaceList& operator=(const TInterfaceList&) = delete;

  Integer Add(IInterface* Item);
  void Insert(Integer Index, IInterface* Item);
  void Delete(Integer Index);
  Integer Remove(IInterface* Item);
  void Clear();
  Integer IndexOf(IInterface* Item) const;
  void Exchange(Integer Index1, Integer Index2);
  TInterfaceList* Expand();
  IInterface* First() const;
  IInterface* Last() const;

  IInterface* Get(Integer Index) const;
  void Put(Integer Index, IInterface* Item);
  IInterface* Items(Integer Index) const { return Get(Index); }
  void SetItems(Integer Index, IInterface* Item) { Put(Index, Item); }
  IInterface* operator[](Integer Index) const { return Get(Index); }

  Integer Count() const;
  void SetCount(Integer NewCount);
  Integer Capacity() const;
  void SetCapacity(Integer NewCapacity);

  void Lock() const;
  void Unlock() const;

private:
  class Guard;
  TList list_;
  mutable CRITICAL_SECTION lock_;
};

// An array of bits that grows on demand. Reading a bit at or past Size, or using a
// negative index, raises EBitsError "Bits index out of range"; setting a bit past Size
// grows Size to include it.
class TBits : public TObject {
  RTL_DECLARE_CLASS(TBits, TObject)
public:
  // Index of the first clear bit; Size() when every bit is set.
  Integer OpenBit() const;

  bool Bits(Integer Index) const;
  void SetBits(Integer Index, bool Value);
  bool operator[](Integer Index) const { return Bits(Index); }

  Integer Size() const { return static_cast<Integer>(bits_.size()); }
  // New bits are clear. EBitsError for a negative size.
  void SetSize(Integer Value);

private:
  [[noreturn]] static void Error();
  std::vector<bool> bits_;
};

// =======================================================================================
// String lists
// =======================================================================================

// The abstract list of strings with associated objects. A subclass supplies Get, GetCount,
// Insert, Delete and Clear (and GetObject/PutObject to keep objects); everything else is
// built on them and may be overridden (memo lines, list box items and tree node lists keep
// their strings in a window).
//
// Name=value lines: Names(i) is the text before the first NameValueSeparator ("" when the
// line has none), ValueFromIndex(i) the text after it. Names are matched with
// CompareStrings (without regard to case in this base).
class TStrings : public TPersistent {
  RTL_DECLARE_CLASS(TStrings, TPersistent)
public:
  TStrings() = default;

  // --- The operations a subclass supplies or may override.
  virtual std::string Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer Index) const;  // null here
  // Replaces the string, keeping the object (here: Delete then InsertObject).
  virtual void Put(Integer Index, const std::string& S);
  virtual void PutObject(Integer Index, TObject* AObject);  // ignored here
  virtual Integer GetCapacity() const;  // Count here
  virtual void SetCapacity(Integer NewCapacity);  // ignored here
  virtual void Insert(Integer Index, const std::string& S) = 0;
  virtual void InsertObject(Integer Index, const std::string& S, TObject* AObject);
  virtual void Delete(Integer Index) = 0;
  virtual void Clear() = 0;
  virtual Integer Add(const std::string& S);  // index of the new line
  virtual Integer AddObject(const std::string& S, TObject* AObject);
  // Adds every line of Strings with its object, inside one BeginUpdate/EndUpdate.
  virtual void AddStrings(TStrings* Strings);
  virtual void Exchange(Integer Index1, Integer Index2);
  virtual void Move(Integer CurIndex, Integer NewIndex);
  virtual Integer IndexOf(const std::string& S) const;  // -1 when absent
  virtual Integer IndexOfName(const std::string& Name) const;
  virtual Integer IndexOfObject(TObject* AObject) const;
  // The lines, each followed by CR LF.
  virtual std::string GetTextStr() const;
  // Replaces the lines with those of Value: lines end at CR, LF or CR LF; a final line
  // break adds no empty line; the text ends at a null character.
  virtual void SetTextStr(const std::string& Value);
  virtual void LoadFromStream(TStream* Stream);  // from the stream's position to its end
  virtual void SaveToStream(TStream* Stream);    // Text, bytes as they are
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);  // creates or truncates the file

  // --- Properties.
  Integer Count() const { return GetCount(); }
  Integer Capacity() const { return GetCapacity(); }
  std::string Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const std::string& S) { Put(Index, S); }
  std::string operator[](Integer Index) const { return Get(Index); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
  std::string Names(Integer Index) const;
  // The value of the first line named Name, "" when there is none.
  std::string Values(const std::string& Name) const;
  // Sets the value of the line named Name (adding "Name=Value" when there is none); an
  // empty Value deletes the line.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(Integer Index) const;  // "" for a negative index
  // Sets the value part of line Index; an empty Value deletes the line; a negative Index
  // adds a line.
  void SetValueFromIndex(Integer Index, const std::string& Value);
  char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char Value) { nameValueSeparator_ = Value; }

  std::string Text() const { return GetTextStr(); }
  void SetText(const std::string& Value) { SetTextStr(Value); }
  std::string GetText() const { return GetTextStr(); }

  // The lines separated by Delimiter. A line holding a character <= ' ', the QuoteChar or
  // the Delimiter is written quoted with QuoteChar (inner quotes doubled); a list holding
  // one empty line gives two QuoteChars.
  std::string DelimitedText() const;
  // Replaces the lines by those of Value: items are separated by Delimiter and by blanks
  // (characters <= ' ') outside quotes; a quoted item may hold anything, with the quote
  // doubled; a Delimiter at the very end adds an empty line.
  void SetDelimitedText(const std::string& Value);
  // DelimitedText with ',' and '"' (the list's own Delimiter and QuoteChar are kept).
  std::string CommaText() const;
  // Sets Delimiter to ',' and QuoteChar to '"', then SetDelimitedText.
  void SetCommaText(const std::string& Value);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char Value) { delimiter_ = Value; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char Value) { quoteChar_ = Value; }

  // --- Other operations.
  void Append(const std::string& S) { Add(S); }
  // Same count and the same strings (exact bytes) in the same order.
  bool Equals(TStrings* Strings) const;
  // From another TStrings: its lines and objects, Delimiter, QuoteChar and
  // NameValueSeparator, inside one BeginUpdate/EndUpdate.
  void Assign(TPersistent* Source) override;

  // Updates nest; SetUpdateState(true) is called when the first one starts and
  // SetUpdateState(false) when the last one ends.
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }

protected:
  // Stores the lines as the defined property "Strings" (a list of strings), written when
  // the list has lines or differs from the ancestor's.
  void DefineProperties(TFiler* Filer) override;
  virtual void SetUpdateState(bool Updating);
  // How the list compares strings (IndexOf, IndexOfName, sorting): AnsiCompareText here.
  virtual Integer CompareStrings(const std::string& S1, const std::string& S2) const;
  // Raises EStringListError with Msg, where "%d" stands for Data.
  [[noreturn]] void Error(const std::string& Msg, Integer Data) const;
  // The name part of S ("" when S holds no NameValueSeparator).
  std::string ExtractName(const std::string& S) const;

private:
  std::string delimitedText(char delimiter, char quote) const;
  char delimiter_ = ',';
  char quoteChar_ = '"';
  char nameValueSeparator_ = '=';
  Integer updateCount_ = 0;
};

class TStringList;
// Sort order for TStringList::CustomSort: compares the lines at Index1 and Index2.
using TStringListSortCompare = Integer (*)(TStringList* List, Integer Index1, Integer Index2);

// The string list that keeps its lines itself.
//
// Sorted lists keep their lines in CompareStrings order: Add and AddObject insert at the
// sorted place (Duplicates decides about a string already there: dupIgnore returns the
// existing index, dupError raises EStringListError "String list does not allow
// duplicates", dupAccept adds it), IndexOf uses the binary search Find, and Insert, Put
// and the like raise EStringListError "Operation not allowed on sorted list".
//
// OnChanging fires before and OnChange after every change, except while an update is in
// progress; BeginUpdate fires OnChanging and the matching EndUpdate fires OnChange once.
class TStringList : public TStrings {
  RTL_DECLARE_CLASS(TStringList, TStrings)
public:
  TStringList() = default;
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  std::string Get(Integer Index) const override;
  Integer GetCount() const override { return count_; }
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const std::string& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCapacity() const override { return static_cast<Integer>(items_.size()); }
  // EStringListError "List capacity out of bounds (n)" below Count.
  void SetCapacity(Integer NewCapacity) override;

  Integer Add(const std::string& S) override;
  Integer AddObject(const std::string& S, TObject* AObject) override;
  void Insert(Integer Index, const std::string& S) override;
  void InsertObject(Integer Index, const std::string& S, TObject* AObject) override;
  void Delete(Integer Index) override;
  void Clear() override;
  void Exchange(Integer Index1, Integer Index2) override;
  Integer IndexOf(const std::string& S) const override;

  // Binary search (meaningful on a sorted list): true when S is found, with Index at it
  // (with dupAccept, at the first of equal strings); otherwise Index is where S would be
  // inserted.
  virtual bool Find(const std::string& S, Integer& Index) const;
  // Sorts by CompareStrings (nothing when Sorted is already set).
  virtual void Sort();
  // Sorts with Compare (quick sort; nothing when Sorted is set or Count < 2).
  virtual void CustomSort(const std::function<Integer(TStringList*, Integer, Integer)>& Compare);

  bool Sorted() const { return sorted_; }
  // Switching on sorts the list.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return caseSensitive_; }
  // A sorted list is sorted again in the new order.
  void SetCaseSensitive(bool Value);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TNotifyEvent& Value) { onChanging_ = Value; }

protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  // AnsiCompareStr when CaseSensitive, AnsiCompareText otherwise.
  Integer CompareStrings(const std::string& S1, const std::string& S2) const override;
  // Stores the line at Index without any check (sorted order and duplicates are the
  // caller's business); the place where every insertion ends.
  virtual void InsertItem(Integer Index, const std::string& S, TObject* AObject);

private:
  struct Item {
    std::string String;
    TObject* Object = nullptr;
  };
  void checkIndex(Integer Index) const;
  void exchangeItems(Integer Index1, Integer Index2);
  void grow();
  void quickSort(Integer L, Integer R, const std::function<Integer(TStringList*, Integer, Integer)>& Compare);

  std::vector<Item> items_;  // size() is the capacity
  Integer count_ = 0;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
};

// =======================================================================================
// Streams
// =======================================================================================

// A sequence of bytes with a position. Read and Write move as many bytes as they can and
// return that count; ReadBuffer and WriteBuffer insist on the whole count.
class TStream : public TObject {
  RTL_DECLARE_CLASS(TStream, TObject)
public:
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  // Moves the position; returns the new one.
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  // EReadError "Stream read error" when fewer than Count bytes could be read.
  void ReadBuffer(void* Buffer, Integer Count);
  // EWriteError "Stream write error" when fewer than Count bytes could be written.
  void WriteBuffer(const void* Buffer, Integer Count);
  // Copies Count bytes from Source's position (Count 0: all of Source, from its start);
  // returns the count copied. EReadError when Source holds fewer bytes.
  Int64 CopyFrom(TStream* Source, Int64 Count);

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  // The size as seen by seeking to the end (the position is kept).
  virtual Int64 Size();
  // Nothing here; streams that can change their size override it.
  virtual void SetSize(Int64 NewSize);

  // Stored form descriptions (binary form; see the streaming section at the end of this
  // header). ReadComponent reads a root component into Instance (or builds it when
  // Instance is null); WriteComponent writes Instance as a root; WriteDescendent writes
  // only what differs from Ancestor.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
  void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
  // The same inside a 16-bit resource file entry (RCDATA named after ResName).
  TComponent* ReadComponentRes(TComponent* Instance);
  void WriteComponentRes(const std::string& ResName, TComponent* Instance);
  void WriteDescendentRes(const std::string& ResName, TComponent* Instance, TComponent* Ancestor);
  // Writes the resource entry header with a size to be fixed up; FixupInfo is the position
  // of the data, which FixupResourceHeader needs once the data is written.
  void WriteResourceHeader(const std::string& ResName, Integer& FixupInfo);
  void FixupResourceHeader(Integer FixupInfo);
  // Reads and checks a resource entry header of an RCDATA resource; EInvalidImage
  // "Invalid stream format" when it is not one.
  void ReadResHeader();
};

// A stream over a Win32 file handle it does not own (the handle from SysUtils' FileOpen /
// FileCreate).
class THandleStream : public TStream {
  RTL_DECLARE_CLASS(THandleStream, TStream)
public:
  explicit THandleStream(THandle AHandle) : handle_(AHandle) {}

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  // Moves the end of the file to NewSize; EOSError when the system refuses.
  void SetSize(Int64 NewSize) override;
  THandle Handle() const { return handle_; }

protected:
  THandle handle_;
};

// A stream over a named file, closed when the stream is freed. Mode is fmCreate (create or
// truncate, exclusive) or an fmOpen* access mode or'ed with an fmShare* mode. Failures
// raise EFCreateError 'Cannot create file "<full path>". <system message>' or EFOpenError
// 'Cannot open file "<full path>". <system message>'.
class TFileStream : public THandleStream {
  RTL_DECLARE_CLASS(TFileStream, THandleStream)
public:
  TFileStream(const std::string& FileName, Cardinal Mode);
  // Rights (Unix permissions) have no meaning here and are ignored.
  TFileStream(const std::string& FileName, Cardinal Mode, Cardinal Rights);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::string& FileName() const { return fileName_; }

private:
  std::string fileName_;
};

// Writes a file whole or not at all: Write gets a stream over a new temporary file in the
// target's folder; when it returns, the file is flushed to disk and renamed over FileName.
// If anything fails (the folder refuses the new file, the disk fills up, Write raises), the
// temporary file is removed and the old file stays as it was; the failure is raised as
// EFCreateError 'Cannot create file "<full path>". <reason>' (or Write's own exception).
// A read-only FileName is refused the same way, as creating over it would be.
void SaveFileWhole(const std::string& FileName, const std::function<void(TStream*)>& Write);

// A stream over a block of memory. The position may be set past the end: reading there
// gives nothing. Subclasses decide what writing does and where the memory comes from
// (SetPointer).
class TCustomMemoryStream : public TStream {
  RTL_DECLARE_CLASS(TCustomMemoryStream, TStream)
public:
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return size_; }
  // Writes the whole content (not just from the position) to Stream or to a new file.
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);
  void* Memory() const { return memory_; }

protected:
  // Points the stream at Size bytes at Ptr (the position is kept).
  void SetPointer(void* Ptr, Int64 Size);
  Int64 position_ = 0;

private:
  char* memory_ = nullptr;
  Int64 size_ = 0;
};

// A memory stream that owns and grows its block. Writing past the end extends the stream;
// the capacity grows in steps of 8 KiB. Bytes between the old end and a write made past it
// (or added by SetSize) are zero.
class TMemoryStream : public TCustomMemoryStream {
  RTL_DECLARE_CLASS(TMemoryStream, TCustomMemoryStream)
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  Integer Write(const void* Buffer, Integer Count) override;
  // Resizes (a position past the new end moves to the end).
  void SetSize(Int64 NewSize) override;
  // Empties the stream and frees the block.
  void Clear();
  // Replaces the content with the whole of Stream (read from its start) or of a file. The
  // position is kept, or moved back to the new end when it lies past it.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  Int64 Capacity() const { return capacity_; }

protected:
  void SetCapacity(Int64 NewCapacity);
  // Resizes the block for NewCapacity (which it may round up) and returns it; EStreamError
  // "Out of memory while expanding memory stream" when there is no memory.
  virtual void* Realloc(Int64& NewCapacity);

private:
  Int64 capacity_ = 0;
};

// A stream over a string. Writing replaces everything from the position on (the string
// ends after the last byte written); the position never goes outside the string.
class TStringStream : public TStream {
  RTL_DECLARE_CLASS(TStringStream, TStream)
public:
  explicit TStringStream(const std::string& AString = std::string()) : dataString_(AString) {}

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  void SetSize(Int64 NewSize) override;
  // Up to Count bytes from the position.
  std::string ReadString(Integer Count);
  void WriteString(const std::string& AString);
  const std::string& DataString() const { return dataString_; }

private:
  std::string dataString_;
  Int64 position_ = 0;
};

// A read-only stream over a resource of a module (FindResourceA / LoadResource /
// LockResource). EResNotFound "Resource <name> not found" when the module has no such
// resource; writing raises EStreamError "Can't write to a read-only resource stream".
class TResourceStream : public TCustomMemoryStream {
  RTL_DECLARE_CLASS(TResourceStream, TCustomMemoryStream)
public:
  // ResType is a type name or a MAKEINTRESOURCE number such as RT_RCDATA.
  TResourceStream(HINSTANCE Instance, const std::string& ResName, const char* ResType);
  // The resource with a numeric identifier.
  TResourceStream(HINSTANCE Instance, Integer ResID, const char* ResType);
  static TResourceStream* CreateFromID(HINSTANCE Instance, Integer ResID, const char* ResType) {
    return new TResourceStream(Instance, ResID, ResType);
  }
  TResourceStream(const TResourceStream&) = delete;
  TResourceStream& operator=(const TResourceStream&) = delete;

  Integer Write(const void* Buffer, Integer Count) override;

private:
  void initialize(HINSTANCE Instance, const char* Name, const char* ResType, const std::string& displayName);
};

// =======================================================================================
// Components: ownership, names, free notification, state, and collections.

class TComponent;
class TCollection;
class TCollectionItem;
class TReader;
class TWriter;

RTL_ENUM(TOperation, opInsert, opRemove)
RTL_ENUM(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
         csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = Set<TComponentStateItem>;
RTL_ENUM(TComponentStyleItem, csInheritable, csCheckPropAvail, csSubComponent, csTransient)
using TComponentStyle = Set<TComponentStyleItem>;

// Called for each child a component streams (GetChildren).
using TGetChildProc = std::function<void(TComponent* child)>;

// The base of every component: it is owned by another component (which destroys it),
// owns components in turn, has a name unique among its owner's components, and tells
// the components that asked for it when it goes away (Notification with opRemove).
//
// Teardown: a component is destroyed by Free(), FreeAndNil, `delete`, a unique_ptr or its
// owner; all of these are delete-expressions and go through TObject's destroying delete,
// which calls BeforeDestruction on the complete object before any destructor runs. That is
// where a component says goodbye: it enters csDestroying (with everything it owns), tells
// every free-notification partner and then its owner (Notification opRemove), so each
// receiver still sees its real class (dynamic_cast, ClassName(), virtual calls). The
// destructors that follow only release what the object holds; ~TComponent destroys the
// owned components. A descendant whose teardown must be observed with its full class
// (window handles, focus, events) overrides BeforeDestruction and calls the inherited one;
// it never repeats that work in its destructor.
class TComponent : public TPersistent, public IInterface {
  RTL_DECLARE_CLASS(TComponent, TPersistent)
public:
  using TConstructorArg = TComponent*;

  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  // IInterface: components are not reference counted; interfaces are looked up in the
  // class's interface table.
  RTL_IINTERFACE_METHODS

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // Raises EListError for an index out of range.
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  void SetComponentIndex(int value);
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  void Destroying();
  // The owned component with that name (case-insensitive), or null.
  TComponent* FindComponent(const std::string& AName) const;

  // Asks AComponent to be told (Notification opRemove) when this component goes away,
  // and this component when AComponent goes away.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& NewName);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt value) { FTag = value; }
  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  void SetSubComponent(bool value);

  // Streaming hooks (the reader and writer call these).
  virtual void Loaded();
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  virtual void GetChildren(TGetChildProc Proc, TComponent* Root) {}
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent* Child, int Order) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TComponent* Value) {}
  virtual void Updating();
  virtual void Updated();

  TPersistent* GetOwner() override { return FOwner; }
  std::string GetNamePath() override;

  // State changes used by the reader and the designer.
  void SetDesigning(bool value, bool setChildren = true);
  void SetInline(bool value);
  void SetAncestor(bool value);
  void SetLoading(bool value);     // csLoading
  void SetReading(bool value);     // csReading
  void SetWriting(bool value);     // csWriting
  void SetFixups(bool value);      // csFixups

protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void ValidateInsert(TComponent* AComponent) {}
  void ChangeName(const std::string& NewName) { FName = NewName; }
  void IncludeState(TComponentStateItem s) { FComponentState.Include(s); }
  void ExcludeState(TComponentStateItem s) { FComponentState.Exclude(s); }
  void IncludeStyle(TComponentStyleItem s) { FComponentStyle.Include(s); }
  void ExcludeStyle(TComponentStyleItem s) { FComponentStyle.Exclude(s); }

  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};

private:
  friend class TReader;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void SetReference(bool enable);
  void departing();

  TComponent* FOwner = nullptr;
  std::string FName;
  NativeInt FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  bool FDeparted = false;  // the free notifications and the owner's have been sent
};

using TComponentClass = TClass;

// Builds a component of the class reference with its owner (virtual constructor).
TComponent* CreateComponent(TComponentClass c, TComponent* AOwner);

// ---------------------------------------------------------------------------------------
// Collections: items of one class owned by a collection, with IDs, indexes, display
// names and change notification under a nested update count.

RTL_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting)
using TCollectionItemClass = TClass;

class TCollectionItem : public TPersistent {
  RTL_DECLARE_CLASS(TCollectionItem, TPersistent)
public:
  using TConstructorArg = TCollection*;

  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  virtual void SetCollection(TCollection* Value);
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);
  virtual std::string DisplayName() const;
  virtual void SetDisplayName(const std::string& Value);
  TPersistent* GetOwner() override;
  std::string GetNamePath() override;

protected:
  // Tells the collection this item changed (AllItems: the whole collection changed).
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
  RTL_DECLARE_CLASS(TCollection, TPersistent)
public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError for an index out of range.
  TCollectionItem* Items(int Index) const;
  void SetItem(int Index, TCollectionItem* Value);
  TCollectionItem* FindItemID(int ID) const;
  TCollectionItemClass ItemClass() const { return FItemClass; }
  int NextID() const { return FNextID; }

  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void Assign(TPersistent* Source) override;
  std::string GetNamePath() override;
  std::string PropName();
  void SetPropName(const std::string& v) { FPropName = v; }

protected:
  // Called after a change of one item (Item) or of the whole collection (null), unless
  // updates are suspended.
  virtual void Update(TCollectionItem* Item) {}
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  virtual void SetItemName(TCollectionItem* Item) {}
  void Changed();
  virtual void Added(TCollectionItem* Item) {}
  virtual void Deleting(TCollectionItem* Item) {}

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item, bool checkClass);
  void RemoveItem(TCollectionItem* Item);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
  std::string FPropName;
};

// A collection with an owner (the owner's published property that holds it).
class TOwnedCollection : public TCollection {
  RTL_DECLARE_CLASS(TOwnedCollection, TCollection)
public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};

// =======================================================================================
// Stored form descriptions
// =======================================================================================
//
// A stored form description is a tree of components with their published properties. Its
// binary form (what TReader reads and TWriter writes) is:
//
//   "TPF0"                                   signature
//   component:
//     [0xF0 | flags  [child position]]       only when some flag is set (TFilerFlag bits)
//     class name, component name             short strings (length byte + bytes)
//     { property name, value }               names are short strings, dotted into class
//                                            properties ("Font.Style")
//     0                                      end of the properties
//     { component }                          the children
//     0                                      end of the children
//
// Values start with a TValueType tag. Integers are written with the smallest tag that
// holds them (vaInt8/16/32, vaInt64 beyond 32 bits; little-endian), vaExtended holds the
// 10 bytes of an 80-bit float, vaSingle 4 bytes, vaCurrency the 8-byte scaled integer,
// vaDate an 8-byte double. vaString and vaIdent are short strings, vaLString a 4-byte
// length and the bytes, vaWString a 4-byte count and UTF-16 code units, vaUTF8String a
// 4-byte length and UTF-8 bytes (both wide forms become cp1252 when read as strings).
// vaBinary is a 4-byte length and the bytes; vaSet a list of short-string element names
// ended by an empty name; vaList values up to vaNull; vaCollection items up to vaNull,
// each an optional integer (its order), vaList, its properties and a 0.
//
// The text form (ObjectBinaryToText / ObjectTextToBinary) writes the same tree as
//   object Form1: TForm1          ("inherited" for ffInherited, "inline" for ffInline,
//     Left = 10                    " [n]" after the class name for a child position)
//     Caption = 'Gera'#231#227'o'
//     Font.Style = [fsBold, fsItalic]
//     Items.Strings = (
//       'a'
//       'b')
//     Columns = <
//       item
//         Width = 20
//       end>
//     Data = {
//       0102A0FF}
//     object Button1: TButton
//     end
//   end
// with CR LF line ends and two blanks of indent per level. Floats are written with the
// fewest digits that read back to the same value (to the same double when the value is
// one), always with a '.' or an exponent; Single, Currency and Date values carry the
// suffixes s, c and d. Strings are quoted with '' for a quote; characters outside the
// printable ASCII range are written as #nnn (cp1252 codes; UTF-16 code units in wide
// strings), so the text is pure ASCII; strings longer than 64 characters are split into
// pieces joined by " +" on separate lines. The reader of the text accepts cp1252 text
// and UTF-8 text (with a byte-order mark, or whenever the text is valid UTF-8 holding
// multi-byte sequences), and converts UTF-8 to cp1252.
//
// Reading and writing run on one thread at a time (the main thread in the product).

RTL_ENUM(TValueType, vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
         vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64,
         vaUTF8String)

RTL_ENUM(TFilerFlag, ffInherited, ffChildPos, ffInline)
using TFilerFlags = Set<TFilerFlag>;

RTL_EXCEPTION(EParserError, Exception)

// The procedures of a defined property (TFiler::DefineProperty). They are plain callables,
// so a class may hand a lambda over `this` or bind one of its own methods:
//   Filer->DefineProperty("Extra", [this](TReader* r) { ReadExtra(r); },
//                         [this](TWriter* w) { WriteExtra(w); }, HasExtra());
using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
// The procedures of a binary defined property: they read from / write to a memory stream
// that holds the property's bytes (positioned at 0 for reading).
using TStreamProc = std::function<void(TStream* Stream)>;

// The common base of the reader and the writer.
class TFiler : public TObject {
  RTL_DECLARE_CLASS(TFiler, TObject)
public:
  // BufSize is kept for the class library's signature; the filer reads and writes the
  // stream directly, so a filer may be freed at any time without losing position.
  explicit TFiler(TStream* Stream, Integer BufSize = 4096);

  // Lets a persistent store data that is not a published property (from its
  // DefineProperties). The writer calls WriteData under Name when HasData; the reader
  // calls ReadData when the property being read is Name (without regard to case).
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  // The same for a block of bytes (a vaBinary value).
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  // Nothing to flush: kept for the class library's surface.
  virtual void FlushBuffer() {}

  TStream* Stream() const { return FStream; }
  // The root component being read or written.
  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* Value) { FRoot = Value; }
  // The root that names methods and component references: the root, or an inline frame
  // while its contents are read or written.
  TComponent* LookupRoot() const { return FLookupRoot; }
  // While writing a descendant: the object the current one is compared with (null when
  // none). A DefineProperties that compares its data with the ancestor's reads it here.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }

protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
  bool FIgnoreChildren = false;
};

// Reads the binary form into live components.
//
// ReadRootComponent reads a whole description: the root (Root, or a new instance of the
// registered class the stream names), its properties and its children, which are built
// with their class's virtual constructor and owned by Owner() (the root, or what
// GetChildOwner gives). Classes are found among the root's published fields, through
// OnFindComponentClass, then in the class registry; an unknown one raises EClassNotFound
// "Class TFoo not found". Each component read has csLoading from its creation until its
// Loaded, and csReading while its own data is read; Loaded is called on every component
// read (root first, then in reading order) after the component references are fixed up.
// Published fields of the owner are set when a component gets its name.
//
// A property that fails raises its error with the message "Error reading
// <name path>.<property>: <message>" ("Error reading Form1.Width: ..."): an unknown
// property gives EReadError "Property X does not exist", an unsuitable value EReadError
// "Invalid property value". OnError may handle such an error: the value is then skipped
// and reading goes on (OnError may also pass over a component whose class is unknown or
// whose ancestor is missing: the whole component is then skipped). An error that is not
// handled frees the component being read and the components built after it; once it
// leaves ReadRootComponent every component this read built is gone (the root too when
// the reader built it; a root handed in stays, without the components built into it), so no
// half-built component stays behind.
//
// A collection property's stored items replace the collection's items. Interface
// properties are not stored: a value for one is an invalid property value.
//
// Events are bound by the name of a published method of the lookup root (OnFindMethod
// may supply one; an unknown name raises "Invalid property value"). Component references
// are kept by name and fixed up once the root's data is read: a plain name is a component
// of the lookup root (or the root itself, or a global root such as a data module); a
// dotted name "Root.Comp" is a component of another root found through
// FindGlobalComponent. A reference to a root that does not exist yet stays in the global
// fix-up list until GlobalFixupReferences finds it (every root read calls it).
class TReader : public TFiler {
  RTL_DECLARE_CLASS(TReader, TFiler)
public:
  using TReaderError = TEvent<void(TReader* Reader, const std::string& Message, bool& Handled)>;
  using TFindMethodEvent = TEvent<void(TReader* Reader, const std::string& MethodName, TMethodCode& Address,
                                       bool& Error)>;
  using TSetNameEvent = TEvent<void(TReader* Reader, TComponent* Component, std::string& Name)>;
  using TReferenceNameEvent = TEvent<void(TReader* Reader, std::string& Name)>;
  using TAncestorNotFoundEvent = TEvent<void(TReader* Reader, const std::string& ComponentName,
                                             TClass ComponentClass, TComponent*& Component)>;
  using TFindComponentClassEvent = TEvent<void(TReader* Reader, const std::string& ClassName,
                                               TClass& ComponentClass)>;
  using TCreateComponentEvent = TEvent<void(TReader* Reader, TClass ComponentClass, TComponent*& Component)>;
  using TReadComponentsProc = std::function<void(TComponent* Component)>;

  explicit TReader(TStream* Stream, Integer BufSize = 4096);
  ~TReader() override;
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // --- Components.
  // Reads the signature and a root component (see above); returns the root.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component (with its children) into Component, or into a new component
  // owned by Owner() when Component is null; returns it.
  TComponent* ReadComponent(TComponent* Component);
  // Reads a list of signed components (as the clipboard holds them) owned by AOwner with
  // AParent as parent, handing each to Proc; then fixes up the references.
  void ReadComponents(TComponent* AOwner, TComponent* AParent, TReadComponentsProc Proc);
  // The body of a component: its properties, then its children (TComponent::ReadState
  // calls this; a component that overrides ReadState calls the inherited one).
  void ReadData(TComponent* Instance);
  // One property (name and value) into AInstance.
  void ReadProperty(TPersistent* AInstance);
  // EReadError "Invalid stream format" when the next four bytes are not "TPF0".
  void ReadSignature();
  void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);
  // Collects component references from BeginReferences to EndReferences, fixed up by
  // FixupReferences (ReadRootComponent does all three itself).
  void BeginReferences();
  void FixupReferences();
  void EndReferences();

  // --- Values. The Read* functions raise EReadError "Invalid property value" when the
  // next value is not of a suitable kind, and "Stream read error" at the end of the data.
  TValueType ReadValue();
  TValueType NextValue();  // the next tag, left unread
  void CheckValue(TValueType Value);
  void SkipValue();
  // Whether the next byte is the end of a list (a 0 byte), left unread.
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  Integer ReadInteger();
  Int64 ReadInt64();  // also any smaller integer
  bool ReadBoolean();
  char ReadChar();    // a one-character string
  // Any number (integers too); Single, Currency and Date values are converted.
  Extended ReadFloat();
  float ReadSingle();
  Currency ReadCurrency();
  TDateTime ReadDate();
  // A short string without a tag (names).
  std::string ReadStr();
  // Any string value, as cp1252 (wide and UTF-8 values are converted).
  std::string ReadString();
  std::string ReadWideString();
  // A wide string value as UTF-16 code units (any string value).
  std::u16string ReadWideStringUnits();
  // An identifier value; vaFalse, vaTrue, vaNil and vaNull give "False", "True", "nil"
  // and "Null".
  std::string ReadIdent();
  Variant ReadVariant();
  // The items of a collection; the vaCollection tag has been read by the caller (as
  // ReadValue returned it). Replaces the collection's items, under one BeginUpdate.
  void ReadCollection(TCollection* Collection);
  // A vaSet value of the given set type, as the set's bits.
  Int64 ReadSet(PTypeInfo SetType);
  void Read(void* Buf, Integer Count);
  Int64 Position();
  void SetPosition(Int64 Value);

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  // The parent the components read now get (GetChildParent of the component whose
  // children are read); controls take it in their ReadState.
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  const TReaderError& OnError() const { return FOnError; }
  void SetOnError(const TReaderError& Value) { FOnError = Value; }
  const TFindMethodEvent& OnFindMethod() const { return FOnFindMethod; }
  void SetOnFindMethod(const TFindMethodEvent& Value) { FOnFindMethod = Value; }
  const TSetNameEvent& OnSetName() const { return FOnSetName; }
  void SetOnSetName(const TSetNameEvent& Value) { FOnSetName = Value; }
  const TReferenceNameEvent& OnReferenceName() const { return FOnReferenceName; }
  void SetOnReferenceName(const TReferenceNameEvent& Value) { FOnReferenceName = Value; }
  const TAncestorNotFoundEvent& OnAncestorNotFound() const { return FOnAncestorNotFound; }
  void SetOnAncestorNotFound(const TAncestorNotFoundEvent& Value) { FOnAncestorNotFound = Value; }
  const TFindComponentClassEvent& OnFindComponentClass() const { return FOnFindComponentClass; }
  void SetOnFindComponentClass(const TFindComponentClassEvent& Value) { FOnFindComponentClass = Value; }
  const TCreateComponentEvent& OnCreateComponent() const { return FOnCreateComponent; }
  void SetOnCreateComponent(const TCreateComponentEvent& Value) { FOnCreateComponent = Value; }

protected:
  // Asks OnError; true when it handled the error.
  virtual bool Error(const std::string& Message);
  virtual TMethodCode FindMethod(TComponent* Root, const std::string& MethodName);
  virtual TClass FindComponentClass(const std::string& ClassName);
  virtual TComponent* FindAncestorComponent(const std::string& Name, TClass ComponentClass);
  virtual void SetName(TComponent* Component, std::string& Name);
  virtual void ReferenceName(std::string& Name);
  [[noreturn]] void PropertyError(const std::string& Name);
  [[noreturn]] void PropValueError();

private:
  class Tracker;
  struct Fixup;

  void readDataInner(TComponent* Instance);
  void readPropValue(TPersistent* Instance, PPropInfo PropInfo);
  void readPropertyPath(TPersistent* Instance, const std::string& PropPath);
  TComponent* createComponent(const std::string& ClassName, TFilerFlags Flags);
  void skipComponent(bool SkipHeader);
  void skipProperty();
  void skipBytes(Int64 Count);
  std::string readBytes(Integer Count);
  Integer readLength(Integer UnitSize);
  void resolveFixups();
  void freeCreatedSince(size_t Mark);
  std::string findUniqueName(const std::string& Base);
  void track(TComponent* Component);
  void forget(TComponent* Component);
  void untrackAll();

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  TComponent* FCurrentComponent = nullptr;  // the component whose data is being read
  std::string FPropName;
  bool FCollectingFixups = false;
  std::vector<Fixup> FFixups;
  std::vector<TComponent*> FLoaded;   // components to call Loaded on (null when freed)
  std::vector<TComponent*> FCreated;  // components this reader built (null when freed)
  std::unique_ptr<Tracker> FTracker;  // hears of components freed while reading
  // Tracked components, and whether each had csFreeNotification before the tracking.
  std::vector<std::pair<TComponent*, bool>> FTracked;
  const void* FNamedError = nullptr;  // the exception already named by a ReadProperty
  int FDepth = 0;                     // nesting of values and components being read

  TReaderError FOnError;
  TFindMethodEvent FOnFindMethod;
  TSetNameEvent FOnSetName;
  TReferenceNameEvent FOnReferenceName;
  TAncestorNotFoundEvent FOnAncestorNotFound;
  TFindComponentClassEvent FOnFindComponentClass;
  TCreateComponentEvent FOnCreateComponent;
};

// Writes live components in the binary form.
//
// WriteDescendent(Root, Ancestor) writes Root and, through GetChildren, its children;
// each component writes its stored published properties (GetPropList order, skipping
// those whose stored predicate is false) that differ from their default, or, when an
// ancestor is known, from the ancestor's value, then what its DefineProperties defines.
// Class properties are written by kind: a collection as vaCollection, a component that
// is not a subcomponent as a reference by name ("Comp", or "Owner.Comp" for a component
// of another root), any other persistent (or a subcomponent) as its own properties under
// dotted names ("Font.Style"). Events are written as the names of published methods of
// the lookup root (an event bound elsewhere or to an unpublished method is not written).
// Integer properties whose type has identifiers registered (RegisterIntegerConsts) are
// written as identifiers when the value has one. Interface properties are not written.
class TWriter : public TFiler {
  RTL_DECLARE_CLASS(TWriter, TFiler)
public:
  explicit TWriter(TStream* Stream, Integer BufSize = 4096);
  ~TWriter() override;
  TWriter(const TWriter&) = delete;
  TWriter& operator=(const TWriter&) = delete;

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // --- Components.
  void WriteRootComponent(TComponent* Root);  // WriteDescendent(Root, nullptr)
  void WriteDescendent(TComponent* Root, TComponent* AAncestor);
  // One component (with csWriting while it is written), compared with the ancestor of the
  // same name when an ancestor is being followed.
  void WriteComponent(TComponent* Component);
  // The body of a component: prefix, class and name, properties, children (TComponent::
  // WriteState calls this).
  void WriteData(TComponent* Instance);
  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, Integer AChildPos);
  // The stored published properties and the defined properties of Instance.
  void WriteProperties(TPersistent* Instance);
  // One published property, unless it holds its default (or the ancestor's) value.
  void WriteProperty(TPersistent* Instance, PPropInfo PropInfo);
  // The name of a property about to be written, prefixed with the path of the class
  // property being written ("Font.").
  void WritePropName(const std::string& PropName);

  // --- Values.
  void WriteValue(TValueType Value);
  void WriteListBegin();
  void WriteListEnd();
  void WriteInteger(Integer Value);  // smallest of vaInt8/16/32
  void WriteInteger(Int64 Value);    // vaInt64 only beyond 32 bits
  void WriteBoolean(bool Value);
  void WriteChar(char Value);
  void WriteFloat(Extended Value);
  void WriteSingle(float Value);
  void WriteCurrency(Currency Value);
  void WriteDate(TDateTime Value);
  // A short string without a tag (names; at most 255 bytes, longer ones are cut).
  void WriteStr(const std::string& Value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const std::string& Value);
  // vaWString from cp1252 text, or from UTF-16 code units.
  void WriteWideString(const std::string& Value);
  void WriteWideString(const std::u16string& Value);
  void WriteUTF8String(const std::string& Value);  // from cp1252 text
  // vaIdent; "False", "True", "nil" and "Null" (any case) become vaFalse, vaTrue, vaNil
  // and vaNull.
  void WriteIdent(const std::string& Ident);
  void WriteVariant(const Variant& Value);
  // vaCollection and the items' properties (each in a list).
  void WriteCollection(TCollection* Value);
  // vaSet with the names of the elements of the set type present in Value's bits.
  void WriteSet(PTypeInfo SetType, Int64 Value);
  // vaBinary with what WriteData writes into a memory stream.
  void WriteBinary(const TStreamProc& WriteData);
  void Write(const void* Buf, Integer Count);
  Int64 Position();

  TComponent* RootAncestor() const { return FRootAncestor; }
  void SetRootAncestor(TComponent* Value) { FRootAncestor = Value; }

private:
  void writePropertyValue(TPersistent* Instance, PPropInfo PropInfo, TPersistent* AncestorInstance);
  std::string referenceName(TComponent* Value, TComponent* LookupRoot) const;
  friend bool CollectionsEqual(TCollection* C1, TCollection* C2, TComponent* Owner1, TComponent* Owner2);

  TComponent* FRootAncestor = nullptr;
  std::string FPropPath;
  std::vector<TComponent*>* FAncestorList = nullptr;
  size_t FAncestorPos = 0;
  Integer FChildPos = 0;
};

// Whether two collections would be stored alike (same items with the same properties).
bool CollectionsEqual(TCollection* C1, TCollection* C2, TComponent* Owner1 = nullptr, TComponent* Owner2 = nullptr);

// ---------------------------------------------------------------------------------------
// The text form.

// Token kinds of TParser (other tokens are the character itself: '=', '(', ...).
constexpr char toEOF = 0;
constexpr char toSymbol = 1;
constexpr char toString = 2;
constexpr char toInteger = 3;
constexpr char toFloat = 4;
constexpr char toWString = 5;

// Splits the text form into tokens: identifiers (toSymbol), strings ('...' with '' for a
// quote and #nnn / #$hh characters, pieces written together form one token; toWString
// when a character code is above 255), integers (decimal with an optional '-', or
// hexadecimal "$FF"), floats (with '.' or an exponent, or a suffix s, c or d that
// FloatType gives) and single characters. The whole input is read at construction, from
// the stream's position to its end. Errors raise EParserError "Line <n>: <message>".
class TParser : public TObject {
  RTL_DECLARE_CLASS(TParser, TObject)
public:
  explicit TParser(TStream* Stream);

  // EParserError "'=' expected" (or "Identifier expected" and the like for the kinds).
  void CheckToken(char T);
  // EParserError "<S> expected" unless the token is the identifier S (any case).
  void CheckTokenSymbol(const std::string& S);
  [[noreturn]] void Error(const std::string& Message);
  [[noreturn]] void ErrorStr(const std::string& Message) { Error(Message); }
  // After a '{' token: reads pairs of hex digits (blanks and line breaks between them are
  // skipped) up to the '}' and writes the bytes to Stream. EParserError "Invalid binary
  // value" for anything else.
  void HexToBinary(TStream* Stream);
  char NextToken();
  // Offset of the current token in the text.
  Integer SourcePos() const { return FTokenStart; }
  // The identifier token followed by any ".ident" parts ("Form2.Edit1").
  std::string TokenComponentIdent();
  Extended TokenFloat() const;
  Int64 TokenInt() const;
  // The text of the token (a string token's value in cp1252).
  std::string TokenString() const;
  std::u16string TokenWideString() const;
  bool TokenSymbolIs(const std::string& S) const;
  // The suffix of a float token ('s', 'c', 'd'), 0 when none.
  char FloatType() const { return FFloatType; }
  // Line of the current token, from 1.
  Integer SourceLine() const { return FTokenLine; }
  char Token() const { return FToken; }

private:
  void skipBlanks();
  void scanString();
  void scanNumber();

  std::string FText;
  size_t FPos = 0;
  Integer FLine = 1;
  Integer FTokenStart = 0;
  Integer FTokenLine = 1;
  char FToken = toEOF;
  char FFloatType = 0;
  std::string FTokenText;        // identifier / number text, or a string token in cp1252
  std::u16string FTokenWide;     // a string token as UTF-16
};

RTL_ENUM(TStreamOriginalFormat, sofUnknown, sofBinary, sofText)

// Converts between the binary and the text form (Input from its position; Output at its
// position). A malformed input raises EReadError / EParserError with the reason.
void ObjectBinaryToText(TStream* Input, TStream* Output);
void ObjectTextToBinary(TStream* Input, TStream* Output);
// The same with a resource entry header before the binary form.
void ObjectResourceToText(TStream* Input, TStream* Output);
void ObjectTextToResource(TStream* Input, TStream* Output);
// Which form the stream holds at its position (left unchanged): the binary form (also
// inside a resource entry header), the text form (an "object", "inherited" or "inline"
// keyword after blanks and an optional UTF-8 byte-order mark), or neither.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);

// ---------------------------------------------------------------------------------------
// Reading descriptions from resources and files.
//
// A description resource is an RCDATA resource named after the class of its root. It may
// hold the binary form or the text form (which is converted on the fly).

// The module that holds a class's resources and the module to search for resources: the
// program itself here (one module).
HINSTANCE FindClassHInstance(TClass AClass);
HINSTANCE FindResourceHInstance(HINSTANCE Instance);
// Reads into Instance the description of each class from RootAncestor (excluded) down to
// Instance's class that has a resource; true when at least one was found.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
// Reads the resource ResName into Instance; EResNotFound "Resource X not found".
TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance);
// Builds the root the resource names (its class must be registered).
TComponent* ReadComponentResEx(HINSTANCE HInstance, const std::string& ResName);
// Files holding one resource entry (as WriteComponentResFile writes it).
TComponent* ReadComponentResFile(const std::string& FileName, TComponent* Instance);
void WriteComponentResFile(const std::string& FileName, TComponent* Instance);

// ---------------------------------------------------------------------------------------
// Component references across roots.

// Finds a root component (form, data module ...) by name. The GUI library registers the
// finder that searches its forms and data modules; finders are asked last registered
// first, and the first non-null answer wins.
using TFindGlobalComponent = TComponent* (*)(const std::string& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
TComponent* FindGlobalComponent(const std::string& Name);
bool IsUniqueGlobalComponentName(const std::string& Name);
// The component named by a dotted path below Root ("Panel1.Frame1.Button1": each part is
// an owned component of the previous one); null when any part is missing.
TComponent* FindNestedComponent(TComponent* Root, const std::string& NamePath);

// Resolves the pending references to roots that now exist (and drops those whose root
// exists but lacks the component).
void GlobalFixupReferences();
// Drops the pending references held by components of Root (every root when Root is
// null) to the root named RootName (any root when RootName is empty).
void RemoveFixupReferences(TComponent* Root, const std::string& RootName);
// Adds to Names the names of the roots that components of Root (of any root when Root is
// null) still wait for.
void GetFixupReferenceNames(TComponent* Root, TStrings* Names);

// ---------------------------------------------------------------------------------------
// Integer identifiers: names for integer values of a type (colours, cursors, charsets),
// which form descriptions store as identifiers.

struct TIdentMapEntry {
  Integer Value;
  const char* Name;
};
using TIdentToInt = std::function<bool(const std::string& Ident, Integer& Int)>;
using TIntToIdent = std::function<bool(Integer Int, std::string& Ident)>;

// Lookup in a map: the name without regard to case; false when absent.
bool IdentToInt(const std::string& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(Integer Int, std::string& Ident, const TIdentMapEntry* Map, size_t Count);
template <size_t N> bool IdentToInt(const std::string& Ident, Integer& Int, const TIdentMapEntry (&Map)[N]) {
  return IdentToInt(Ident, Int, Map, N);
}
template <size_t N> bool IntToIdent(Integer Int, std::string& Ident, const TIdentMapEntry (&Map)[N]) {
  return IntToIdent(Int, Ident, Map, N);
}
// Registers the converters of an integer type (its type information identifies it);
// the latest registration of a type wins.
void RegisterIntegerConsts(PTypeInfo IntegerType, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn);
// The converters registered for the type; empty when none.
TIdentToInt FindIdentToInt(PTypeInfo AIntegerType);
TIntToIdent FindIntToIdent(PTypeInfo AIntegerType);

// ---------------------------------------------------------------------------------------
// Window procedures bound to methods.
//
// No C++ exception may leave a window procedure (Wine's frames cannot unwind it). Every
// procedure below catches what the method raises and hands it to
// ApplicationHandleExceptionHook; callbacks elsewhere (hooks, timers, enumerations) do the
// same with handleCallbackException.

using TWndMethod = TEvent<void(TMessage& Message)>;

// Receives the exceptions caught in window procedures and other callbacks. The GUI library
// sets it to its application's HandleException. Empty (the default): EAbort is ignored,
// any other exception is shown in a message box with MB_ICONERROR.
extern std::function<void(const Exception& E)> ApplicationHandleExceptionHook;
// For use inside catch (...) in a callback: hands the exception being handled to the hook
// (a non-Exception C++ exception as an Exception with its what() text). Never throws.
void handleCallbackException() noexcept;

namespace rtl_detail {
// Calls a window method with one message; an exception goes to handleCallbackException.
LRESULT callWndMethod(const TWndMethod& method, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
}  // namespace rtl_detail

// A hidden top-level window (of one registered window class, so it also hears broadcast
// messages such as WM_SETTINGCHANGE) whose messages go to Method; the method sets
// Message.Result and calls DefWindowProc itself for what it does not handle.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// A window procedure that calls Method, for SetWindowLongPtr(GWLP_WNDPROC), dialog and
// hook procedures that want a method. No code is generated at run time: the procedure is
// taken from a fixed pool of compiled procedures, each bound to one slot, so at most 256
// may be in use at once (EOutOfResources "Too many object instances ..." beyond). A message
// that arrives for a freed instance goes to DefWindowProc.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC ObjectInstance);

// Subclasses a window: its messages go to Method through an object instance, and the
// procedure it replaced is returned, for the method to pass on what it does not handle
// (CallWindowProcA) and for RestoreWindowProc. Subclassings stack like any others;
// restore in reverse order.
WNDPROC SubclassWindow(HWND Wnd, TWndMethod Method);
// Puts Previous back as Wnd's procedure and frees the object instance SubclassWindow
// installed (when it is still the window's procedure).
void RestoreWindowProc(HWND Wnd, WNDPROC Previous);

// Unit end: drops the pending global references and the registries, and unregisters the
// utility window class.
namespace ClassesUnit {
void Finalize();
}  // namespace ClassesUnit
