// The editor control and its framework: the data binding of an unbound editor, the edit
// value with its change events and locks, editing requests, validation and posting, the
// keyboard contract (clear key, click key, Enter, Escape, navigation keys), buttons under a
// real mouse, the view data's button layout and sizes worked out by hand, the in-place
// cache, the repository link and the framework's routines and drawing.
#include <string>
#include <vector>

#include "../foundation/CxTestHelpers.h"
#include "cx/editors/cxEdit.h"
#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxFilterConsts.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Menus.h"

using namespace guitest;

namespace {

// Properties of a kind that compares values, validates, and resets on Escape.
class TTestProperties : public TcxCustomEditProperties {
  RTL_DECLARE_CLASS(TTestProperties, TcxCustomEditProperties)
public:
  explicit TTestProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}
  bool CanCompareEditValue() override { return Compare; }
  bool CanValidate() override { return true; }
  bool CanResetEditValue() override { return true; }
  TClass GetEditClass() override;
  bool Compare = true;
};

// Records what the editor does.
class Recorder : public TObject {
public:
  std::vector<std::string> Events;
  bool AllowEditing = true;
  bool ValidateError = false;
  std::string ValidateText;
  std::string ReplaceDisplay;
  void Change(TObject*) { Events.push_back("change"); }
  void EditValueChanged(TObject*) { Events.push_back("value"); }
  void Editing(TObject*, bool& CanEdit) {
    Events.push_back("editing");
    CanEdit = AllowEditing;
  }
  void Validate(TObject*, Variant& DisplayValue, std::string& ErrorText, bool& Error) {
    Events.push_back("validate");
    Error = ValidateError;
    if (ValidateError) ErrorText = ValidateText;
    if (!ReplaceDisplay.empty()) DisplayValue = Variant(ReplaceDisplay);
  }
  void AfterKeyDown(TObject*, Word& Key, TShiftState) { Events.push_back("after " + std::to_string(Key)); }
  void KeyDown(TObject*, Word& Key, TShiftState) { Events.push_back("keydown " + std::to_string(Key)); }
  void ButtonClick(TObject*, Integer Index) { Events.push_back("button " + std::to_string(Index)); }
  void PostValue(TObject*) {
    Events.push_back("post");
    if (FailPost) throw Exception("the data refused the value");
  }
  bool FailPost = false;
  std::string Text() const {
    std::string s;
    for (const auto& e : Events) s += (s.empty() ? "" : ",") + e;
    return s;
  }
};

// A binding that records what reaches the data, and may refuse it.
class TRecordingBinding : public TcxEditDataBinding {
  RTL_DECLARE_CLASS(TRecordingBinding, TcxEditDataBinding)
public:
  explicit TRecordingBinding(TcxCustomEdit* AEdit) : TcxEditDataBinding(AEdit) {}
  void StoreValue(const Variant& AValue) override {
    Stored.push_back(VarToStr(AValue));
    if (Fail) throw Exception("the data refused the value");
  }
  std::vector<std::string> Stored;
  bool Fail = false;
};

// An editor that shows its value as text (what a text editor would) and uses the
// recording binding.
class TTestEdit : public TcxCustomEdit {
  RTL_DECLARE_CLASS(TTestEdit, TcxCustomEdit)
public:
  explicit TTestEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TClass GetPropertiesClass() override { return TTestProperties::StaticClass(); }
  TClass GetDataBindingClass() override { return TRecordingBinding::StaticClass(); }
  std::string GetDisplayText() override { return Shown; }
  void SyncDisplayFromEditValue() override { Shown = VarToStr(EditValue()); }
  void SetInternalDisplayValue(const Variant& Value) override { Shown = VarToStr(Value); }
  void InternalSetDisplayValue(const Variant& Value) override { FEditValue = Value; }
  bool IsModifyingKey(Word Key, TShiftState) override { return Key == VK_DELETE; }
  // The user types: the shown text changes, as an inner control would report.
  void Type(const std::string& AText) {
    SetUserChange(true);
    bool ok = RequestEditing();
    SetUserChange(false);
    if (!ok) return;
    Shown = AText;
    SetModifiedAfterEnter(true);
    DoChange();
  }
  TTestProperties* Props() { return static_cast<TTestProperties*>(GetActiveProperties()); }
  TRecordingBinding* Binding() { return static_cast<TRecordingBinding*>(DataBinding()); }
  std::string Shown;
};

RTL_IMPLEMENT_CLASS(TTestProperties)
RTL_IMPLEMENT_CLASS(TRecordingBinding)
RTL_IMPLEMENT_CLASS(TTestEdit)
TClass TTestProperties::GetEditClass() { return TTestEdit::StaticClass(); }

// A repository item of the test kind.
class TTestRepositoryItem : public TcxEditRepositoryItem {
  RTL_DECLARE_CLASS(TTestRepositoryItem, TcxEditRepositoryItem)
public:
  explicit TTestRepositoryItem(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {}
  TClass GetEditPropertiesClass() override { return TTestProperties::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TTestRepositoryItem)

class EditControlTest : public GuiTest {
protected:
  TForm* newForm() {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(80, 80, 360, 200);
    form->SetColor(clBtnFace);
    return form;
  }
  TTestEdit* newEdit(TForm* Form, const TRect& R = TRect{10, 10, 130, 31}) {
    TTestEdit* edit = New<TTestEdit>(Form);
    edit->SetParent(Form);
    edit->SetAutoSize(false);
    edit->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    return edit;
  }
  void listen(TTestEdit* Edit, Recorder& Log) {
    Edit->Props()->SetOnChange(TNotifyEvent(&Log, &Recorder::Change));
    Edit->Props()->SetOnEditValueChanged(TNotifyEvent(&Log, &Recorder::EditValueChanged));
    Edit->Props()->SetOnValidate(TcxEditValidateEvent(&Log, &Recorder::Validate));
    Edit->SetOnEditing(TcxEditEditingEvent(&Log, &Recorder::Editing));
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Data binding.

TEST_F(EditControlTest, AnUnboundEditorHasNeutralDefaultsAndFreesItsProviderCleanly) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  TcxEditDataBinding* binding = edit->DataBinding();
  ASSERT_NE(binding->GetDefaultValuesProvider(), nullptr);
  EXPECT_EQ(edit->OwnProperties()->DefaultValuesProvider(), binding->GetDefaultValuesProvider())
      << "the properties follow the binding's provider";
  EXPECT_FALSE(edit->OwnProperties()->GetReadOnly());
  EXPECT_TRUE(binding->CanModify());
  EXPECT_TRUE(edit->CanModify());
  EXPECT_EQ(binding->GetOwner(), edit);
  EXPECT_FALSE(binding->IsModified());
  edit->SetModifiedAfterEnter(true);
  EXPECT_TRUE(binding->IsModified()) << "the binding reports the editor's modification since entry";
  // Another properties object sharing the provider loses it, not keeps a dangling one,
  // when the editor (and its binding) goes.
  TObjectPtr<TTestProperties> other(New<TTestProperties>(nullptr));
  other->SetDefaultValuesProvider(binding->GetDefaultValuesProvider());
  edit->Free();
  EXPECT_EQ(other->DefaultValuesProvider(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Value and change events.

TEST_F(EditControlTest, ValueWritesRaiseEventsOnlyForAComparingKindAndAChangedValue) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  struct Case {
    bool Compare;
    Variant Value;
    const char* Events;
  };
  const Case cases[] = {
      {true, Variant(1), "value,change"},
      {true, Variant(1), ""},
      {true, Variant("1"), "value,change"},  // another variant type is a change
      {false, Variant(2), ""},
  };
  for (const Case& c : cases) {
    edit->Props()->Compare = c.Compare;
    log.Events.clear();
    edit->SetEditValue(c.Value);
    EXPECT_EQ(log.Text(), c.Events) << VarToStr(c.Value) << (c.Compare ? " comparing" : " not comparing");
    EXPECT_EQ(VarToStr(edit->EditValue()), VarToStr(c.Value));
    EXPECT_EQ(edit->Shown, VarToStr(c.Value)) << "the display follows";
    EXPECT_FALSE(edit->Modified()) << "a programmatic write clears Modified";
  }
  EXPECT_TRUE(edit->IsEditValueStored());
  edit->Clear();
  EXPECT_TRUE(edit->EditValue().IsNull());
  EXPECT_FALSE(edit->IsEditValueStored());
}

TEST_F(EditControlTest, LockedChangeEventsFireOnceAtTheUnlockWithFiringOnly) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  edit->LockChangeEvents(true);
  for (int i = 1; i <= 3; ++i) edit->SetEditValue(Variant(i));
  EXPECT_EQ(log.Text(), "");
  edit->LockChangeEvents(false);
  EXPECT_EQ(log.Text(), "change,value");
  log.Events.clear();
  edit->LockChangeEvents(true);
  edit->LockChangeEvents(true);
  edit->SetEditValue(Variant(9));
  edit->LockChangeEvents(false);
  EXPECT_EQ(log.Text(), "") << "the outer lock still holds";
  edit->LockChangeEvents(false, false);
  EXPECT_EQ(log.Text(), "") << "unlocked without firing";
  edit->LockChangeEvents(false);
  EXPECT_EQ(log.Text(), "") << "an extra unlock does nothing";
  EXPECT_FALSE(edit->AreChangeEventsLocked());
}

TEST_F(EditControlTest, EditingRequestsGateUserChangesButNotProgrammaticOnes) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  edit->Props()->SetClearKey(ShortCut(VK_DELETE, TShiftState()));
  edit->SetEditValue(Variant("a"));
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  log.AllowEditing = false;
  log.Events.clear();
  pressKey(VK_DELETE);
  pumpFor(20);
  EXPECT_EQ(VarToStr(edit->EditValue()), "a") << "refused clear key";
  EXPECT_FALSE(edit->ModifiedAfterEnter());
  EXPECT_NE(log.Text().find("editing"), std::string::npos);
  edit->SetEditValue(Variant("b"));
  EXPECT_EQ(VarToStr(edit->EditValue()), "b") << "a programmatic write ignores OnEditing";
  log.AllowEditing = true;
  pressKey(VK_DELETE);
  pumpFor(20);
  EXPECT_TRUE(edit->EditValue().IsNull()) << "the clear key clears";
  EXPECT_TRUE(edit->ModifiedAfterEnter());
  // Read-only: a new request is refused (once modified since entry, the edit was granted).
  edit->SetModifiedAfterEnterFlag(false);
  edit->SetEditValue(Variant("c"));
  edit->Props()->SetReadOnly(true);
  pressKey(VK_DELETE);
  pumpFor(20);
  EXPECT_EQ(VarToStr(edit->EditValue()), "c");
}

// ---------------------------------------------------------------------------------------
// Validation and posting.

TEST_F(EditControlTest, ValidationRaisesWithItsTextKeepsTheValueAndShowsTheHandlersText) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  edit->SetEditValue(Variant("old"));
  log.Events.clear();
  EXPECT_TRUE(edit->ValidateInput(true));
  EXPECT_EQ(log.Text(), "") << "nothing changed since entry: no OnValidate";

  edit->Type("bad");
  log.Events.clear();
  log.ValidateError = true;
  log.ValidateText = "Valor ruim";
  log.ReplaceDisplay = "corrigido";
  try {
    edit->ValidateInput(true);
    ADD_FAILURE() << "expected the editor's error";
  } catch (const EcxEditError& e) {
    EXPECT_EQ(e.Message(), "Valor ruim");
  }
  EXPECT_EQ(VarToStr(edit->EditValue()), "old") << "a failed validation keeps the value";
  EXPECT_EQ(edit->Shown, "corrigido") << "the handler's text is shown";

  // An empty error text fails silently.
  log.ValidateText.clear();
  log.ReplaceDisplay.clear();
  edit->Type("bad again");
  EXPECT_FALSE(edit->ValidateInput(true));
  EXPECT_EQ(VarToStr(edit->EditValue()), "old");

  // Passing validation takes the display value.
  log.ValidateError = false;
  edit->Type("new");
  EXPECT_TRUE(edit->ValidateInput(true));
  EXPECT_EQ(VarToStr(edit->EditValue()), "new");
  EXPECT_TRUE(edit->IsValidated());
}

TEST_F(EditControlTest, PostingStoresOnceAndAFailedPostIsNeverSilent) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  edit->Type("v1");
  ASSERT_TRUE(edit->CanPostEditValue());
  edit->PostEditValue();
  ASSERT_EQ(edit->Binding()->Stored.size(), 1u);
  EXPECT_EQ(edit->Binding()->Stored[0], "v1");
  EXPECT_FALSE(edit->IsPosting());

  edit->Type("v2");
  edit->Binding()->Fail = true;
  EXPECT_THROW(edit->PostEditValue(), Exception);
  EXPECT_FALSE(edit->IsPosting()) << "AfterPosting ran";
  EXPECT_TRUE(edit->Focused());
  EXPECT_TRUE(edit->ModifiedAfterEnter()) << "the value stays pending";

  // In place the failure reaches the host too (the value is not lost in silence).
  TcxCustomEdit* inplace = TcxCustomEdit::CreateInplace(TTestEdit::StaticClass(), nullptr, true);
  TObjectPtr<TcxCustomEdit> owned(inplace);
  inplace->SetOnPostEditValue(TNotifyEvent(&log, &Recorder::PostValue));
  log.FailPost = true;
  inplace->SetModifiedAfterEnter(true);
  EXPECT_THROW(inplace->PostEditValue(false), Exception);
  EXPECT_TRUE(inplace->Modified()) << "not marked posted";
  log.FailPost = false;
  inplace->PostEditValue(false);
  EXPECT_FALSE(inplace->Modified()) << "posting in place clears Modified";
}

TEST_F(EditControlTest, ExitValidatesPostsAndRaisesOnErrorKeepingTheFocus) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  TEdit* other = New<TEdit>(form);
  other->SetParent(form);
  other->SetBounds(10, 100, 80, 22);
  Recorder log;
  listen(edit, log);
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  edit->Type("ok");
  other->SetFocus();
  pumpFor(30);
  ASSERT_EQ(edit->Binding()->Stored.size(), 1u) << "leaving posts";
  EXPECT_FALSE(edit->ModifiedAfterEnter());

  edit->SetFocus();
  pumpFor(20);
  edit->Type("bad");
  log.ValidateError = true;
  log.ValidateText = "Inválido";
  boxes().Clear();
  pressKey(VK_TAB);
  pumpFor(40);
  EXPECT_TRUE(edit->Focused()) << "the focus stays on the invalid editor";
  ASSERT_EQ(boxes().Calls().size(), 1u) << "the error is shown once";
  EXPECT_EQ(boxes().Calls()[0].Text, "Inválido.") << "the application shows the text as a sentence";
  expectBoxes();
  EXPECT_EQ(edit->Binding()->Stored.size(), 1u) << "nothing posted";
}

// ---------------------------------------------------------------------------------------
// Keys.

TEST_F(EditControlTest, EscapeRestoresTheValueAtEntryAndSwallowsItsCharacter) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  edit->SetEditValue(Variant("entry"));
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  std::vector<char> chars;
  struct KeyLog : TObject {
    std::vector<char>* Chars;
    void Press(TObject*, char& Key) { Chars->push_back(Key); }
  } keyLog;
  keyLog.Chars = &chars;
  edit->SetOnKeyPress(TKeyPressEvent(&keyLog, &KeyLog::Press));
  pressKey(VK_ESCAPE);
  pumpFor(20);
  EXPECT_EQ(chars.size(), 1u) << "Escape without a change reaches the character handlers";
  chars.clear();
  edit->Type("changed");
  EXPECT_TRUE(edit->ModifiedAfterEnter());
  pressKey(VK_ESCAPE);
  pumpFor(20);
  EXPECT_EQ(edit->Shown, "entry") << "the value saved at entry is shown again";
  EXPECT_EQ(VarToStr(edit->EditValue()), "entry") << "the value saved at entry";
  EXPECT_FALSE(edit->ModifiedAfterEnter());
  EXPECT_TRUE(edit->Modified());
  EXPECT_TRUE(chars.empty()) << "the Escape that reset is swallowed";
}

TEST_F(EditControlTest, EnterValidatesAndPostsWithValidateOnEnterAndArrowsGoToTheHost) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  listen(edit, log);
  edit->SetOnAfterKeyDown(TcxEditKeyEvent(&log, &Recorder::AfterKeyDown));
  edit->Props()->SetValidateOnEnter(true);
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  edit->Type("one");
  pressKey(VK_RETURN);
  pumpFor(20);
  ASSERT_EQ(edit->Binding()->Stored.size(), 1u) << "valid: posted once";
  edit->Type("two");
  log.ValidateError = true;
  log.ValidateText = "Não";
  pressKey(VK_RETURN);
  pumpFor(30);
  EXPECT_EQ(edit->Binding()->Stored.size(), 1u) << "invalid: nothing posted";
  ASSERT_EQ(boxes().Calls().size(), 1u);
  expectBoxes();
  log.Events.clear();
  pressKey(VK_NEXT);
  pressKey(VK_HOME);
  pumpFor(20);
  EXPECT_EQ(log.Text(), "after 34,after 36") << "navigation keys go to the host and are consumed";
}

TEST_F(EditControlTest, CtrlEnterClicksTheDefaultButtonWithoutReachingOnKeyDown) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form);
  Recorder log;
  edit->Props()->SetOnButtonClick(TcxEditButtonClickEvent(&log, &Recorder::ButtonClick));
  edit->SetOnKeyDown(TKeyEvent(&log, &Recorder::KeyDown));
  showAndActivate(form);
  edit->SetFocus();
  pumpFor(20);
  pressWith({VK_CONTROL}, VK_RETURN);
  pumpFor(20);
  EXPECT_EQ(log.Text().find("button"), std::string::npos) << "without buttons Ctrl+Enter is an ordinary key: "
                                                          << log.Text();
  auto* b0 = static_cast<TcxEditButton*>(edit->Props()->Buttons()->Add());
  auto* b1 = static_cast<TcxEditButton*>(edit->Props()->Buttons()->Add());
  b1->SetDefault(true);
  b0->SetKind(bkEllipsis);
  pumpFor(20);
  log.Events.clear();
  pressWith({VK_CONTROL}, VK_RETURN);
  pumpFor(20);
  EXPECT_EQ(log.Text(), "keydown 17,button 1") << "only the Ctrl key-down reaches OnKeyDown";
}

// ---------------------------------------------------------------------------------------
// Buttons: layout and the mouse.

TEST_F(EditControlTest, ButtonLayoutFollowsTheGroupsAndNarrowEditorsCutTheLastButtons) {
  TObjectPtr<TTestProperties> props(New<TTestProperties>(nullptr));
  auto add = [&](bool ALeft, Integer AWidth) {
    auto* b = static_cast<TcxEditButton*>(props->Buttons()->Add());
    b->SetLeftAlignment(ALeft);
    b->SetWidth(AWidth);
  };
  add(false, 15);  // A
  add(false, 20);  // B
  add(true, 10);   // C
  auto* hidden = static_cast<TcxEditButton*>(props->Buttons()->Add());
  hidden->SetVisible(false);
  TObjectPtr<TcxCustomEditStyle> style(
      static_cast<TcxCustomEditStyle*>(TcxContainerStyle::CreateOfClass(TcxEditStyle::StaticClass(), nullptr, false)));
  style->SetButtonStyle(bts3D);
  TcxScreenCanvas canvas;
  struct Case {
    Integer Width;
    std::vector<std::string> Bounds, Visible;
    std::string Content;
  };
  const Case cases[] = {
      {100, {"63,2,78,19", "78,2,98,19", "2,2,12,19"}, {"63,2,78,19", "78,2,98,19", "2,2,12,19"}, "12,2,63,19"},
      {30, {"0,0,0,0", "8,2,28,19", "2,2,12,19"}, {"0,0,0,0", "12,2,28,19", "2,2,12,19"}, ""},
  };
  for (const Case& c : cases) {
    TObjectPtr<TcxCustomEditViewData> vd(props->CreateViewData(style.get(), false));
    TObjectPtr<TcxCustomEditViewInfo> vi(new TcxCustomEditViewInfo());
    vd->Calculate(&canvas, TRect{0, 0, c.Width, 21}, TPoint{-1, -1}, cxmbNone, TShiftState(), vi.get(), false);
    ASSERT_EQ(vi->ButtonCount(), 3) << "the hidden button has no view info";
    for (Integer i = 0; i < 3; ++i) {
      EXPECT_EQ(rectText(vi->Button(i)->Bounds), "(" + c.Bounds[i] + ")") << c.Width << " button " << i;
      EXPECT_EQ(rectText(vi->Button(i)->VisibleBounds), "(" + c.Visible[i] + ")") << c.Width << " button " << i;
    }
    EXPECT_EQ(vi->Button(2)->ButtonIndex, 2);
    if (!c.Content.empty()) {
      EXPECT_EQ(rectText(vi->ContentRect), "(" + c.Content + ")");
    }
    // The size of an editor narrower than its fixed part is the width asked for.
    TcxEditSizeProperties sizeProps;
    sizeProps.Width = 20;
    TSize size{0, 0};
    vd->GetEditSize(&canvas, Null(), sizeProps, size);
    EXPECT_EQ(size.cx, 20);
  }
}

TEST_F(EditControlTest, ContainerBorderTableAndTheDefaultButtonStyles) {
  TObjectPtr<TTestProperties> props(New<TTestProperties>(nullptr));
  TObjectPtr<TcxCustomEditStyle> style(
      static_cast<TcxCustomEditStyle*>(TcxContainerStyle::CreateOfClass(TcxEditStyle::StaticClass(), nullptr, false)));
  const TcxContainerBorderStyle cold[] = {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle};
  const TcxContainerBorderStyle hot[] = {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsSingle};
  for (int b = 0; b < 6; ++b) {
    style->SetBorderStyle(static_cast<TcxEditBorderStyle>(b));
    TObjectPtr<TcxCustomEditViewData> vd(props->CreateViewData(style.get(), false));
    EXPECT_EQ(vd->GetContainerBorderStyle(cxHotStateIdle), cold[b]) << b;
    EXPECT_EQ(vd->GetContainerBorderStyle(cxHotStateNone), cold[b]) << b;
    EXPECT_EQ(vd->GetContainerBorderStyle(cxHotStateActive), hot[b]) << b;
    TObjectPtr<TcxCustomEditViewData> inplace(props->CreateViewData(style.get(), true));
    EXPECT_EQ(inplace->GetContainerBorderStyle(cxHotStateActive), cbsNone) << "in place the host draws borders";
  }
}

TEST_F(EditControlTest, AButtonPressedDraggedOutAndBackClicksOnlyWhenReleasedOverIt) {
  TForm* form = newForm();
  TTestEdit* edit = newEdit(form, TRect{10, 10, 150, 31});
  Recorder log;
  edit->Props()->SetOnButtonClick(TcxEditButtonClickEvent(&log, &Recorder::ButtonClick));
  auto* button = static_cast<TcxEditButton*>(edit->Props()->Buttons()->Add());
  button->SetKind(bkEllipsis);
  showAndActivate(form);
  pumpFor(20);
  ASSERT_EQ(edit->GetViewInfo()->ButtonCount(), 1);
  TRect b = edit->GetViewInfo()->Button(0)->Bounds;
  TPoint centre = edit->ClientToScreen(TPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
  auto mouse = [](DWORD AFlags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = AFlags;
    SendInput(1, &in, sizeof(INPUT));
    pumpFor(30);
  };
  moveMouseTo(centre);
  pumpFor(20);
  EXPECT_EQ(edit->GetViewInfo()->Button(0)->State, ebsSelected) << "hot under the mouse";
  mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(edit->GetViewInfo()->Button(0)->State, ebsPressed);
  moveMouseTo(TPoint{centre.x - 80, centre.y + 60});
  pumpFor(20);
  EXPECT_EQ(edit->GetViewInfo()->Button(0)->State, ebsNormal) << "dragged out";
  moveMouseTo(centre);
  pumpFor(20);
  EXPECT_EQ(edit->GetViewInfo()->Button(0)->State, ebsPressed) << "back in with the button held";
  mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(log.Text(), "button 0");
  log.Events.clear();
  mouse(MOUSEEVENTF_LEFTDOWN);
  moveMouseTo(TPoint{centre.x - 80, centre.y + 60});
  pumpFor(20);
  mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(log.Text(), "") << "released outside";
  clickAt(edit, TPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2}, mbRight);
  pumpFor(20);
  EXPECT_EQ(log.Text(), "") << "a right click presses nothing";
}

// ---------------------------------------------------------------------------------------
// In place and the repository.

TEST_F(EditControlTest, InplaceCacheMakesHiddenEditorsReusesThemAndCopiesSettingsSilently) {
  TcxInplaceEditList list;
  TObjectPtr<TTestProperties> shared(New<TTestProperties>(nullptr));
  TObjectPtr<TTestProperties> equal(New<TTestProperties>(nullptr));
  Recorder log;
  shared->SetOnChange(TNotifyEvent(&log, &Recorder::Change));
  shared->SetReadOnly(true);
  TcxCustomEdit* a = list.GetEdit(shared.get());
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->IsInplace());
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(a->ClassType(), TTestEdit::StaticClass());
  EXPECT_TRUE(a->GetActiveProperties()->GetReadOnly()) << "settings copied";
  EXPECT_EQ(list.GetEdit(shared.get()), a) << "the same properties share one editor";
  EXPECT_NE(list.GetEdit(equal.get()), a) << "equal but distinct properties get their own";
  EXPECT_EQ(list.GetCount(), 2);
  a->SetEditValue(Variant(3));
  log.Events.clear();
  shared->SetReadOnly(false);
  list.GetEdit(shared.get());
  EXPECT_EQ(log.Text(), "") << "GetEdit raises no OnChange";
  list.RemoveItem(shared.get());
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.FindEdit(shared.get()), nullptr);
}

TEST_F(EditControlTest, ActivationByKeyTypesTheKeyAndDeactivateValidates) {
  TcxInplaceEditList list;
  TObjectPtr<TTestProperties> props(New<TTestProperties>(nullptr));
  auto* edit = static_cast<TTestEdit*>(list.GetEdit(props.get()));
  TForm* form = newForm();
  edit->SetParent(form);
  edit->SetBounds(10, 10, 80, 20);
  showAndActivate(form);
  std::vector<char> chars;
  struct KeyLog : TObject {
    std::vector<char>* Chars;
    void Press(TObject*, char& Key) { Chars->push_back(Key); }
  } keyLog;
  keyLog.Chars = &chars;
  edit->SetOnKeyPress(TKeyPressEvent(&keyLog, &KeyLog::Press));
  TcxCustomEditData* data = nullptr;
  edit->ActivateByKey('q', data);
  pumpFor(20);
  EXPECT_TRUE(edit->Visible());
  EXPECT_TRUE(edit->Focused());
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0], 'q') << "the key that started editing arrives as typed";
  Recorder log;
  props->SetOnValidate(TcxEditValidateEvent(&log, &Recorder::Validate));
  list.GetEdit(props.get());
  edit->Type("x");
  log.ValidateError = true;
  log.ValidateText = "Erro";
  EXPECT_THROW(edit->Deactivate(), EcxEditError);
  log.ValidateError = false;
  EXPECT_TRUE(edit->Deactivate());
  edit->SetParent(nullptr);
}

TEST_F(EditControlTest, RepositoryItemsLinkAcceptablePropertiesAndLeaveCleanly) {
  TForm* form = newForm();
  TcxEditRepository* repository = New<TcxEditRepository>(form);
  TComponent* otherOwner = New<TComponent>(form);
  auto* item = static_cast<TTestRepositoryItem*>(repository->CreateItemEx(TTestRepositoryItem::StaticClass(), otherOwner));
  EXPECT_EQ(item->Repository(), repository);
  EXPECT_EQ(repository->GetCount(), 1);
  std::vector<TTestEdit*> edits;
  for (int i = 0; i < 3; ++i) {
    edits.push_back(newEdit(form, TRect{10, 10 + i * 25, 100, 31 + i * 25}));
    edits.back()->SetRepositoryItem(item);
    EXPECT_EQ(edits.back()->GetActiveProperties(), item->Properties());
  }
  EXPECT_EQ(item->ListenerCount(), 3);
  // An item whose properties are of an unrelated class is refused; the link stays.
  TcxEditRepositoryItem* unrelated = repository->CreateItem(TcxEditRepositoryItem::StaticClass());
  try {
    edits[0]->SetRepositoryItem(unrelated);
    ADD_FAILURE() << "expected a refusal";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The repository item is not acceptable");
  }
  EXPECT_EQ(edits[0]->RepositoryItem(), item);
  // Writing the form stores the own properties.
  edits[1]->SetWriting(true);
  EXPECT_EQ(edits[1]->GetProperties(), edits[1]->OwnProperties());
  edits[1]->SetWriting(false);
  // Clearing the repository frees the items of another owner too; every editor is back on
  // its own properties.
  repository->Clear();
  EXPECT_EQ(repository->GetCount(), 0);
  for (TTestEdit* e : edits) {
    EXPECT_EQ(e->RepositoryItem(), nullptr);
    EXPECT_EQ(e->GetActiveProperties(), e->OwnProperties());
  }
  EXPECT_EQ(otherOwner->ComponentCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Routines, start-up and drawing.

TEST(EditRoutines, TablesAndSmallRoutines) {
  struct Arrow {
    TRect R;
    Integer Direction;
    TSize Size;
  };
  const Arrow arrows[] = {
      {{0, 0, 16, 20}, 1, {7, 4}},
      {{0, 0, 4, 4}, 0, {1, 1}},
      {{0, 0, 16, 20}, 2, {4, 7}},
      {{0, 0, 11, 11}, 1, {5, 3}},
  };
  for (const Arrow& a : arrows) {
    TSize s = cxCalculateArrowSize(a.R, a.Direction);
    EXPECT_EQ(s.cx, a.Size.cx) << rectText(a.R) << " direction " << a.Direction;
    EXPECT_EQ(s.cy, a.Size.cy) << rectText(a.R) << " direction " << a.Direction;
  }
  const std::pair<const char*, const char*> accels[] = {
      {"&Abrir", "Abrir"}, {"Sal&&var", "Sal&var"}, {"Fim&", "Fim_"}, {"a&b&&c&", "ab&c_"}, {"", ""}};
  for (const auto& [in, out] : accels) EXPECT_EQ(cxRemoveAccelChars(in), out) << in;
  const Integer widths[] = {0, 1, 2, 2, 2, 1};
  for (int b = 0; b < 6; ++b) EXPECT_EQ(cxGetBorderWidth(static_cast<TcxContainerBorderStyle>(b)), widths[b]);
  EXPECT_EQ(cxShiftStateToMouseKeys(TShiftState{ssShift, ssLeft, ssRight}),
            static_cast<WPARAM>(MK_SHIFT | MK_LBUTTON | MK_RBUTTON));
  EXPECT_TRUE(cxEditMouseButtonToShift(cxmbMiddle) == TShiftState{ssMiddle});
  EXPECT_TRUE(cxVarEqualSameType(Variant(1), Variant(1)));
  EXPECT_FALSE(cxVarEqualSameType(Variant(1), Variant("1")));
  TSize m{3, 9};
  cxMaxSize(m, TSize{5, 2});
  EXPECT_EQ(m.cx, 5);
  EXPECT_EQ(m.cy, 9);
}

TEST(EditRoutines, TheFrameworkSetsTheFilterTextLookupAtStartUp) {
  EXPECT_EQ(GetFilterResourceStringHook(), &cxGetResourceString);
}

TEST_F(EditControlTest, EllipsisDotsAreOnePixelUpToElevenPixelsAndTwoAbove) {
  for (Integer width : {11, 12}) {
    TBitmap bmp;
    makeFilled(bmp, width, 12, clWhite);
    TcxCanvas canvas(bmp.Canvas());
    cxDrawEllipsisDots(&canvas, TRect{0, 0, width, 12}, false, false, clBlack);
    TRect ink = inkBounds(bmp, 0xFFFFFF);
    Integer dot = width > 11 ? 2 : 1;
    EXPECT_EQ(ink.right - ink.left, dot * 3 + 4) << width;
    EXPECT_EQ(ink.bottom - ink.top, dot) << width;
  }
}

TEST_F(EditControlTest, TheEditBorderIsDrawnInEachLookAndFeelKind) {
  TForm* form = newForm();
  struct Case {
    TcxLookAndFeelKind Kind;
    const char* Name;
    TColor OuterTopLeft;
  };
  const Case cases[] = {{lfStandard, "standard", clBtnShadow}, {lfFlat, "flat", clBtnShadow},
                        {lfUltraFlat, "ultra-flat", clBtnShadow}};
  std::vector<TTestEdit*> edits;
  Integer y = 10;
  for (const Case& c : cases) {
    TTestEdit* edit = newEdit(form, TRect{10, y, 130, y + 21});
    edit->Style()->LookAndFeel()->SetKind(c.Kind);
    edit->GetStyle()->SetHotTrack(false);
    edit->GetStyle()->SetTransparentBorder(false);
    edits.push_back(edit);
    y += 30;
  }
  TEdit* holder = New<TEdit>(form);
  holder->SetParent(form);
  holder->SetBounds(200, 150, 60, 22);
  showAndActivate(form);
  holder->SetFocus();
  moveMouseTo(form->ClientToScreen(TPoint{340, 180}));
  pumpFor(40);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "cx-edit-borders");
  for (size_t i = 0; i < edits.size(); ++i) {
    TBitmap bmp;
    captureClient(edits[i], bmp);
    EXPECT_TRUE(PixelIs(bmp, 0, 0, rgbOfColor(cases[i].OuterTopLeft))) << cases[i].Name;
    EXPECT_TRUE(PixelIs(bmp, 60, 10, rgbOfColor(clWindow))) << cases[i].Name << ": the client area";
  }
  // The 3D border's inner frame; flat's inner frame is the button face.
  TBitmap standard, flat;
  captureClient(edits[0], standard);
  captureClient(edits[1], flat);
  EXPECT_TRUE(PixelIs(standard, 1, 1, rgbOfColor(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(flat, 1, 1, rgbOfColor(clBtnFace)));
  EXPECT_TRUE(PixelIs(standard, edits[0]->Width() - 1, edits[0]->Height() - 1, rgbOfColor(clBtnHighlight)));
}

TEST(EditRoutines, PopupWidthsTextMarginsAndFlagConversions) {
  const Integer borders[] = {0, 1, 4, 2};
  const Integer edges[] = {0, 2, 2, 1};
  for (int i = 0; i < 4; ++i) {
    auto style = static_cast<TcxEditPopupBorderStyle>(i);
    EXPECT_EQ(cxGetEditPopupWindowBorderWidth(style, false), borders[i]) << i;
    EXPECT_EQ(cxGetEditPopupWindowBorderWidth(style, true), 1) << i;
    EXPECT_EQ(cxGetPopupClientEdgeWidth(style, false, true), edges[i]) << i;
    EXPECT_EQ(cxGetPopupClientEdgeWidth(style, true, true), 2) << i;
    EXPECT_EQ(cxGetPopupClientEdgeWidth(style, false, false), 0) << i;
  }
  EXPECT_EQ(rectText(cxGetMemoTextMargins(taRightJustify)), "(0,1,2,1)");
  EXPECT_EQ(rectText(cxLookupTextMargins(taLeftJustify, false)), "(1,1,1,3)");
  EXPECT_EQ(rectText(cxLookupTextMargins(taRightJustify, false)), "(1,1,2,3)");
  EXPECT_EQ(rectText(cxLookupTextMargins(taCenter, true)), "(1,1,1,1)");
  for (Integer flags : {cxAlignLeft | cxAlignTop, cxAlignHCenter | cxAlignVCenter | cxSingleLine,
                        cxAlignRight | cxAlignBottom})
    EXPECT_EQ(cxTextFlagsToCanvasFlags(cxCanvasFlagsToTextFlags(flags)), flags) << flags;
  EXPECT_NE(cxGetLinkColor(), clNone);
}

TEST(EditRoutines, SpinArrowsAndPolyLinesFillTheirPixels) {
  struct Case {
    Integer Direction;
    bool Double;
    Integer W, H;
  };
  const Case cases[] = {{0, false, 7, 4}, {1, false, 7, 4}, {2, false, 4, 7}, {3, true, 8, 7}};
  for (const Case& c : cases) {
    TBitmap bmp;
    makeFilled(bmp, 20, 20, clWhite);
    TcxCanvas canvas(bmp.Canvas());
    cxDrawSpinArrow(&canvas, 4, TRect{0, 0, 20, 20}, clBlack, false, c.Double, c.Direction);
    TRect ink = inkBounds(bmp, 0xFFFFFF);
    EXPECT_EQ(ink.right - ink.left, c.W) << c.Direction;
    EXPECT_EQ(ink.bottom - ink.top, c.H) << c.Direction;
    EXPECT_EQ(countNot(bmp, TRect{0, 0, 20, 20}, 0xFFFFFF), (c.Double ? 2 : 1) * 16) << "1 + 3 + 5 + 7 per arrow";
  }
  // The up arrow's tip is one pixel at the top centre.
  TBitmap up;
  makeFilled(up, 20, 20, clWhite);
  TcxCanvas upCanvas(up.Canvas());
  cxDrawSpinArrow(&upCanvas, 4, TRect{0, 0, 20, 20}, clBlack, false, false, 0);
  TRect ink = inkBounds(up, 0xFFFFFF);
  EXPECT_EQ(countNot(up, TRect{ink.left, ink.top, ink.right, ink.top + 1}, 0xFFFFFF), 1);
  TBitmap line;
  makeFilled(line, 10, 10, clWhite);
  TcxCanvas lineCanvas(line.Canvas());
  const TPoint points[] = {{1, 1}, {5, 1}, {5, 6}};
  cxDrawPolyLine(&lineCanvas, points, 3, clBlack);
  EXPECT_EQ(countNot(line, TRect{0, 0, 10, 10}, 0xFFFFFF), 5 + 5) << "both ends included, the corner once";
}

TEST_F(EditControlTest, AClickSoonAfterAnActivationByMouseIsADoubleClick) {
  TcxInplaceEditList list;
  TObjectPtr<TTestProperties> props(New<TTestProperties>(nullptr));
  auto* edit = static_cast<TTestEdit*>(list.GetEdit(props.get()));
  TForm* form = newForm();
  edit->SetParent(form);
  edit->SetBounds(20, 20, 100, 20);
  showAndActivate(form);
  struct DblLog : TObject {
    int Count = 0;
    void Dbl(TObject*) { ++Count; }
  } dbl;
  edit->SetOnDblClick(TNotifyEvent(&dbl, &DblLog::Dbl));
  TcxCustomEditData* data = nullptr;
  // The host's point is in the parent's client coordinates.
  edit->ActivateByMouse(TShiftState{ssLeft}, 40, 30, data);
  EXPECT_TRUE(edit->DoubleClickTimer()->Enabled());
  EXPECT_EQ(GetCapture(), nullptr) << "the capture is not kept once the button is up";
  clickAt(edit, TPoint{20, 10});
  pumpFor(20);
  EXPECT_EQ(dbl.Count, 1);
  EXPECT_FALSE(edit->DoubleClickTimer()->Enabled());
  clickAt(edit, TPoint{20, 10});
  pumpFor(20);
  EXPECT_EQ(dbl.Count, 1) << "a later single click is a click";
  edit->SetParent(nullptr);
}
