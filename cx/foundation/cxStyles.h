#pragma once
// Style objects and style sets. A TcxStyle carries a bitmap, a background colour, a font
// and a text colour, each marked as assigned or not; styles live in a TcxStyleRepository;
// a view keeps a style set (TcxStyles) that maps element indexes (content, header ...)
// to styles and may fall back to a shared style sheet for every index it does not set
// itself. When an element is painted the set merges an explicitly given style, the
// indexed style and the view's defaults value by value (GetVisualParams).
//
// Also here: the text converters with which stored form descriptions keep values
// (hexadecimal text, "TRUE"/"FALSE", set text).
//
// Styles, sets and sheets keep each other informed: destroying any of them detaches it
// from all the others first, so no dangling reference remains. GUI thread only.

#include <string>
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxControls.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

class TcxCustomStyles;
class TcxCustomStyleSheet;
class TcxStyleRepository;

RTL_ENUM(TcxStyleValue, svBitmap, svColor, svFont, svTextColor)
using TcxStyleValues = Set<TcxStyleValue>;

// The visual parameters of one element: clDefault and null mean "not given".
struct TcxViewParams {
  TBitmap* Bitmap = nullptr;
  TColor Color = clDefault;
  TFont* Font = nullptr;
  TColor TextColor = clDefault;
};

// ---------------------------------------------------------------------------------------
// Styles.

// The base of styles: knows the style sets that use it and the repository it belongs to.
class TcxCustomStyle : public TComponent {
  RTL_DECLARE_CLASS(TcxCustomStyle, TComponent)
public:
  explicit TcxCustomStyle(TComponent* AOwner) : TComponent(AOwner) {}
  // Every using set is told StyleRemoved (last user first), then the style leaves its
  // repository.
  ~TcxCustomStyle() override;

  // Tells every using set StyleChanged, walking the users from the last to the first.
  virtual void Changed();
  // Appended when not yet present.
  virtual void AddUser(TcxCustomStyles* AStyles);
  virtual void RemoveUser(TcxCustomStyles* AStyles);
  virtual void ResetValues() {}

  TcxStyleRepository* Repository() const { return FRepository; }
  // Leaves the old repository's list and joins the new one's.
  void SetRepository(TcxStyleRepository* Value);
  Integer UserCount() const { return static_cast<Integer>(FUsers.size()); }

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  // Outside loading, moves the style into that repository.
  void SetParentComponent(TComponent* Value) override;

private:
  friend class TcxStyleRepository;
  std::vector<TcxCustomStyles*> FUsers;
  TcxStyleRepository* FRepository = nullptr;
};

// A style: bitmap, colour, font and text colour with their assigned-value flags. The
// bitmap and the font are owned and watched: a change of the bitmap sets or clears
// svBitmap by whether it is now empty, a change of the font sets svFont; each then calls
// Changed.
class TcxStyle : public TcxCustomStyle {
  RTL_DECLARE_CLASS(TcxStyle, TcxCustomStyle)
public:
  explicit TcxStyle(TComponent* AOwner);
  ~TcxStyle() override;

  // From another style: Bitmap, Color, Font and TextColor through their writers, then
  // AssignedValues. Other sources go to the class library.
  void Assign(TPersistent* Source) override;
  // No assigned values, an empty bitmap, both colours clDefault (the font keeps its
  // values), then Changed.
  void ResetValues() override;

  TcxStyleValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxStyleValues Value);
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);
  TColor Color() const { return FColor; }
  // clDefault removes svColor, any other colour assigns it.
  void SetColor(TColor Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  bool IsBitmapStored() const { return FAssignedValues.Contains(svBitmap); }
  bool IsColorStored() const { return FAssignedValues.Contains(svColor); }
  bool IsFontStored() const { return FAssignedValues.Contains(svFont); }
  bool IsTextColorStored() const { return FAssignedValues.Contains(svTextColor); }

private:
  void BitmapChanged(TObject* Sender);
  void FontChanged(TObject* Sender);

  TcxStyleValues FAssignedValues;
  TBitmap* FBitmap;
  TColor FColor = clDefault;
  TFont* FFont;
  TColor FTextColor = clDefault;
};

// ---------------------------------------------------------------------------------------
// Repository.

// Holds styles and style sheets, each list in insertion order without duplicates.
// Destroying it frees every style (last first), then every sheet (last first).
class TcxStyleRepository : public TComponent {
  RTL_DECLARE_CLASS(TcxStyleRepository, TComponent)
public:
  explicit TcxStyleRepository(TComponent* AOwner) : TComponent(AOwner) {}
  ~TcxStyleRepository() override;

  // Creates a style of the class with the repository (or AOwner) as owner and puts it
  // into this repository.
  virtual TcxCustomStyle* CreateItem(TClass AStyleClass);
  virtual TcxCustomStyle* CreateItemEx(TClass AStyleClass, TComponent* AOwner);
  virtual TcxCustomStyleSheet* CreateStyleSheet(TClass ASheetClass);
  virtual TcxCustomStyleSheet* CreateStyleSheetEx(TClass ASheetClass, TComponent* AOwner);

  void AddItem(TcxCustomStyle* AItem);
  void RemoveItem(TcxCustomStyle* AItem);
  void AddStyleSheet(TcxCustomStyleSheet* AStyleSheet);
  void RemoveStyleSheet(TcxCustomStyleSheet* AStyleSheet);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer StyleSheetCount() const { return static_cast<Integer>(FStyleSheets.size()); }
  TcxCustomStyle* Items(Integer Index) const;
  TcxCustomStyleSheet* StyleSheets(Integer Index) const;

  // Streaming: every style, then every sheet, whose owner is Root.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

private:
  std::vector<TcxCustomStyle*> FItems;
  std::vector<TcxCustomStyleSheet*> FStyleSheets;
};

// ---------------------------------------------------------------------------------------
// Style sets.

// One (element index, style) pair of a style set.
struct TcxStylesPair {
  Integer Index;
  TcxCustomStyle* Item;
};

// A map from element indexes to styles, sorted by index, with at most one pair per index,
// falling back to a style sheet's set for indexes it does not set itself.
class TcxCustomStyles : public TcxInterfacedPersistent {
  RTL_DECLARE_CLASS(TcxCustomStyles, TcxInterfacedPersistent)
public:
  explicit TcxCustomStyles(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {}
  ~TcxCustomStyles() override;

  // Hooks after the style of an index changed: nothing here; descendants repaint.
  virtual void Changed(Integer AIndex) {}
  // Nothing while destroying; otherwise Changed and, for a sheet's own set, the sheet's
  // StyleChanged.
  virtual void NotifyChanged(Integer AIndex);

  // Binary search: true with the pair's position, or false with the insertion point.
  bool FindIndex(Integer AIndex, Integer& APosition) const;
  // The set's own style of the index, else the sheet chain's (not while the owning
  // component is being written, so that writing stores only own pairs); null when none.
  TcxCustomStyle* GetStyle(Integer AIndex) const;
  // Nothing when AStyle equals GetStyle (a style equal to the inherited one creates no
  // pair); null deletes the own pair.
  void SetStyle(Integer AIndex, TcxCustomStyle* AStyle);
  void StyleChanged(TcxCustomStyle* AStyle);
  void StyleRemoved(TcxCustomStyle* AStyle);
  void Clear();
  Integer PairCount() const { return static_cast<Integer>(FPairs.size()); }
  const TcxStylesPair& PairAt(Integer APosition) const;

  TcxCustomStyleSheet* StyleSheet() const { return FStyleSheet; }
  // Nothing when unchanged or refused by CanUseStyleSheet. Otherwise every index defined
  // anywhere in the old chain, then in the new chain (each once), is notified.
  void SetStyleSheet(TcxCustomStyleSheet* Value);
  // Null is always usable; otherwise not the set's own sheet, a sheet whose set class is
  // exactly this set's class, and no cycle through the fallback chain.
  bool CanUseStyleSheet(TcxCustomStyleSheet* AStyleSheet) const;
  TcxCustomStyleSheet* OwnerStyleSheet() const { return FOwnerStyleSheet; }
  void SetOwnerStyleSheet(TcxCustomStyleSheet* Value) { FOwnerStyleSheet = Value; }
  bool Destroying() const { return FDestroying; }

  // Takes over the source set's StyleSheet only; other sources are ignored.
  virtual void AssignFrom(TPersistent* Source);
  void Assign(TPersistent* Source) override;

protected:
  void DeletePair(Integer APosition);
  // The indexes of a sheet's chain: its own pairs ascending, then its fallback sheet's,
  // each index once.
  static void CollectSheetIndexes(TcxCustomStyleSheet* AStyleSheet, std::vector<Integer>& AIndexes);

private:
  std::vector<TcxStylesPair> FPairs;
  TcxCustomStyleSheet* FStyleSheet = nullptr;
  TcxCustomStyleSheet* FOwnerStyleSheet = nullptr;
  bool FDestroying = false;
};

// The style set of views: merges an explicit style, the indexed style and defaults.
// Descendants publish one property per element index through GetIndexedStyle and
// SetIndexedStyle. Listens to default fonts (a control's font) as an IcxFontListener.
class TcxStyles : public TcxCustomStyles, public IcxFontListener {
  RTL_DECLARE_CLASS(TcxStyles, TcxCustomStyles)
public:
  explicit TcxStyles(TPersistent* AOwner) : TcxCustomStyles(AOwner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxCustomStyles::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxCustomStyles::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxCustomStyles::_Release(); }
  // IcxFontListener: a control's font changed.
  void FontChanged(TObject* Sender, TFont* AFont) override { DefaultFontChanged(Sender, AFont); }

  // The base sets the bitmap to null and raises HighestDefaultIndex to AIndex when
  // larger; descendants fill colours and fonts.
  virtual void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams);
  // True when the index has no style or its style does not assign svFont.
  virtual bool UsesDefaultFont(Integer AIndex) const;

  TcxCustomStyle* GetIndexedStyle(Integer AIndex) const { return GetStyle(AIndex); }
  void SetIndexedStyle(Integer AIndex, TcxCustomStyle* AStyle) { SetStyle(AIndex, AStyle); }
  // The style's bitmap when it assigns svBitmap and the bitmap is not empty, else null.
  TBitmap* GetBitmap(Integer AIndex) const;
  // For each value the explicit style wins when it assigns it, else the indexed style;
  // what is still missing comes from GetDefaultVisualParams (asked once). The bitmap
  // counts only when ViewParamsWithBitmap.
  void GetVisualParams(Integer AIndex, TObject* AData, TcxCustomStyle* AStyle, TcxViewParams& AParams);
  // A default font changed: every index up to HighestDefaultIndex whose style sets no
  // font and whose default font is AFont is notified.
  void DefaultFontChanged(TObject* Sender, TFont* AFont);

  Integer HighestDefaultIndex() const { return FHighestDefaultIndex; }
  bool ViewParamsWithBitmap() const { return FViewParamsWithBitmap; }
  void SetViewParamsWithBitmap(bool Value) { FViewParamsWithBitmap = Value; }

private:
  Integer FHighestDefaultIndex = 0;
  bool FViewParamsWithBitmap = false;
};

// ---------------------------------------------------------------------------------------
// Style sheets.

// A named, shareable style set that other sets fall back to.
class TcxCustomStyleSheet : public TcxComponent {
  RTL_DECLARE_CLASS(TcxCustomStyleSheet, TcxComponent)
public:
  explicit TcxCustomStyleSheet(TComponent* AOwner);
  ~TcxCustomStyleSheet() override;

  // The class of the sheet's own set (a class-level operation; TcxCustomStyles here).
  virtual TClass GetStylesClass() const { return TcxCustomStyles::StaticClass(); }
  // The sheet's own set, made from GetStylesClass on first use.
  TcxCustomStyles* GetStyles();
  TcxCustomStyles* Styles() { return GetStyles(); }
  // Writes by assigning the values.
  void SetStyles(TcxCustomStyles* Value);

  // Every user set gets NotifyChanged(AIndex) in list order, then UpdateFakeLinks.
  void StyleChanged(Integer AIndex);
  void AddUser(TcxCustomStyles* AStyles);
  void RemoveUser(TcxCustomStyles* AStyles);
  Integer UserCount() const { return static_cast<Integer>(FUsers.size()); }

  // The own caption, or Name when it is empty. Setting a text equal to Name (without
  // regard to case) clears the own caption; it is stored only when not empty.
  std::string GetCaption() const;
  void SetCaption(const std::string& Value);
  bool IsCaptionStored() const { return !FCaption.empty(); }

  bool BuiltIn() const { return FBuiltIn; }
  void SetBuiltIn(bool Value) { FBuiltIn = Value; }

  TcxStyleRepository* Repository() const { return FRepository; }
  void SetRepository(TcxStyleRepository* Value);

  // From another sheet: Caption and Styles. Other sources go to the class library.
  void Assign(TPersistent* Source) override;
  // The owners of the sheet's own styles that are not the sheet's owner, each once.
  void GetFakeComponentLinks(TList* List) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* Value) override;

private:
  TcxCustomStyles* FStyles = nullptr;
  std::vector<TcxCustomStyles*> FUsers;
  std::string FCaption;
  bool FBuiltIn;
  friend class TcxStyleRepository;
  TcxStyleRepository* FRepository = nullptr;
};

// ---------------------------------------------------------------------------------------
// Stored-value converters (8-bit strings).

RTL_EXCEPTION(EcxHexStringConvertError, Exception)

// Every byte as two upper-case hexadecimal digits ("abc" gives "616263").
std::string cxStringToHexString(const std::string& AText);
// Pairs of hexadecimal digits (either case), high digit first; an odd last digit is
// ignored; any other character raises EcxHexStringConvertError (empty message).
std::string cxHexStringToString(const std::string& AText);
// The value of one hexadecimal digit; EcxHexStringConvertError otherwise.
Byte cxHexDigitValue(char ADigit);
// "TRUE" or "FALSE" in any case; anything else raises EPropertyConvertError.
bool cxStringToBoolean(const std::string& AText);
// The names of the set bits of the first ASize bytes (at most 4) of the set, lowest bit
// first, joined by "," inside "[" and "]". A set bit beyond the last name raises
// EPropertyConvertError.
std::string cxSetToString(const void* ASet, Integer ASize, const std::vector<std::string>& ANames);
// Reads "[name,name]" into the first ASize bytes of the set: names are matched without
// regard to case and with blanks around them trimmed; unknown and empty names are
// ignored. A text without the brackets raises EPropertyConvertError and stores nothing.
void cxStringToSet(const std::string& AText, void* ASet, Integer ASize, const std::vector<std::string>& ANames);
// The position of a name among ANames without regard to case, -1 when absent.
Integer cxIndexOfSetName(const std::string& AName, const std::vector<std::string>& ANames);

namespace cxStylesUnit {
void Initialize();
void Finalize();
}  // namespace cxStylesUnit
