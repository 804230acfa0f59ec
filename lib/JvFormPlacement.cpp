#include "lib/JvFormPlacement.h"

#include <algorithm>
#include <functional>

#include "lib/JvPropertyStorage.h"
#include "lib/JvUtils.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

// ---------------------------------------------------------------------------------------
// TJvWinMinMaxInfo

void TJvWinMinMaxInfo::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TJvWinMinMaxInfo*>(Source)) {
    for (int i = 0; i < 8; ++i) v_[i] = other->v_[i];
    if (owner_) owner_->updateWinHook();
    return;
  }
  TPersistent::Assign(Source);
}

bool TJvWinMinMaxInfo::DefaultMinMaxInfo() const {
  for (Integer v : v_)
    if (v != 0) return false;
  return true;
}

void TJvWinMinMaxInfo::setValue(int Index, Integer Value) {
  if (v_[Index] == Value) return;
  v_[Index] = Value;
  if (owner_) owner_->updateWinHook();
}

// ---------------------------------------------------------------------------------------
// TJvFormPlacementLink

TJvFormPlacementLink::~TJvFormPlacementLink() { SetPlacement(nullptr); }

void TJvFormPlacementLink::SetPlacement(TJvFormPlacement* Value) {
  if (placement_ == Value) return;
  if (placement_) {
    auto& links = placement_->links_;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
  placement_ = Value;
  if (placement_) placement_->links_.push_back(this);
}

RTL_IMPLEMENT_CLASS(TJvFormPlacementLink)

// ---------------------------------------------------------------------------------------
// TJvFormPlacement

TJvFormPlacement::TJvFormPlacement(TComponent* AOwner) : TJvComponent(AOwner) {
  minMaxInfo_ = new TJvWinMinMaxInfo(this);
  options_ = defaultOptions();
  winHook_ = new TJvWindowHook(nullptr);
  winHook_->SetAfterMessage(TJvHookMessageEvent(this, &TJvFormPlacement::WndMessage));
  SetAppStoragePath("%FORM_NAME%");
}

TJvFormPlacement::~TJvFormPlacement() {
  // The links outlive the placement: they just no longer have one.
  for (TJvFormPlacementLink* link : links_) link->placement_ = nullptr;
  links_.clear();
  UnhookFormEvents();
  delete winHook_;
  delete minMaxInfo_;
}

TPlacementOptions TJvFormPlacement::defaultOptions() const {
  if (Owner() && Owner()->InheritsFrom(TCustomForm::StaticClass())) return {fpState, fpSize, fpLocation};
  return {};
}

TCustomForm* TJvFormPlacement::Form() const {
  return Owner() && Owner()->InheritsFrom(TCustomForm::StaticClass()) ? static_cast<TCustomForm*>(Owner()) : nullptr;
}

void TJvFormPlacement::SetAppStorage(TJvCustomAppStorage* Value) {
  if (appStorage_ == Value) return;
  if (appStorage_) appStorage_->RemoveFreeNotification(this);
  appStorage_ = Value;
  if (appStorage_) appStorage_->FreeNotification(this);
}

void TJvFormPlacement::SetAppStoragePath(const std::string& Value) {
  std::string path = Value;
  if (!path.empty() && path.back() != '\\') path += '\\';
  if (!ComponentState().Contains(csDesigning) && Form() && !Form()->Name().empty())
    path = StringReplace(path, "%FORM_NAME%", Form()->Name(), {rfReplaceAll, rfIgnoreCase});
  appStoragePath_ = path;
}

void TJvFormPlacement::SetPreventResize(bool Value) {
  if (preventResize_ == Value) return;
  preventResize_ = Value;
  updatePreventResize();
  updateWinHook();
}

void TJvFormPlacement::updatePreventResize() {
  TCustomForm* form = Form();
  if (!form || ComponentState().Contains(csDesigning)) return;
  const bool wasActive = active_;
  active_ = false;
  TBorderIcons icons = form->BorderIcons();
  if (preventResize_) icons.Exclude(biMaximize);
  else if (defMaximize_ && form->BorderStyle() != bsDialog) icons.Include(biMaximize);
  form->SetBorderIcons(icons);
  active_ = wasActive;
}

void TJvFormPlacement::updateWinHook() {
  TCustomForm* form = Form();
  if (!form || ComponentState().Contains(csLoading)) return;
  const bool needed = !minMaxInfo_->DefaultMinMaxInfo() || preventResize_;
  winHook_->SetControl(needed ? form : nullptr);
  winHook_->SetActive(needed);
  if (!preventResize_ && minMaxInfo_->DefaultMinMaxInfo()) RestoreMaximizedPlacement();
}

void TJvFormPlacement::Loaded() {
  const bool loading = ComponentState().Contains(csLoading);
  TJvComponent::Loaded();
  if (!ComponentState().Contains(csDesigning)) {
    if (loading) HookFormEvents();
    updateWinHook();
  }
}

void TJvFormPlacement::Notification(TComponent* AComponent, TOperation Operation) {
  TJvComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == appStorage_) appStorage_ = nullptr;
}

void TJvFormPlacement::HookFormEvents() {
  TCustomForm* form = Form();
  if (!form || hooked_) return;
  savedShow_ = form->OnShow();
  savedCloseQuery_ = form->OnCloseQuery();
  savedDestroy_ = form->OnDestroy();
  form->SetOnShow(TNotifyEvent(this, &TJvFormPlacement::formShow));
  form->SetOnCloseQuery(TCloseQueryEvent(this, &TJvFormPlacement::formCloseQuery));
  form->SetOnDestroy(TNotifyEvent(this, &TJvFormPlacement::formDestroy));
  hooked_ = true;
  defMaximize_ = form->BorderIcons().Contains(biMaximize);
  if (preventResize_) updatePreventResize();
}

void TJvFormPlacement::UnhookFormEvents() {
  winHook_->SetActive(false);
  winHook_->SetControl(nullptr);
  TCustomForm* form = Form();
  if (!form || !hooked_) return;
  form->SetOnShow(savedShow_);
  form->SetOnCloseQuery(savedCloseQuery_);
  form->SetOnDestroy(savedDestroy_);
  hooked_ = false;
}

void TJvFormPlacement::formShow(TObject* Sender) {
  if (IsStorageActive()) {
    try {
      LoadState();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  if (savedShow_) savedShow_(Sender);
}

void TJvFormPlacement::formCloseQuery(TObject* Sender, bool& CanClose) {
  if (savedCloseQuery_) savedCloseQuery_(Sender, CanClose);
  TCustomForm* form = Form();
  if (CanClose && IsStorageActive() && form && form->HandleAllocated()) {
    try {
      StoreState();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
}

void TJvFormPlacement::formDestroy(TObject* Sender) {
  if (active_ && !saved_) {
    destroying_ = true;
    try {
      StoreState();
    } catch (...) {
      destroying_ = false;
      if (Application) Application->HandleException(this);
    }
    destroying_ = false;
  }
  if (savedDestroy_) savedDestroy_(Sender);
}

std::string TJvFormPlacement::valuePath(const std::string& Ident, bool Reading) const {
  const std::string name = appStorage_->TranslatePropertyName(nullptr, Ident, Reading);
  return JvJoinStoragePaths({appStoragePath_, name});
}

std::string TJvFormPlacement::ReadString(const std::string& Ident, const std::string& Default) {
  if (!appStorage_ || Ident.empty()) return Default;
  return appStorage_->ReadString(valuePath(Ident, true), Default);
}
void TJvFormPlacement::WriteString(const std::string& Ident, const std::string& Value) {
  if (appStorage_ && !Ident.empty()) appStorage_->WriteString(valuePath(Ident, false), Value);
}
Integer TJvFormPlacement::ReadInteger(const std::string& Ident, Integer Default) {
  if (!appStorage_ || Ident.empty()) return Default;
  return appStorage_->ReadInteger(valuePath(Ident, true), Default);
}
void TJvFormPlacement::WriteInteger(const std::string& Ident, Integer Value) {
  if (appStorage_ && !Ident.empty()) appStorage_->WriteInteger(valuePath(Ident, false), Value);
}
bool TJvFormPlacement::ReadBoolean(const std::string& Ident, bool Default) {
  if (!appStorage_ || Ident.empty()) return Default;
  return appStorage_->ReadBoolean(valuePath(Ident, true), Default);
}
void TJvFormPlacement::WriteBoolean(const std::string& Ident, bool Value) {
  if (appStorage_ && !Ident.empty()) appStorage_->WriteBoolean(valuePath(Ident, false), Value);
}
Extended TJvFormPlacement::ReadFloat(const std::string& Ident, Extended Default) {
  if (!appStorage_ || Ident.empty()) return Default;
  return appStorage_->ReadFloat(valuePath(Ident, true), Default);
}
void TJvFormPlacement::WriteFloat(const std::string& Ident, Extended Value) {
  if (appStorage_ && !Ident.empty()) appStorage_->WriteFloat(valuePath(Ident, false), Value);
}
TDateTime TJvFormPlacement::ReadDateTime(const std::string& Ident, TDateTime Default) {
  if (!appStorage_ || Ident.empty()) return Default;
  return appStorage_->ReadDateTime(valuePath(Ident, true), Default);
}
void TJvFormPlacement::WriteDateTime(const std::string& Ident, TDateTime Value) {
  if (appStorage_ && !Ident.empty()) appStorage_->WriteDateTime(valuePath(Ident, false), Value);
}

void TJvFormPlacement::StoreState() {
  if (!appStorage_) return;
  WriteInteger("FormVersion", version_);
  if (onSavePlacement_) onSavePlacement_(this);
  WritePlacement();
  saved_ = true;
}

void TJvFormPlacement::LoadState() {
  if (!appStorage_) return;
  // While a form restores its settings, a stored value that does not convert to its type reads
  // as its default, so one damaged value never stops the others from being restored (the
  // storage's own option is put back afterwards).
  TJvCustomAppStorageOptions* options = appStorage_->StorageOptions();
  const bool defaultBefore = options->DefaultIfReadConvertError();
  options->SetDefaultIfReadConvertError(true);
  ScopeExit restoreOption([options, defaultBefore] { options->SetDefaultIfReadConvertError(defaultBefore); });
  saved_ = false;
  const Integer v = ReadInteger("FormVersion", 0);
  const bool accepted = versionCheck_ == fpvcNocheck || (versionCheck_ == fpvcCheckGreaterEqual && v >= version_) ||
                        (versionCheck_ == fpvcCheckEqual && v == version_);
  if (accepted) {
    ReadPlacement();
    restored_ = true;
    if (onRestorePlacement_) onRestorePlacement_(this);
    TCustomForm* form = Form();
    if (options_.Contains(fpActiveControl) && form) {
      const std::string name = ReadString("ActiveControl", "");
      if (auto* c = dynamic_cast<TWinControl*>(form->FindComponent(name)))
        if (c->CanFocus()) form->SetActiveControl(c);
    }
  }
  restored_ = true;
  RestoreMaximizedPlacement();
}

void TJvFormPlacement::WritePlacement() {
  if (TCustomForm* form = Form()) {
    if (options_ != TPlacementOptions{fpActiveControl})
      JvStoreFormPlacement(form, appStorage_, appStoragePath_, options_);
    if (options_.Contains(fpActiveControl) && form->ActiveControl())
      WriteString("ActiveControl", form->ActiveControl()->Name());
  }
  tellLinks(true);
}

void TJvFormPlacement::ReadPlacement() {
  TCustomForm* form = Form();
  if (form && options_ != TPlacementOptions{fpActiveControl})
    JvLoadFormPlacement(form, appStorage_, appStoragePath_, options_);
  tellLinks(false);
}

void TJvFormPlacement::tellLinks(bool Saved) {
  // A link may leave the list, or be freed, while it is told: walk a copy and skip the
  // links that are no longer in the list.
  const std::vector<TJvFormPlacementLink*> links = links_;
  for (TJvFormPlacementLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    if (Saved) link->PlacementSaved();
    else link->PlacementRestored();
  }
}

void TJvFormPlacement::RestoreMaximizedPlacement() {
  TCustomForm* form = Form();
  if (!form || !form->HandleAllocated() || ComponentState().Contains(csLoading) || preventResize_ ||
      !minMaxInfo_->DefaultMinMaxInfo())
    return;
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  if (!GetWindowPlacement(form->Handle(), &p)) return;
  POINT frame{0, 0};
  switch (form->BorderStyle()) {
    case bsSingle:
    case bsToolWindow: frame = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)}; break;
    case bsSizeable:
    case bsSizeToolWin: frame = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}; break;
    case bsDialog: frame = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)}; break;
    default: break;
  }
  p.ptMaxPosition.x = -frame.x;
  p.ptMaxPosition.y = -frame.y;
  if (!IsWindowVisible(form->Handle())) p.showCmd = SW_HIDE;
  SetWindowPlacement(form->Handle(), &p);
}

void TJvFormPlacement::WndMessage(TObject*, TMessage& Msg, bool&) {
  TCustomForm* form = Form();
  if (preventResize_ && form) {
    switch (Msg.Msg) {
      case WM_GETMINMAXINFO:
        if (form->HandleAllocated() && IsWindowVisible(form->Handle())) {
          auto* info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
          info->ptMinTrackSize = {form->Width(), form->Height()};
          info->ptMaxTrackSize = {form->Width(), form->Height()};
          Msg.Result = 1;
        }
        break;
      case WM_NCHITTEST:
        if (Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
        break;
      case WM_INITMENUPOPUP:
        if (HIWORD(Msg.LParam) != 0) {
          HMENU menu = reinterpret_cast<HMENU>(Msg.WParam);
          EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
          EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
          Msg.Result = 1;
        }
        break;
      default: break;
    }
    return;
  }
  if (Msg.Msg == WM_GETMINMAXINFO && !minMaxInfo_->DefaultMinMaxInfo()) {
    auto* info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
    const TJvWinMinMaxInfo& m = *minMaxInfo_;
    if (m.MaxPosLeft()) info->ptMaxPosition.x = m.MaxPosLeft();
    if (m.MaxPosTop()) info->ptMaxPosition.y = m.MaxPosTop();
    if (m.MaxSizeWidth()) info->ptMaxSize.x = m.MaxSizeWidth();
    if (m.MaxSizeHeight()) info->ptMaxSize.y = m.MaxSizeHeight();
    if (m.MaxTrackWidth()) info->ptMaxTrackSize.x = m.MaxTrackWidth();
    if (m.MaxTrackHeight()) info->ptMaxTrackSize.y = m.MaxTrackHeight();
    if (m.MinTrackWidth()) info->ptMinTrackSize.x = m.MinTrackWidth();
    if (m.MinTrackHeight()) info->ptMinTrackSize.y = m.MinTrackHeight();
    Msg.Result = 1;
  }
}

// ---------------------------------------------------------------------------------------
// Placement routines

std::string JvScreenSizeSuffix() {
  return Format("(%dx%d)", {Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN),
                            Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN)});
}

std::string JvReadResolutionValue(TJvCustomAppStorage* Storage, const std::string& Path, const std::string& Name,
                                  const std::string& Default) {
  const std::string suffixed = JvJoinStoragePaths({Path, Name + JvScreenSizeSuffix()});
  if (Storage->ValueStored(suffixed)) return Storage->ReadString(suffixed, Default);
  return Storage->ReadString(JvJoinStoragePaths({Path, Name}), Default);
}

void JvWriteResolutionValue(TJvCustomAppStorage* Storage, const std::string& Path, const std::string& Name,
                            const std::string& Value) {
  Storage->WriteString(JvJoinStoragePaths({Path, Name + JvScreenSizeSuffix()}), Value);
  Storage->WriteString(JvJoinStoragePaths({Path, Name}), Value);
}

namespace {
Integer pixelsPerInch() { return Screen ? Screen->PixelsPerInch() : 96; }

// Word N (from 1) of a comma-separated text as an integer, Default when it is not one.
Integer wordAsInt(const std::string& Text, Integer N, Integer Default) {
  return StrToIntDef(Trim(JvNthWord(N, Text, Set<char>{','})), Default);
}
}  // namespace

void JvStoreFormPlacement(TCustomForm* Form, TJvCustomAppStorage* Storage, const std::string& Path,
                          TPlacementOptions Options) {
  if (!Form || !Storage || Options == TPlacementOptions{fpActiveControl}) return;
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  GetWindowPlacement(Form->Handle(), &p);
  if (Application && Form == Application->MainForm() && JvIsApplicationMinimized()) p.showCmd = SW_SHOWMINIMIZED;
  if (Form->FormStyle() == fsMDIChild && Form->WindowState() == wsMinimized) p.flags |= WPF_SETMINPOSITION;
  if (Options.Contains(fpState)) Storage->WriteInteger(JvJoinStoragePaths({Path, "ShowCmd"}), p.showCmd);
  if (Options.Contains(fpSize) || Options.Contains(fpLocation)) {
    Storage->WriteInteger(JvJoinStoragePaths({Path, "Flags"}), p.flags);
    Storage->WriteInteger(JvJoinStoragePaths({Path, "PixelsPerInch"}), pixelsPerInch());
    JvWriteResolutionValue(Storage, Path, "MinMaxPos",
                           Format("%d,%d,%d,%d", {p.ptMinPosition.x, p.ptMinPosition.y, p.ptMaxPosition.x,
                                                  p.ptMaxPosition.y}));
    JvWriteResolutionValue(Storage, Path, "NormPos",
                           Format("%d,%d,%d,%d", {p.rcNormalPosition.left, p.rcNormalPosition.top,
                                                  p.rcNormalPosition.right, p.rcNormalPosition.bottom}));
  }
}

void JvLoadFormPlacement(TCustomForm* Form, TJvCustomAppStorage* Storage, const std::string& Path,
                         TPlacementOptions Options) {
  if (!Form || !Storage || Options == TPlacementOptions{fpActiveControl}) return;
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  GetWindowPlacement(Form->Handle(), &p);
  if (!IsWindowVisible(Form->Handle())) p.showCmd = SW_HIDE;
  const bool wantSize = Options.Contains(fpSize), wantLocation = Options.Contains(fpLocation);
  if (wantSize || wantLocation) {
    p.flags = Storage->ReadInteger(JvJoinStoragePaths({Path, "Flags"}), static_cast<Integer>(p.flags));
    bool dataFound = false;
    const std::string minMax = JvReadResolutionValue(Storage, Path, "MinMaxPos", "");
    if (!minMax.empty()) {
      dataFound = true;
      if (wantLocation) p.ptMinPosition = {wordAsInt(minMax, 1, 0), wordAsInt(minMax, 2, 0)};
      if (wantSize) p.ptMaxPosition = {wordAsInt(minMax, 3, 0), wordAsInt(minMax, 4, 0)};
    }
    const std::string norm = JvReadResolutionValue(Storage, Path, "NormPos", "");
    if (!norm.empty()) {
      dataFound = true;
      RECT& r = p.rcNormalPosition;
      if (wantLocation) {
        r.left = wordAsInt(norm, 1, Form->Left());
        r.top = wordAsInt(norm, 2, Form->Top());
      } else {
        r.left = Form->Left();
        r.top = Form->Top();
      }
      if (wantSize) {
        r.right = wordAsInt(norm, 3, Form->Width()) + r.left - wordAsInt(norm, 1, Form->Left());
        r.bottom = wordAsInt(norm, 4, Form->Height()) + r.top - wordAsInt(norm, 2, Form->Top());
      } else {
        r.right = r.left + Form->Width();
        r.bottom = r.top + Form->Height();
      }
    }
    const Integer storedPpi = Storage->ReadInteger(JvJoinStoragePaths({Path, "PixelsPerInch"}), pixelsPerInch());
    if (dataFound && storedPpi == pixelsPerInch()) {
      RECT& r = p.rcNormalPosition;
      if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin) {
        r.right = r.left + Form->Width();
        r.bottom = r.top + Form->Height();
      }
      if (r.left < r.right) {
        if (!Form->ComponentState().Contains(csDesigning)) {
          if (wantSize && wantLocation) {
            if (Form->Position() != poDesigned) Form->SetPosition(poDesigned);
          } else if (wantLocation) {
            if (Form->Position() == poDefault) Form->SetPosition(poDefaultSizeOnly);
            else if (Form->Position() != poDesigned) Form->SetPosition(poDesigned);
          } else if (Form->Position() == poDefault) {
            Form->SetPosition(poDefaultPosOnly);
          }
        }
        SetWindowPlacement(Form->Handle(), &p);
      }
    }
  }
  if (Options.Contains(fpState)) {
    const bool isMain = !Application || !Application->MainForm() || Application->MainForm() == Form;
    TWindowState state = wsNormal;
    if (isMain && (Form->FormStyle() == fsMDIForm || (Form->FormStyle() == fsNormal && Form->Position() == poDefault)))
      state = wsMaximized;
    switch (Storage->ReadInteger(JvJoinStoragePaths({Path, "ShowCmd"}), SW_HIDE)) {
      case SW_SHOWNORMAL:
      case SW_SHOW:
      case SW_RESTORE: state = wsNormal; break;
      case SW_SHOWMINIMIZED:
      case SW_MINIMIZE:
      case SW_SHOWMINNOACTIVE: state = wsMinimized; break;
      case SW_SHOWMAXIMIZED: state = wsMaximized; break;
      default: break;
    }
    if (state == wsMinimized && isMain) {
      Form->SetWindowState(wsNormal);
      if (Application) PostMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return;
    }
    Form->SetWindowState(state);
  }
  Form->Invalidate();
}

// ---------------------------------------------------------------------------------------
// Stored properties

namespace {
// A "Component.Property" line cut at its first '.', both parts trimmed (empty when the
// line has no '.').
void splitStoredPropLine(const std::string& Line, std::string& CompName, std::string& PropName) {
  const Integer dot = Pos(".", Line);
  CompName = dot > 0 ? Trim(Copy(Line, 1, dot - 1)) : std::string();
  PropName = dot > 0 ? Trim(Copy(Line, dot + 1, 0x7FFFFFFF)) : std::string();
}
}  // namespace

void JvBindStoredPropComponents(TComponent* Owner, TStrings* List, bool Binding) {
  for (Integer i = List->Count() - 1; i >= 0; --i) {
    std::string compName, propName;
    splitStoredPropLine(List->Strings(i), compName, propName);
    if (Binding) {
      TComponent* comp = (!compName.empty() && !propName.empty() && Owner) ? Owner->FindComponent(compName) : nullptr;
      if (!comp) {
        List->Delete(i);
        continue;
      }
      List->SetObjects(i, comp);
    } else if (auto* comp = dynamic_cast<TComponent*>(List->Objects(i))) {
      if (!propName.empty()) List->SetStrings(i, comp->Name() + "." + propName);
    }
  }
}

TJvFormStorage::TJvFormStorage(TComponent* AOwner) : TJvFormPlacement(AOwner) {
  storedProps_ = new TStringList();
  storedValues_ = new TJvStoredValues(this);
}

TJvFormStorage::~TJvFormStorage() {
  delete storedValues_;
  delete storedProps_;
}

void TJvFormStorage::Loaded() {
  TJvFormPlacement::Loaded();
  if (ComponentState().Contains(csDesigning)) return;
  JvBindStoredPropComponents(Owner(), storedProps_, true);
  for (Integer i = 0; i < storedProps_->Count(); ++i)
    if (auto* comp = dynamic_cast<TComponent*>(storedProps_->Objects(i))) comp->FreeNotification(this);
}

void TJvFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TJvFormPlacement::Notification(AComponent, Operation);
  if (Operation != opRemove || !storedProps_) return;
  for (Integer i = storedProps_->Count() - 1; i >= 0; --i)
    if (storedProps_->Objects(i) == AComponent) storedProps_->Delete(i);
}

void TJvFormStorage::refreshNames() { JvBindStoredPropComponents(Owner(), storedProps_, false); }

std::string TJvFormStorage::storedPropsFullPath() const {
  return JvJoinStoragePaths({AppStoragePath(), storedPropsPath_});
}

namespace {
// Calls Do with the property storage and property of every line of List bound to a component
// whose property is found.
void forEachStoredProp(TStringList* List, TJvCustomAppStorage* Storage, const std::string& Path,
                       const std::function<void(TJvPropertyStorage&, PPropInfo)>& Do) {
  for (Integer i = 0; i < List->Count(); ++i) {
    auto* comp = dynamic_cast<TComponent*>(List->Objects(i));
    if (!comp) continue;
    std::string compName, propName;
    splitStoredPropLine(List->Strings(i), compName, propName);
    TJvPropertyStorage props(comp, Storage, Path);
    if (PPropInfo prop = props.Properties().Find(propName)) Do(props, prop);
  }
}
}  // namespace

void TJvFormStorage::WriteStoredProps() {
  if (!AppStorage()) return;
  refreshNames();
  forEachStoredProp(storedProps_, AppStorage(), storedPropsFullPath(),
                    [](TJvPropertyStorage& props, PPropInfo prop) { props.StoreAnyProperty(prop); });
}

void TJvFormStorage::ReadStoredProps() {
  if (!AppStorage()) return;
  refreshNames();
  forEachStoredProp(storedProps_, AppStorage(), storedPropsFullPath(), [](TJvPropertyStorage& props, PPropInfo prop) {
    try {
      props.LoadAnyProperty(prop);
    } catch (const Exception&) {
      // A property whose stored value cannot be taken keeps its value; the others are still
      // restored, and restoring never stops the form's show.
    }
  });
}

IStorageHandler* TJvFormStorage::ownerStorageHandler() const {
  void* handler = nullptr;
  if (Owner() && Owner()->GetInterface(IStorageHandler::IID(), &handler)) return static_cast<IStorageHandler*>(handler);
  return nullptr;
}

void TJvFormStorage::WritePlacement() {
  TJvFormPlacement::WritePlacement();
  if (!AppStorage()) return;
  if (IStorageHandler* handler = ownerStorageHandler()) handler->WriteToStorage(AppStorage(), AppStoragePath());
  WriteStoredProps();
  storedValues_->WriteAll();
}

void TJvFormStorage::ReadPlacement() {
  TJvFormPlacement::ReadPlacement();
  if (!AppStorage()) return;
  restored_ = true;
  if (IStorageHandler* handler = ownerStorageHandler()) handler->ReadFromStorage(AppStorage(), AppStoragePath());
  ReadStoredProps();
  storedValues_->ReadAll();
}

// ---------------------------------------------------------------------------------------
// Stored values

TJvStoredValues::TJvStoredValues(TPersistent* AOwner) : TOwnedCollection(AOwner, TJvStoredValue::StaticClass()) {}

TJvFormStorage* TJvStoredValues::Storage() const {
  return dynamic_cast<TJvFormStorage*>(const_cast<TJvStoredValues*>(this)->GetOwner());
}

Integer TJvStoredValues::IndexOf(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), Name)) return i;
  return -1;
}

TJvStoredValue* TJvStoredValues::FindByName(const std::string& Name) const {
  const Integer i = IndexOf(Name);
  return i >= 0 ? Items(i) : nullptr;
}

void TJvStoredValues::WriteAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Save();
}

void TJvStoredValues::ReadAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

void TJvStoredValue::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TJvStoredValue*>(Source)) {
    name_ = other->name_;
    value_ = other->value_;
    keyString_ = other->keyString_;
    onSave_ = other->onSave_;
    onRestore_ = other->onRestore_;
    return;
  }
  TCollectionItem::Assign(Source);
}

std::string TJvStoredValue::DisplayName() const { return name_.empty() ? TCollectionItem::DisplayName() : name_; }

void TJvStoredValue::SetName(const std::string& Value) {
  if (auto* values = dynamic_cast<TJvStoredValues*>(Collection())) {
    const Integer other = values->IndexOf(Value);
    if (other >= 0 && values->Items(other) != this) throw EJvException("String list does not allow duplicates");
  }
  name_ = Value;
}

TJvFormStorage* TJvStoredValue::storage() const {
  auto* values = dynamic_cast<TJvStoredValues*>(Collection());
  return values ? values->Storage() : nullptr;
}

std::string TJvStoredValue::storedPath() const {
  TJvFormStorage* s = storage();
  auto* values = static_cast<TJvStoredValues*>(Collection());
  return JvJoinStoragePaths({s->AppStoragePath() + values->Path(), name_});
}

namespace {
enum class StoredKind { Integer, Float, Date, Boolean, Text };
StoredKind kindOf(const Variant& V) {
  switch (VarType(V) & varTypeMask) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord: return StoredKind::Integer;
    case varSingle:
    case varDouble:
    case varCurrency: return StoredKind::Float;
    case varDate: return StoredKind::Date;
    case varBoolean: return StoredKind::Boolean;
    default: return StoredKind::Text;
  }
}
}  // namespace

void TJvStoredValue::Save() {
  TJvFormStorage* s = storage();
  if (!s || !s->AppStorage() || name_.empty()) return;
  TJvCustomAppStorage* st = s->AppStorage();
  Variant v = value_;
  if (onSave_) onSave_(this, v);
  const std::string path = storedPath();
  if (!keyString_.empty()) {
    st->WriteString(path, JvKeyXorToHex(keyString_, VarToStr(v)));
    return;
  }
  switch (kindOf(v)) {
    case StoredKind::Integer: st->WriteInteger(path, v.AsInteger()); break;
    case StoredKind::Float: st->WriteFloat(path, v.AsExtended()); break;
    case StoredKind::Date: st->WriteDateTime(path, v.AsDateTime()); break;
    case StoredKind::Boolean: st->WriteBoolean(path, v.AsBoolean()); break;
    case StoredKind::Text: st->WriteString(path, VarToStr(v)); break;
  }
}

void TJvStoredValue::Restore() {
  TJvFormStorage* s = storage();
  if (!s || !s->AppStorage() || name_.empty()) return;
  TJvCustomAppStorage* st = s->AppStorage();
  const std::string path = storedPath();
  Variant v;
  try {
    if (!keyString_.empty()) {
      v = JvKeyXorFromHex(keyString_, st->ReadString(path, JvKeyXorToHex(keyString_, VarToStr(value_))));
    } else {
      switch (kindOf(value_)) {
        case StoredKind::Integer: v = st->ReadInteger(path, value_.AsInteger()); break;
        case StoredKind::Float: v = static_cast<double>(st->ReadFloat(path, value_.AsExtended())); break;
        case StoredKind::Date: v = VarFromDateTime(st->ReadDateTime(path, value_.AsDateTime())); break;
        case StoredKind::Boolean: v = st->ReadBoolean(path, value_.AsBoolean()); break;
        case StoredKind::Text: v = st->ReadString(path, VarToStr(value_)); break;
      }
    }
  } catch (const EConvertError&) {
    // A stored text that is no value of this kind reads as the default (the present value).
    v = value_;
  }
  if (onRestore_) onRestore_(this, v);
  value_ = v;
}

// ---------------------------------------------------------------------------------------
// Class registrations

RTL_BEGIN_CLASS(TJvWinMinMaxInfo)
using M = TJvWinMinMaxInfo;
b.Property("MaxPosLeft", &M::MaxPosLeft, &M::SetMaxPosLeft).Default(0);
b.Property("MaxPosTop", &M::MaxPosTop, &M::SetMaxPosTop).Default(0);
b.Property("MaxSizeHeight", &M::MaxSizeHeight, &M::SetMaxSizeHeight).Default(0);
b.Property("MaxSizeWidth", &M::MaxSizeWidth, &M::SetMaxSizeWidth).Default(0);
b.Property("MaxTrackHeight", &M::MaxTrackHeight, &M::SetMaxTrackHeight).Default(0);
b.Property("MaxTrackWidth", &M::MaxTrackWidth, &M::SetMaxTrackWidth).Default(0);
b.Property("MinTrackHeight", &M::MinTrackHeight, &M::SetMinTrackHeight).Default(0);
b.Property("MinTrackWidth", &M::MinTrackWidth, &M::SetMinTrackWidth).Default(0);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvFormPlacement)
using P = TJvFormPlacement;
b.Property("Active", &P::Active, &P::SetActive).Default(true);
b.Property("AppStorage", &P::AppStorage, &P::SetAppStorage);
b.Property("AppStoragePath", &P::AppStoragePath, &P::SetAppStoragePath);
b.Property("MinMaxInfo", &P::MinMaxInfo, &P::SetMinMaxInfo);
b.Property("Options", &P::Options, &P::SetOptions).NoDefaultValue().Stored(&P::IsOptionsStored);
b.Property("PreventResize", &P::PreventResize, &P::SetPreventResize).Default(false);
b.Property("Version", &P::Version, &P::SetVersion).Default(0);
b.Property("VersionCheck", &P::VersionCheck, &P::SetVersionCheck).Default(fpvcCheckGreaterEqual);
b.Property("OnSavePlacement", &P::OnSavePlacement, &P::SetOnSavePlacement);
b.Property("OnRestorePlacement", &P::OnRestorePlacement, &P::SetOnRestorePlacement);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvStoredValue)
using V = TJvStoredValue;
b.Property("Name", &V::Name, &V::SetName);
b.Property("Value", &V::Value, &V::SetValue);
b.Property("KeyString", &V::KeyString, &V::SetKeyString);
b.Property("OnSave", &V::OnSave, &V::SetOnSave);
b.Property("OnRestore", &V::OnRestore, &V::SetOnRestore);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TJvStoredValues)

RTL_BEGIN_CLASS(TJvFormStorage)
using S = TJvFormStorage;
b.Property("StoredProps", &S::StoredProps, &S::SetStoredProps);
b.Property("StoredValues", &S::StoredValues, &S::SetStoredValues);
b.Property("StoredPropsPath", &S::StoredPropsPath, &S::SetStoredPropsPath);
b.Property("StoredValuesPath", &S::StoredValuesPath, &S::SetStoredValuesPath);
RTL_END_CLASS
