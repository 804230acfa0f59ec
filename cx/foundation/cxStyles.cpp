#include "cx/foundation/cxStyles.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/SysUtils.h"

namespace {
template <class T> void removeFrom(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}
template <class T> void appendOnce(std::vector<T*>& list, T* item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}
}  // namespace

// ---------------------------------------------------------------------------------------
// TcxCustomStyle

RTL_IMPLEMENT_CLASS(TcxCustomStyle)

TcxCustomStyle::~TcxCustomStyle() {
  while (!FUsers.empty()) {
    TcxCustomStyles* user = FUsers.back();
    user->StyleRemoved(this);  // removes the user from FUsers through RemoveUser
    removeFrom(FUsers, user);
  }
  SetRepository(nullptr);
}

void TcxCustomStyle::Changed() {
  for (size_t i = FUsers.size(); i-- > 0;)
    if (i < FUsers.size()) FUsers[i]->StyleChanged(this);
}

void TcxCustomStyle::AddUser(TcxCustomStyles* AStyles) { appendOnce(FUsers, AStyles); }
void TcxCustomStyle::RemoveUser(TcxCustomStyles* AStyles) { removeFrom(FUsers, AStyles); }

void TcxCustomStyle::SetRepository(TcxStyleRepository* Value) {
  if (FRepository == Value) return;
  if (FRepository) FRepository->RemoveItem(this);
  if (Value) Value->AddItem(this);
}

TComponent* TcxCustomStyle::GetParentComponent() const { return FRepository; }

void TcxCustomStyle::SetParentComponent(TComponent* Value) {
  if (ComponentState().Contains(csLoading)) return;
  SetRepository(dynamic_cast<TcxStyleRepository*>(Value));
}

// ---------------------------------------------------------------------------------------
// TcxStyle

RTL_BEGIN_CLASS(TcxStyle)
  b.Property("AssignedValues", &TcxStyle::AssignedValues, &TcxStyle::SetAssignedValues).Default(0);
  b.Property("Bitmap", &TcxStyle::Bitmap, &TcxStyle::SetBitmap).Stored(&TcxStyle::IsBitmapStored);
  b.Property("Color", &TcxStyle::Color, &TcxStyle::SetColor).Default(clDefault).Stored(&TcxStyle::IsColorStored);
  b.Property("Font", &TcxStyle::Font, &TcxStyle::SetFont).Stored(&TcxStyle::IsFontStored);
  b.Property("TextColor", &TcxStyle::TextColor, &TcxStyle::SetTextColor)
      .Default(clDefault)
      .Stored(&TcxStyle::IsTextColorStored);
RTL_END_CLASS

TcxStyle::TcxStyle(TComponent* AOwner) : TcxCustomStyle(AOwner), FBitmap(new TBitmap), FFont(new TFont) {
  FBitmap->SetOnChange(TNotifyEvent(this, &TcxStyle::BitmapChanged));
  FFont->SetOnChange(TNotifyEvent(this, &TcxStyle::FontChanged));
}

TcxStyle::~TcxStyle() {
  FBitmap->SetOnChange(nullptr);
  FFont->SetOnChange(nullptr);
  FreeObject(FBitmap);
  FreeObject(FFont);
}

void TcxStyle::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxStyle*>(Source)) {
    SetBitmap(source->Bitmap());
    SetColor(source->Color());
    SetFont(source->Font());
    SetTextColor(source->TextColor());
    SetAssignedValues(source->AssignedValues());
    return;
  }
  inherited::Assign(Source);
}

void TcxStyle::ResetValues() {
  FAssignedValues.Clear();
  TNotifyEvent handler = FBitmap->OnChange();
  FBitmap->SetOnChange(nullptr);
  FBitmap->Assign(nullptr);
  FBitmap->SetOnChange(handler);
  FColor = clDefault;
  FTextColor = clDefault;
  Changed();
}

void TcxStyle::SetAssignedValues(TcxStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  Changed();
}

void TcxStyle::SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }

void TcxStyle::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svColor);
  else
    FAssignedValues.Include(svColor);
  Changed();
}

void TcxStyle::SetFont(TFont* Value) { FFont->Assign(Value); }

void TcxStyle::SetTextColor(TColor Value) {
  if (FTextColor == Value) return;
  FTextColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svTextColor);
  else
    FAssignedValues.Include(svTextColor);
  Changed();
}

void TcxStyle::BitmapChanged(TObject*) {
  if (FBitmap->Empty())
    FAssignedValues.Exclude(svBitmap);
  else
    FAssignedValues.Include(svBitmap);
  Changed();
}

void TcxStyle::FontChanged(TObject*) {
  FAssignedValues.Include(svFont);
  Changed();
}

// ---------------------------------------------------------------------------------------
// TcxStyleRepository

RTL_IMPLEMENT_CLASS(TcxStyleRepository)

TcxStyleRepository::~TcxStyleRepository() {
  while (!FItems.empty()) FreeObject(FItems.back());
  while (!FStyleSheets.empty()) FreeObject(FStyleSheets.back());
}

TcxCustomStyle* TcxStyleRepository::CreateItem(TClass AStyleClass) { return CreateItemEx(AStyleClass, this); }

TcxCustomStyle* TcxStyleRepository::CreateItemEx(TClass AStyleClass, TComponent* AOwner) {
  auto* style = dynamic_cast<TcxCustomStyle*>(CreateComponent(AStyleClass, AOwner));
  if (style) style->SetRepository(this);
  return style;
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheet(TClass ASheetClass) {
  return CreateStyleSheetEx(ASheetClass, this);
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheetEx(TClass ASheetClass, TComponent* AOwner) {
  auto* sheet = dynamic_cast<TcxCustomStyleSheet*>(CreateComponent(ASheetClass, AOwner));
  if (sheet) sheet->SetRepository(this);
  return sheet;
}

// The repository keeps the members' back references in step with its lists.
void TcxStyleRepository::AddItem(TcxCustomStyle* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) != FItems.end()) return;
  if (AItem->FRepository && AItem->FRepository != this) AItem->FRepository->RemoveItem(AItem);
  FItems.push_back(AItem);
  AItem->FRepository = this;
}

void TcxStyleRepository::RemoveItem(TcxCustomStyle* AItem) {
  removeFrom(FItems, AItem);
  if (AItem->FRepository == this) AItem->FRepository = nullptr;
}

void TcxStyleRepository::AddStyleSheet(TcxCustomStyleSheet* AStyleSheet) {
  if (std::find(FStyleSheets.begin(), FStyleSheets.end(), AStyleSheet) != FStyleSheets.end()) return;
  if (AStyleSheet->FRepository && AStyleSheet->FRepository != this)
    AStyleSheet->FRepository->RemoveStyleSheet(AStyleSheet);
  FStyleSheets.push_back(AStyleSheet);
  AStyleSheet->FRepository = this;
}

void TcxStyleRepository::RemoveStyleSheet(TcxCustomStyleSheet* AStyleSheet) {
  removeFrom(FStyleSheets, AStyleSheet);
  if (AStyleSheet->FRepository == this) AStyleSheet->FRepository = nullptr;
}

TcxCustomStyle* TcxStyleRepository::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)];
}

TcxCustomStyleSheet* TcxStyleRepository::StyleSheets(Integer Index) const {
  if (Index < 0 || Index >= StyleSheetCount()) TList::Error("List index out of bounds (%d)", Index);
  return FStyleSheets[static_cast<size_t>(Index)];
}

void TcxStyleRepository::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TcxCustomStyle* style : FItems)
    if (style->Owner() == Root) Proc(style);
  for (TcxCustomStyleSheet* sheet : FStyleSheets)
    if (sheet->Owner() == Root) Proc(sheet);
}

// ---------------------------------------------------------------------------------------
// TcxCustomStyles

RTL_IMPLEMENT_CLASS(TcxCustomStyles)

TcxCustomStyles::~TcxCustomStyles() {
  FDestroying = true;
  Clear();
  SetStyleSheet(nullptr);
}

void TcxCustomStyles::NotifyChanged(Integer AIndex) {
  if (FDestroying) return;
  Changed(AIndex);
  if (FOwnerStyleSheet) FOwnerStyleSheet->StyleChanged(AIndex);
}

bool TcxCustomStyles::FindIndex(Integer AIndex, Integer& APosition) const {
  Integer low = 0, high = PairCount() - 1;
  while (low <= high) {
    Integer mid = (low + high) / 2;
    Integer value = FPairs[static_cast<size_t>(mid)].Index;
    if (value == AIndex) {
      APosition = mid;
      return true;
    }
    if (value < AIndex)
      low = mid + 1;
    else
      high = mid - 1;
  }
  APosition = low;
  return false;
}

TcxCustomStyle* TcxCustomStyles::GetStyle(Integer AIndex) const {
  Integer position;
  if (FindIndex(AIndex, position)) return FPairs[static_cast<size_t>(position)].Item;
  if (FStyleSheet == nullptr) return nullptr;
  // While the owning component is written, only the set's own pairs count.
  auto* owner = dynamic_cast<TComponent*>(const_cast<TcxCustomStyles*>(this)->GetOwner());
  if (owner && owner->ComponentState().Contains(csWriting)) return nullptr;
  return FStyleSheet->GetStyles()->GetStyle(AIndex);
}

void TcxCustomStyles::SetStyle(Integer AIndex, TcxCustomStyle* AStyle) {
  if (AStyle == GetStyle(AIndex)) return;
  Integer position;
  if (FindIndex(AIndex, position)) {
    TcxStylesPair& pair = FPairs[static_cast<size_t>(position)];
    pair.Item->RemoveUser(this);
    if (AStyle) {
      pair.Item = AStyle;
      AStyle->AddUser(this);
    } else {
      FPairs.erase(FPairs.begin() + position);
    }
    NotifyChanged(AIndex);
  } else if (AStyle) {
    FPairs.insert(FPairs.begin() + position, TcxStylesPair{AIndex, AStyle});
    AStyle->AddUser(this);
    NotifyChanged(AIndex);
  }
}

void TcxCustomStyles::StyleChanged(TcxCustomStyle* AStyle) {
  std::vector<Integer> indexes;
  for (const TcxStylesPair& pair : FPairs)
    if (pair.Item == AStyle) indexes.push_back(pair.Index);
  for (Integer index : indexes) NotifyChanged(index);
}

void TcxCustomStyles::DeletePair(Integer APosition) {
  TcxStylesPair pair = FPairs[static_cast<size_t>(APosition)];
  FPairs.erase(FPairs.begin() + APosition);
  pair.Item->RemoveUser(this);
  NotifyChanged(pair.Index);
}

void TcxCustomStyles::StyleRemoved(TcxCustomStyle* AStyle) {
  for (Integer i = PairCount() - 1; i >= 0; --i)
    if (i < PairCount() && FPairs[static_cast<size_t>(i)].Item == AStyle) DeletePair(i);
}

void TcxCustomStyles::Clear() {
  while (!FPairs.empty()) DeletePair(PairCount() - 1);
}

const TcxStylesPair& TcxCustomStyles::PairAt(Integer APosition) const {
  if (APosition < 0 || APosition >= PairCount()) TList::Error("List index out of bounds (%d)", APosition);
  return FPairs[static_cast<size_t>(APosition)];
}

bool TcxCustomStyles::CanUseStyleSheet(TcxCustomStyleSheet* AStyleSheet) const {
  if (AStyleSheet == nullptr) return true;
  if (AStyleSheet == FOwnerStyleSheet) return false;
  if (AStyleSheet->GetStylesClass() != ClassType()) return false;
  if (FOwnerStyleSheet) {
    // Following the candidate's fallback chain must never come back to this set's sheet.
    std::vector<TcxCustomStyleSheet*> seen;
    for (TcxCustomStyleSheet* sheet = AStyleSheet; sheet != nullptr; sheet = sheet->GetStyles()->StyleSheet()) {
      if (sheet == FOwnerStyleSheet) return false;
      if (std::find(seen.begin(), seen.end(), sheet) != seen.end()) break;
      seen.push_back(sheet);
    }
  }
  return true;
}

void TcxCustomStyles::CollectSheetIndexes(TcxCustomStyleSheet* AStyleSheet, std::vector<Integer>& AIndexes) {
  std::vector<TcxCustomStyleSheet*> seen;
  for (TcxCustomStyleSheet* sheet = AStyleSheet; sheet != nullptr; sheet = sheet->GetStyles()->StyleSheet()) {
    if (std::find(seen.begin(), seen.end(), sheet) != seen.end()) break;
    seen.push_back(sheet);
    TcxCustomStyles* styles = sheet->GetStyles();
    for (Integer i = 0; i < styles->PairCount(); ++i) {
      Integer index = styles->PairAt(i).Index;
      if (std::find(AIndexes.begin(), AIndexes.end(), index) == AIndexes.end()) AIndexes.push_back(index);
    }
  }
}

void TcxCustomStyles::SetStyleSheet(TcxCustomStyleSheet* Value) {
  if (Value == FStyleSheet || !CanUseStyleSheet(Value)) return;
  std::vector<Integer> indexes;
  if (FStyleSheet) {
    FStyleSheet->RemoveUser(this);
    if (!FDestroying) CollectSheetIndexes(FStyleSheet, indexes);
  }
  FStyleSheet = Value;
  if (FStyleSheet) {
    FStyleSheet->AddUser(this);
    CollectSheetIndexes(FStyleSheet, indexes);
  }
  for (Integer index : indexes) NotifyChanged(index);
}

void TcxCustomStyles::AssignFrom(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomStyles*>(Source)) SetStyleSheet(source->StyleSheet());
}

void TcxCustomStyles::Assign(TPersistent* Source) {
  if (dynamic_cast<TcxCustomStyles*>(Source))
    AssignFrom(Source);
  else
    inherited::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// TcxStyles

RTL_BEGIN_CLASS(TcxStyles)
  b.Interface<IcxFontListener>();
RTL_END_CLASS

void TcxStyles::GetDefaultVisualParams(Integer AIndex, TObject*, TcxViewParams& AParams) {
  AParams.Bitmap = nullptr;
  if (AIndex > FHighestDefaultIndex) FHighestDefaultIndex = AIndex;
}

namespace {
bool assigns(TcxCustomStyle* style, TcxStyleValue value) {
  auto* s = dynamic_cast<TcxStyle*>(style);
  return s && s->AssignedValues().Contains(value);
}
}  // namespace

bool TcxStyles::UsesDefaultFont(Integer AIndex) const { return !assigns(GetStyle(AIndex), svFont); }

TBitmap* TcxStyles::GetBitmap(Integer AIndex) const {
  auto* style = dynamic_cast<TcxStyle*>(GetStyle(AIndex));
  if (style && style->AssignedValues().Contains(svBitmap) && !style->Bitmap()->Empty()) return style->Bitmap();
  return nullptr;
}

void TcxStyles::GetVisualParams(Integer AIndex, TObject* AData, TcxCustomStyle* AStyle, TcxViewParams& AParams) {
  TcxCustomStyle* indexed = GetStyle(AIndex);
  auto source = [&](TcxStyleValue value) -> TcxStyle* {
    if (assigns(AStyle, value)) return static_cast<TcxStyle*>(AStyle);
    if (assigns(indexed, value)) return static_cast<TcxStyle*>(indexed);
    return nullptr;
  };
  TcxStyle* s;
  AParams.Bitmap = FViewParamsWithBitmap && (s = source(svBitmap)) ? s->Bitmap() : nullptr;
  AParams.Color = (s = source(svColor)) ? s->Color() : clDefault;
  AParams.Font = (s = source(svFont)) ? s->Font() : nullptr;
  AParams.TextColor = (s = source(svTextColor)) ? s->TextColor() : clDefault;

  const bool complete = (!FViewParamsWithBitmap || AParams.Bitmap != nullptr) && AParams.Color != clDefault &&
                        AParams.Font != nullptr && AParams.TextColor != clDefault;
  if (complete) return;
  TcxViewParams defaults;
  GetDefaultVisualParams(AIndex, AData, defaults);
  if (AParams.Bitmap == nullptr) AParams.Bitmap = defaults.Bitmap;
  if (AParams.Color == clDefault) AParams.Color = defaults.Color;
  if (AParams.Font == nullptr) AParams.Font = defaults.Font;
  if (AParams.TextColor == clDefault) AParams.TextColor = defaults.TextColor;
}

void TcxStyles::DefaultFontChanged(TObject*, TFont* AFont) {
  for (Integer index = 0; index <= FHighestDefaultIndex; ++index) {
    if (assigns(GetStyle(index), svFont)) continue;
    TcxViewParams params;
    GetDefaultVisualParams(index, nullptr, params);
    if (params.Font == AFont) NotifyChanged(index);
  }
}

// ---------------------------------------------------------------------------------------
// TcxCustomStyleSheet

RTL_BEGIN_CLASS(TcxCustomStyleSheet)
  b.Property("Caption", &TcxCustomStyleSheet::GetCaption, &TcxCustomStyleSheet::SetCaption)
      .Stored(&TcxCustomStyleSheet::IsCaptionStored);
  b.Property("BuiltIn", &TcxCustomStyleSheet::BuiltIn, &TcxCustomStyleSheet::SetBuiltIn).NoDefaultValue();
RTL_END_CLASS

TcxCustomStyleSheet::TcxCustomStyleSheet(TComponent* AOwner) : TcxComponent(AOwner) {
  FBuiltIn = ComponentState().Contains(csDesigning) || (AOwner && AOwner->ComponentState().Contains(csDesigning));
}

TcxCustomStyleSheet::~TcxCustomStyleSheet() {
  if (!ComponentState().Contains(csDestroying)) Destroying();
  while (!FUsers.empty()) {
    TcxCustomStyles* user = FUsers.back();
    user->SetStyleSheet(nullptr);  // leaves FUsers through RemoveUser
    removeFrom(FUsers, user);
  }
  SetRepository(nullptr);
  FreeObject(FStyles);
  FStyles = nullptr;
}

TcxCustomStyles* TcxCustomStyleSheet::GetStyles() {
  if (FStyles == nullptr) {
    // Made on first use rather than in the constructor, so that GetStylesClass answers
    // the descendant's class.
    TObject* made = GetStylesClass()->CreateInstance(static_cast<TPersistent*>(this));
    FStyles = dynamic_cast<TcxCustomStyles*>(made);
    if (FStyles == nullptr) {
      FreeObject(made);
      throw EInvalidCast("The style sheet's set class is not a style set");
    }
    FStyles->SetOwnerStyleSheet(this);
  }
  return FStyles;
}

void TcxCustomStyleSheet::SetStyles(TcxCustomStyles* Value) { GetStyles()->Assign(Value); }

void TcxCustomStyleSheet::StyleChanged(Integer AIndex) {
  for (size_t i = 0; i < FUsers.size(); ++i) FUsers[i]->NotifyChanged(AIndex);
  UpdateFakeLinks();
}

void TcxCustomStyleSheet::AddUser(TcxCustomStyles* AStyles) { appendOnce(FUsers, AStyles); }
void TcxCustomStyleSheet::RemoveUser(TcxCustomStyles* AStyles) { removeFrom(FUsers, AStyles); }

std::string TcxCustomStyleSheet::GetCaption() const { return FCaption.empty() ? Name() : FCaption; }

void TcxCustomStyleSheet::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = SameText(Value, Name()) ? std::string() : Value;
}

void TcxCustomStyleSheet::SetRepository(TcxStyleRepository* Value) {
  if (FRepository == Value) return;
  if (FRepository) FRepository->RemoveStyleSheet(this);
  if (Value) Value->AddStyleSheet(this);
}

void TcxCustomStyleSheet::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomStyleSheet*>(Source)) {
    SetCaption(source->GetCaption());
    SetStyles(source->GetStyles());
    return;
  }
  inherited::Assign(Source);
}

void TcxCustomStyleSheet::GetFakeComponentLinks(TList* List) {
  if (Owner() == nullptr) return;
  TcxCustomStyles* styles = GetStyles();
  for (Integer i = 0; i < styles->PairCount(); ++i) {
    TComponent* styleOwner = styles->PairAt(i).Item->Owner();
    if (styleOwner != Owner() && List->IndexOf(styleOwner) == -1) List->Add(styleOwner);
  }
}

TComponent* TcxCustomStyleSheet::GetParentComponent() const { return FRepository; }

void TcxCustomStyleSheet::SetParentComponent(TComponent* Value) {
  if (ComponentState().Contains(csLoading)) return;
  SetRepository(dynamic_cast<TcxStyleRepository*>(Value));
}

// ---------------------------------------------------------------------------------------
// Converters

RTL_IMPLEMENT_CLASS(EcxHexStringConvertError)

std::string cxStringToHexString(const std::string& AText) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(AText.size() * 2);
  for (unsigned char c : AText) {
    result.push_back(kDigits[c >> 4]);
    result.push_back(kDigits[c & 15]);
  }
  return result;
}

Byte cxHexDigitValue(char ADigit) {
  if (ADigit >= '0' && ADigit <= '9') return static_cast<Byte>(ADigit - '0');
  if (ADigit >= 'A' && ADigit <= 'F') return static_cast<Byte>(ADigit - 'A' + 10);
  if (ADigit >= 'a' && ADigit <= 'f') return static_cast<Byte>(ADigit - 'a' + 10);
  throw EcxHexStringConvertError("");
}

std::string cxHexStringToString(const std::string& AText) {
  std::string result;
  for (size_t i = 0; i + 1 < AText.size(); i += 2)
    result.push_back(static_cast<char>(cxHexDigitValue(AText[i]) * 16 + cxHexDigitValue(AText[i + 1])));
  return result;
}

bool cxStringToBoolean(const std::string& AText) {
  if (SameText(AText, "TRUE")) return true;
  if (SameText(AText, "FALSE")) return false;
  throw EPropertyConvertError("");
}

Integer cxIndexOfSetName(const std::string& AName, const std::vector<std::string>& ANames) {
  for (size_t i = 0; i < ANames.size(); ++i)
    if (SameText(ANames[i], AName)) return static_cast<Integer>(i);
  return -1;
}

namespace {
Integer setBytes(Integer size) { return std::clamp<Integer>(size, 0, 4); }
}  // namespace

std::string cxSetToString(const void* ASet, Integer ASize, const std::vector<std::string>& ANames) {
  uint32_t mask = 0;
  std::memcpy(&mask, ASet, static_cast<size_t>(setBytes(ASize)));
  std::string result = "[";
  bool first = true;
  for (uint32_t bit = 0; bit < 32; ++bit) {
    if (!(mask & (uint32_t(1) << bit))) continue;
    if (bit >= ANames.size()) throw EPropertyConvertError("");
    if (!first) result += ",";
    result += ANames[bit];
    first = false;
  }
  return result + "]";
}

void cxStringToSet(const std::string& AText, void* ASet, Integer ASize, const std::vector<std::string>& ANames) {
  if (AText.size() < 2 || AText.front() != '[' || AText.back() != ']') throw EPropertyConvertError("");
  uint32_t mask = 0;
  const std::string inside = AText.substr(1, AText.size() - 2);
  size_t start = 0;
  while (start <= inside.size()) {
    size_t comma = inside.find(',', start);
    if (comma == std::string::npos) comma = inside.size();
    // Blanks around a name are not part of it: "[a, b]" names a and b.
    const std::string name = Trim(inside.substr(start, comma - start));
    const Integer index = name.empty() ? -1 : cxIndexOfSetName(name, ANames);
    if (index >= 0 && index < 32) mask |= uint32_t(1) << index;
    start = comma + 1;
  }
  std::memcpy(ASet, &mask, static_cast<size_t>(setBytes(ASize)));
}

namespace cxStylesUnit {
void Initialize() { RegisterClass(TcxStyle::StaticClass()); }
void Finalize() { UnRegisterClass(TcxStyle::StaticClass()); }
}  // namespace cxStylesUnit
