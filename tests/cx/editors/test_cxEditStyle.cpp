#include <functional>
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxEdit.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/TypInfo.h"

namespace {

// ---------------------------------------------------------------------------------------
// Fixtures.

template <class T> using Owned = TObjectPtr<T>;

Owned<TcxEditStyle> newStyle(TPersistent* AOwner = nullptr, bool AIsInplace = false) {
  return Owned<TcxEditStyle>(New<TcxEditStyle>(AOwner, AIsInplace));
}

Owned<TcxEditStyleController> newController() {
  return Owned<TcxEditStyleController>(New<TcxEditStyleController>(nullptr));
}

// Counts the change notices of a style or of a properties object.
class Notices : public TObject {
public:
  int Count = 0;
  void Changed(TObject*) { ++Count; }
  void Listen(TcxContainerStyle* S) { S->SetOnChanged(TNotifyEvent(this, &Notices::Changed)); }
  void Listen(TcxCustomEditProperties* P) { P->SetOnPropertiesChanged(TNotifyEvent(this, &Notices::Changed)); }
};

// An editor that also leaves its border style out of its stored style.
class NoBorderEdit : public TcxCustomEdit {
  RTL_DECLARE_CLASS(NoBorderEdit, TcxCustomEdit)
public:
  explicit NoBorderEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxContainerStyleValues GetUnusedStyleValues() override { return TcxContainerStyleValues{csvBorderStyle}; }
};
RTL_IMPLEMENT_CLASS(NoBorderEdit)

// One editor value of the style, reached through integers so that one table serves all three.
struct EditValue {
  const char* Name;
  TcxContainerStyleValue Index;
  std::function<void(TcxCustomEditStyle*, int)> Set;
  std::function<int(TcxCustomEditStyle*)> Get;
  std::function<bool(TcxCustomEditStyle*)> Stored;
  int Default;
  int Other;
};

const EditValue editValues[] = {
    {"ButtonStyle", svButtonStyle,
     [](TcxCustomEditStyle* S, int V) { S->SetButtonStyle(static_cast<TcxEditButtonStyle>(V)); },
     [](TcxCustomEditStyle* S) { return static_cast<int>(S->GetButtonStyle()); },
     [](TcxCustomEditStyle* S) { return S->IsButtonStyleStored(); }, btsDefault, btsFlat},
    {"ButtonTransparency", svButtonTransparency,
     [](TcxCustomEditStyle* S, int V) { S->SetButtonTransparency(static_cast<TcxEditButtonTransparency>(V)); },
     [](TcxCustomEditStyle* S) { return static_cast<int>(S->GetButtonTransparency()); },
     [](TcxCustomEditStyle* S) { return S->IsButtonTransparencyStored(); }, ebtNone, ebtHideInactive},
    {"PopupBorderStyle", svPopupBorderStyle,
     [](TcxCustomEditStyle* S, int V) { S->SetPopupBorderStyle(static_cast<TcxEditPopupBorderStyle>(V)); },
     [](TcxCustomEditStyle* S) { return static_cast<int>(S->GetPopupBorderStyle()); },
     [](TcxCustomEditStyle* S) { return S->IsPopupBorderStyleStored(); }, epbsDefault, epbsFrame3D},
};

}  // namespace

// ---------------------------------------------------------------------------------------
// The editor values and their resolution.

TEST(cxEditStyle, EditorValuesComeFromTheStyleThenTheControllerChainThenTheDefault) {
  for (const EditValue& v : editValues) {
    SCOPED_TRACE(v.Name);
    auto style = newStyle();
    auto nearController = newController();
    auto farController = newController();
    EXPECT_EQ(v.Get(style.get()), v.Default);
    EXPECT_FALSE(style->IsValueAssigned(v.Index));

    // Assigned two controllers away.
    nearController->GetStyle()->SetStyleController(farController.get());
    v.Set(farController->GetStyle(), v.Other);
    style->SetStyleController(nearController.get());
    EXPECT_EQ(style->GetStyleController(), nearController.get());
    EXPECT_EQ(v.Get(style.get()), v.Other);
    EXPECT_TRUE(style->IsValueAssigned(v.Index)) << "assigned up the chain counts";
    EXPECT_FALSE(style->OwnAssignedValues().Contains(v.Index)) << "the style itself did not assign it";

    // The nearer controller wins, the style itself wins over both.
    v.Set(nearController->GetStyle(), v.Default);
    EXPECT_EQ(v.Get(style.get()), v.Default);
    v.Set(style.get(), v.Other);
    v.Set(nearController->GetStyle(), v.Default);
    EXPECT_EQ(v.Get(style.get()), v.Other);

    // Unlinked and unassigned: the default again.
    style->SetAssignedValues(TcxContainerStyleValues());
    style->SetStyleController(static_cast<TcxEditStyleController*>(nullptr));
    EXPECT_EQ(v.Get(style.get()), v.Default);
    EXPECT_FALSE(style->IsValueAssigned(v.Index));
  }
}

TEST(cxEditStyle, AnInplaceStyleNeverConsultsTheController) {
  for (const EditValue& v : editValues) {
    SCOPED_TRACE(v.Name);
    auto controller = newController();
    v.Set(controller->GetStyle(), v.Other);
    auto style = newStyle(nullptr, /*AIsInplace=*/true);
    style->SetStyleController(controller.get());
    EXPECT_EQ(v.Get(style.get()), v.Default);
    v.Set(style.get(), v.Other);
    EXPECT_EQ(v.Get(style.get()), v.Other);
  }
}

TEST(cxEditStyle, SettingAValueMarksItAssignedEvenAtItsDefaultAndNotifiesOnlyOnChange) {
  for (const EditValue& v : editValues) {
    SCOPED_TRACE(v.Name);
    auto style = newStyle();
    Notices notices;
    notices.Listen(style.get());
    v.Set(style.get(), v.Default);
    EXPECT_TRUE(style->AssignedValues().Contains(v.Index)) << "the default is now explicit";
    EXPECT_TRUE(v.Stored(style.get()));
    EXPECT_EQ(notices.Count, 1);
    v.Set(style.get(), v.Default);
    EXPECT_EQ(notices.Count, 1) << "assigned and equal";
    v.Set(style.get(), v.Other);
    EXPECT_EQ(notices.Count, 2);
    style->BeginUpdate();
    v.Set(style.get(), v.Default);
    EXPECT_EQ(notices.Count, 2) << "inside an update bracket";
    style->EndUpdate();
    EXPECT_EQ(notices.Count, 3);
  }
}

TEST(cxEditStyle, PopupCloseButtonStartsSetAndNotifiesOnlyOnChange) {
  auto style = newStyle();
  Notices notices;
  notices.Listen(style.get());
  EXPECT_TRUE(style->PopupCloseButton());
  style->SetPopupCloseButton(true);
  EXPECT_EQ(notices.Count, 0);
  style->SetPopupCloseButton(false);
  EXPECT_FALSE(style->PopupCloseButton());
  EXPECT_EQ(notices.Count, 1);
  EXPECT_TRUE(newStyle(nullptr, true)->PopupCloseButton());
}

TEST(cxEditStyle, KnowsElevenValuesWithTheirNames) {
  auto style = newStyle();
  EXPECT_EQ(style->GetStyleValueCount(), 11);
  std::string name;
  const struct {
    Integer Index;
    const char* Name;
  } names[] = {{0, "BorderColor"}, {7, "TransparentBorder"}, {8, "ButtonStyle"}, {9, "ButtonTransparency"},
               {10, "PopupBorderStyle"}};
  for (const auto& n : names) {
    EXPECT_TRUE(style->GetStyleValueName(static_cast<TcxContainerStyleValue>(n.Index), name)) << n.Index;
    EXPECT_EQ(name, n.Name);
  }
  EXPECT_FALSE(style->GetStyleValueName(static_cast<TcxContainerStyleValue>(11), name));
  EXPECT_EQ(name, "");
  // In place every value counts as assigned, the editor values included.
  auto inplace = newStyle(nullptr, true);
  EXPECT_TRUE(inplace->GetAssignedValues().Contains(svPopupBorderStyle));
  EXPECT_FALSE(inplace->GetAssignedValues().Contains(static_cast<TcxContainerStyleValue>(11)));
}

TEST(cxEditStyle, BorderStyleIsTheContainersUnderTheEditorsType) {
  auto style = newStyle();
  style->SetBorderStyle(ebsThick);
  EXPECT_EQ(style->BorderStyle(), cbsThick);
  EXPECT_EQ(style->GetBorderStyle(), ebsThick);
  style->SetBorderStyle(cbsUltraFlat);
  EXPECT_EQ(style->GetBorderStyle(), ebsUltraFlat);
}

TEST(cxEditStyle, ValuesTheEditorIgnoresAreNotStored) {
  // Without an editor owner an assigned value is stored; the base editor ignores the three
  // editor values; another editor kind may ignore the border style instead.
  Owned<TcxCustomEdit> edit(New<TcxCustomEdit>(nullptr));
  Owned<NoBorderEdit> noBorderEdit(New<NoBorderEdit>(nullptr));
  const struct {
    const char* Name;
    TPersistent* Owner;
    bool EditorValuesStored;
    bool BorderStyleStored;
  } cases[] = {{"no editor", nullptr, true, true},
               {"base editor", edit.get(), false, true},
               {"editor without border style", noBorderEdit.get(), true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto style = newStyle(c.Owner);
    EXPECT_EQ(style->GetOwnerEdit(), c.Owner);
    for (const EditValue& v : editValues) EXPECT_FALSE(v.Stored(style.get())) << v.Name << " unassigned";
    EXPECT_FALSE(style->IsBorderStyleStored());
    for (const EditValue& v : editValues) {
      v.Set(style.get(), v.Other);
      EXPECT_EQ(v.Stored(style.get()), c.EditorValuesStored) << v.Name;
      EXPECT_EQ(IsStoredProp(style.get(), v.Name), c.EditorValuesStored) << v.Name << " through the class's RTTI";
    }
    style->SetBorderStyle(ebsFlat);
    EXPECT_EQ(style->IsBorderStyleStored(), c.BorderStyleStored);
    EXPECT_EQ(IsStoredProp(style.get(), "BorderStyle"), c.BorderStyleStored);
    EXPECT_FALSE(IsStoredProp(style.get(), "AssignedValues"));
  }
  EXPECT_EQ(newStyle(newController().get())->GetOwnerEdit(), nullptr);
}

TEST(cxEditStyle, AssignCopiesEditorValuesAndFlagsWithOneNotice) {
  auto source = newStyle();
  source->SetButtonStyle(btsHotFlat);
  source->SetButtonTransparency(ebtAlways);
  source->SetPopupCloseButton(false);
  source->SetColor(clRed);

  auto target = newStyle();
  target->SetPopupBorderStyle(epbsFlat);
  Notices notices;
  notices.Listen(target.get());
  target->Assign(source.get());
  EXPECT_EQ(notices.Count, 1);
  EXPECT_EQ(target->GetButtonStyle(), btsHotFlat);
  EXPECT_EQ(target->GetButtonTransparency(), ebtAlways);
  EXPECT_FALSE(target->PopupCloseButton());
  EXPECT_EQ(target->GetVisibleColor(), clRed);
  EXPECT_TRUE(target->OwnAssignedValues().Contains(svButtonStyle));
  EXPECT_FALSE(target->OwnAssignedValues().Contains(svPopupBorderStyle)) << "the source left it unassigned";
  EXPECT_EQ(target->GetPopupBorderStyle(), epbsDefault);
  EXPECT_EQ(target->UpdateCount(), 0);

  // A plain container style gives its own values only.
  Owned<TcxContainerStyle> plain(New<TcxContainerStyle>(nullptr, false));
  plain->SetShadow(true);
  target->Assign(plain.get());
  EXPECT_TRUE(target->Shadow());
  EXPECT_FALSE(target->IsValueAssigned(svButtonStyle));
  EXPECT_EQ(target->GetButtonStyle(), btsDefault);
  Owned<TcxEditButtons> notAStyle(New<TcxEditButtons>(nullptr));
  EXPECT_THROW(target->Assign(notAStyle.get()), Exception);
}

TEST(cxEditStyle, VisibleColourFollowsAssignmentThenTheParentThenTheDefault) {
  Owned<TForm> form(New<TForm>(nullptr, 0));
  form->SetColor(clYellow);
  TcxCustomEdit* edit = New<TcxCustomEdit>(form.get());
  edit->SetParent(form.get());
  auto controller = newController();

  auto style = newStyle(edit);
  edit->SetParentColor(false);
  EXPECT_EQ(style->GetVisibleColor(), clWindow);
  edit->SetParentColor(true);
  EXPECT_EQ(style->GetVisibleColor(), clYellow) << "an editor that follows its parent";
  controller->GetStyle()->SetColor(clLime);
  style->SetStyleController(controller.get());
  EXPECT_EQ(style->GetVisibleColor(), clLime) << "the controller's colour comes before the parent's";
  style->SetColor(clRed);
  EXPECT_EQ(style->GetVisibleColor(), clRed);

  auto inplace = newStyle(edit, true);
  inplace->SetColor(clNavy);
  inplace->SetStyleController(controller.get());
  EXPECT_EQ(inplace->GetVisibleColor(), clNavy) << "in place: the own colour";
}

// ---------------------------------------------------------------------------------------
// The editor style controller.

TEST(cxEditStyleController, OwnsAnEditStyleAndPassesItsChangesToListeningStyles) {
  auto controller = newController();
  ASSERT_NE(controller->GetStyle(), nullptr);
  EXPECT_EQ(controller->GetStyle()->ClassType(), TcxEditStyle::StaticClass());
  EXPECT_EQ(GetPropInfo(controller.get(), "Style")->PropType, TypeInfoOf(static_cast<TcxEditStyle**>(nullptr)));

  auto listener = newStyle();
  listener->SetStyleController(controller.get());
  Notices notices;
  notices.Listen(listener.get());
  controller->GetStyle()->SetButtonStyle(btsUltraFlat);
  EXPECT_EQ(notices.Count, 1);
  EXPECT_EQ(listener->GetButtonStyle(), btsUltraFlat);

  // SetStyle copies into the own style.
  auto given = newStyle();
  given->SetPopupBorderStyle(epbsSingle);
  TcxEditStyle* own = controller->GetStyle();
  controller->SetStyle(given.get());
  EXPECT_EQ(controller->GetStyle(), own);
  EXPECT_EQ(listener->GetPopupBorderStyle(), epbsSingle);

  // A plain container controller is still a controller, but not an editor one.
  Owned<TcxStyleController> plain(New<TcxStyleController>(nullptr));
  listener->SetStyleController(plain.get());
  EXPECT_EQ(listener->StyleController(), plain.get());
  EXPECT_EQ(listener->GetStyleController(), nullptr);
  EXPECT_EQ(listener->GetButtonStyle(), btsDefault);
}

// ---------------------------------------------------------------------------------------
// Edit buttons.

namespace {

Owned<TcxCustomEditProperties> newProperties(TPersistent* AOwner = nullptr) {
  return Owned<TcxCustomEditProperties>(New<TcxCustomEditProperties>(AOwner));
}

TcxEditButton* addButton(TcxCustomEditProperties* P) { return static_cast<TcxEditButton*>(P->Buttons()->Add()); }

}  // namespace

TEST(cxEditButton, StartsAsAnAutomaticWidthDownArrowAtTheRight) {
  auto p = newProperties();
  TcxEditButton* button = addButton(p.get());
  EXPECT_EQ(button->Kind(), bkDown);
  EXPECT_TRUE(button->Visible());
  EXPECT_FALSE(button->Default());
  EXPECT_FALSE(button->LeftAlignment());
  EXPECT_EQ(button->Width(), 0);
  EXPECT_FALSE(button->HasGlyph()) << "the glyph is made on first read";
  TBitmap* glyph = button->GetGlyph();
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(button->GetGlyph(), glyph);
  EXPECT_FALSE(IsStoredProp(button, "Glyph")) << "an empty glyph";
}

TEST(cxEditButton, EveryChangeOfAButtonOrTheCollectionReachesTheProperties) {
  const struct {
    const char* Name;
    std::function<void(TcxCustomEditProperties*, TcxEditButton*)> Apply;
    int Notices;
  } cases[] = {
      {"kind", [](auto*, TcxEditButton* b) { b->SetKind(bkEllipsis); }, 1},
      {"same kind", [](auto*, TcxEditButton* b) { b->SetKind(bkDown); }, 0},
      {"left alignment", [](auto*, TcxEditButton* b) { b->SetLeftAlignment(true); }, 1},
      {"same left alignment", [](auto*, TcxEditButton* b) { b->SetLeftAlignment(false); }, 0},
      {"hidden", [](auto*, TcxEditButton* b) { b->SetVisible(false); }, 1},
      {"same visibility", [](auto*, TcxEditButton* b) { b->SetVisible(true); }, 0},
      {"width", [](auto*, TcxEditButton* b) { b->SetWidth(17); }, 1},
      {"same width", [](auto*, TcxEditButton* b) { b->SetWidth(0); }, 0},
      {"negative width", [](auto*, TcxEditButton* b) { b->SetWidth(-5); }, 0},
      {"default", [](auto*, TcxEditButton* b) { b->SetDefault(true); }, 1},
      {"not default again", [](auto*, TcxEditButton* b) { b->SetDefault(false); }, 0},
      {"glyph drawn on", [](auto*, TcxEditButton* b) { b->GetGlyph()->SetSize(8, 8); }, 1},
      {"glyph cleared", [](auto*, TcxEditButton* b) { b->SetGlyph(nullptr); }, 1},
      {"button added", [](TcxCustomEditProperties* p, auto*) { p->Buttons()->Add(); }, 1},
      {"button deleted", [](TcxCustomEditProperties* p, auto*) { p->Buttons()->Delete(0); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto p = newProperties();
    TcxEditButton* button = addButton(p.get());
    button->GetGlyph();
    Notices notices;
    notices.Listen(p.get());
    c.Apply(p.get(), button);
    EXPECT_EQ(notices.Count, c.Notices);
  }
}

TEST(cxEditButton, MakingOneButtonDefaultClearsTheOthers) {
  auto p = newProperties();
  TcxEditButton* buttons[] = {addButton(p.get()), addButton(p.get()), addButton(p.get())};
  buttons[0]->SetDefault(true);
  buttons[2]->SetDefault(true);
  EXPECT_FALSE(buttons[0]->Default());
  EXPECT_FALSE(buttons[1]->Default());
  EXPECT_TRUE(buttons[2]->Default());
  buttons[1]->SetDefault(true);
  EXPECT_FALSE(buttons[0]->Default());
  EXPECT_TRUE(buttons[1]->Default());
  EXPECT_FALSE(buttons[2]->Default());
  // Clearing touches only that button.
  buttons[1]->SetDefault(false);
  for (TcxEditButton* b : buttons) EXPECT_FALSE(b->Default());
}

TEST(cxEditButton, WidthIgnoresNegativeValuesAndZeroIsAutomatic) {
  auto p = newProperties();
  TcxEditButton* button = addButton(p.get());
  button->SetWidth(20);
  button->SetWidth(-5);
  EXPECT_EQ(button->Width(), 20);
  button->SetWidth(0);
  EXPECT_EQ(button->Width(), 0);
}

TEST(cxEditButtons, VisibleCountCountsOnlyVisibleButtons) {
  auto p = newProperties();
  EXPECT_EQ(p->Buttons()->GetVisibleCount(), 0);
  addButton(p.get());
  addButton(p.get())->SetVisible(false);
  addButton(p.get());
  EXPECT_EQ(p->Buttons()->Count(), 3);
  EXPECT_EQ(p->Buttons()->GetVisibleCount(), 2);
}

TEST(cxEditButtons, TheFirstButtonOfADesignedEditorBecomesTheDefault) {
  const struct {
    const char* Name;
    bool Designing;
    bool Loading;
    bool FirstIsDefault;
  } cases[] = {{"run time", false, false, false},
               {"designer", true, false, true},
               {"read from a stream in the designer", true, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Owned<TcxCustomEdit> edit(New<TcxCustomEdit>(nullptr));
    if (c.Designing) edit->SetDesigning(true);
    if (c.Loading) edit->SetLoading(true);
    auto p = newProperties(edit.get());
    TcxEditButton* first = addButton(p.get());
    TcxEditButton* second = addButton(p.get());
    EXPECT_EQ(first->Default(), c.FirstIsDefault);
    EXPECT_FALSE(second->Default());
    // Built straight into the collection rather than through Add.
    p->Buttons()->Clear();
    auto* direct = New<TcxEditButton>(static_cast<TCollection*>(p->Buttons()));
    EXPECT_EQ(direct->Collection(), p->Buttons());
    EXPECT_EQ(direct->Default(), c.FirstIsDefault) << "built directly";
    if (c.Loading) edit->SetLoading(false);
  }
}

TEST(cxEditButton, AssignCopiesEverySettingInOneNotice) {
  auto source = newProperties();
  TcxEditButton* from = addButton(source.get());
  from->SetDefault(true);
  from->SetKind(bkGlyph);
  from->SetLeftAlignment(true);
  from->SetVisible(false);
  from->SetWidth(23);
  from->GetGlyph()->SetSize(12, 10);

  auto target = newProperties();
  TcxEditButton* to = addButton(target.get());
  Notices notices;
  notices.Listen(target.get());
  to->Assign(from);
  EXPECT_EQ(notices.Count, 1);
  EXPECT_TRUE(to->Default());
  EXPECT_EQ(to->Kind(), bkGlyph);
  EXPECT_TRUE(to->LeftAlignment());
  EXPECT_FALSE(to->Visible());
  EXPECT_EQ(to->Width(), 23);
  ASSERT_TRUE(to->HasGlyph());
  EXPECT_NE(to->GetGlyph(), from->GetGlyph()) << "the glyph is copied, not shared";
  EXPECT_EQ(to->GetGlyph()->Width(), 12);
  EXPECT_EQ(to->GetGlyph()->Height(), 10);
  EXPECT_EQ(target->Buttons()->UpdateCount(), 0);

  // A source without a glyph takes the glyph away; nothing is made on the source.
  TcxEditButton* bare = addButton(source.get());
  to->Assign(bare);
  EXPECT_FALSE(to->HasGlyph());
  EXPECT_FALSE(bare->HasGlyph());

  // The whole collection through the properties.
  auto copy = newProperties();
  copy->Buttons()->Assign(source->Buttons());
  ASSERT_EQ(copy->Buttons()->Count(), 2);
  EXPECT_EQ(copy->Buttons()->GetItem(0)->Kind(), bkGlyph);
  EXPECT_TRUE(copy->Buttons()->GetItem(0)->Default());
  EXPECT_EQ(copy->Buttons()->GetItem(1)->Kind(), bkDown);
}

TEST(cxEditButton, SetGlyphCopiesTheBitmapAndNullFreesIt) {
  auto p = newProperties();
  TcxEditButton* button = addButton(p.get());
  Owned<TBitmap> picture(New<TBitmap>());
  picture->SetSize(9, 7);
  button->SetGlyph(picture.get());
  ASSERT_TRUE(button->HasGlyph());
  EXPECT_NE(button->GetGlyph(), picture.get());
  EXPECT_EQ(button->GetGlyph()->Width(), 9);
  EXPECT_TRUE(IsStoredProp(button, "Glyph"));
  // The copy still reports its own later changes.
  Notices notices;
  notices.Listen(p.get());
  button->GetGlyph()->SetSize(4, 4);
  EXPECT_EQ(notices.Count, 1);
  button->SetGlyph(nullptr);
  EXPECT_FALSE(button->HasGlyph());
  EXPECT_EQ(notices.Count, 2);
}
