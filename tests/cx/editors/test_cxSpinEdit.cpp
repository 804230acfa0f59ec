// The spin editor: step targets (range, overflow, value types), text conversion and
// validation, and, on real windows, stepping by the buttons (clicked and held), the keys and
// the wheel, and the refusal of letters.
#include <cmath>
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxSpinEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

class SpinEditTest : public GuiTest {
protected:
  TForm* newForm() {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, 360, 160);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxSpinEdit* newEdit(TForm* Form, Integer Y = 10) {
    auto* edit = New<TcxSpinEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, Y, 120, 21);
    return edit;
  }
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(250, 100, 60, 22);
    return edit;
  }
  void focusAndWait(TcxCustomSpinEdit* Edit) {
    Edit->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == Edit->InnerEdit()->WindowHandle(); }));
    pumpFor(20);
  }
  // The centre of the spin button of the given kind, in the editor's client coordinates.
  static TPoint buttonCentre(TcxCustomSpinEdit* Edit, Integer AKind) {
    TcxCustomEditViewInfo* vi = Edit->GetViewInfo();
    for (Integer i = 0; i < vi->ButtonCount(); ++i)
      if (vi->Button(i)->ButtonIndex == AKind) {
        const TRect r = vi->Button(i)->Bounds;
        return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      }
    ADD_FAILURE() << "no button of kind " << AKind;
    return TPoint{0, 0};
  }
  static double number(TcxCustomSpinEdit* Edit) { return static_cast<double>(Edit->Value()); }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Steps and values

TEST_F(SpinEditTest, StepTargetsFollowTheRangeAndTheOverflowMode) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetValueType(vtFloat);
  struct Case {
    double Min, Max, Value;
    Integer Kind;
    bool Accepted;
    double Target;
  };
  const Case cases[] = {
      {0, 0, 0, skUp, true, 1},          // no range: never refused or clamped
      {0, 0, -5, skDown, true, -6},
      {0, 10, 10, skUp, true, 10},       // overflow mode 1 stops at the bound
      {0, 10, 9.5, skUp, true, 10},
      {0, 10, 5, skFastUp, true, 10},
      {0, 10, 12, skDown, true, 10},     // above the range: down goes to the top
      {0, 10, 12, skUp, false, 0},       // and up is refused
      {0, 10, -3, skUp, true, 0},        // below it: up goes to the bottom
      {0, 10, -3, skDown, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("range " + std::to_string(c.Min) + ".." + std::to_string(c.Max) + ", value " +
                 std::to_string(c.Value) + ", kind " + std::to_string(c.Kind));
    edit->Properties()->SetMinValue(c.Min);
    edit->Properties()->SetMaxValue(c.Max);
    edit->SetValue(Variant(c.Value));
    double target = -1;
    ASSERT_EQ(edit->ComputeSpinTarget(c.Kind, target), c.Accepted);
    if (c.Accepted) {
      EXPECT_DOUBLE_EQ(target, c.Target);
    }
  }
}

// A spin editor that refuses steps beyond its bounds instead of stopping at them.
class StrictSpinProperties : public TcxSpinEditProperties {
public:
  explicit StrictSpinProperties(TPersistent* AOwner) : TcxSpinEditProperties(AOwner) {}
  Integer GetOverflowMode() override { return 0; }
};

TEST_F(SpinEditTest, WithoutClampingAStepBeyondABoundIsRefusedAndTheTextStays) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  TObjectPtr<StrictSpinProperties> strict(New<StrictSpinProperties>(nullptr));
  strict->SetMinValue(0);
  strict->SetMaxValue(10);
  edit->SetProperties(strict.get());
  edit->SetValue(Variant(10));
  showAndActivate(form);
  const std::string before = edit->GetDisplayText();
  EXPECT_FALSE(edit->Spin(skUp));
  EXPECT_EQ(edit->GetDisplayText(), before);
  EXPECT_EQ(edit->Value().AsInteger(), 10);
}

TEST_F(SpinEditTest, IntegerStepsRoundHalvesToEvenAndAStandAloneEditorIsInteger) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  EXPECT_EQ(edit->Properties()->ValueType(), vtInt) << "a stand-alone editor holds whole numbers";
  struct Case {
    double Increment;
    double Step;
  };
  const Case cases[] = {{2.5, 2}, {3.5, 4}, {1, 1}, {0.4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("increment " + std::to_string(c.Increment));
    edit->Properties()->SetIncrement(c.Increment);
    EXPECT_DOUBLE_EQ(edit->GetIncrement(skUp), c.Step);
    EXPECT_DOUBLE_EQ(edit->GetIncrement(skDown), -c.Step);
  }
  edit->Properties()->SetLargeIncrement(25);
  EXPECT_DOUBLE_EQ(edit->GetIncrement(skFastDown), -25);
  // Values take the type: a double becomes a 64-bit integer, halves to even.
  edit->SetValue(Variant(6.5));
  EXPECT_EQ(VarType(edit->Value()), varInt64);
  EXPECT_EQ(edit->Value().AsInteger(), 6);
  edit->Properties()->SetValueType(vtFloat);
  edit->SetValue(Variant(6.5));
  EXPECT_DOUBLE_EQ(number(edit), 6.5);
  EXPECT_EQ(VarType(edit->Value()), varDouble);
}

TEST_F(SpinEditTest, StepsWithoutARangeStopAtTheEndOfTheIntegerRange) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetLargeIncrement(1e18);
  edit->SetValue(Variant(static_cast<long long>(9000000000000000000LL)));
  double target = 0;
  EXPECT_FALSE(edit->ComputeSpinTarget(skFastUp, target)) << "the step would leave the 64-bit range";
  EXPECT_FALSE(edit->Spin(skFastUp));
  EXPECT_EQ(VarToStr(edit->Value()), "9000000000000000000");
  EXPECT_TRUE(edit->ComputeSpinTarget(skFastDown, target));
}

TEST_F(SpinEditTest, TextConversionReportsBadNumbersAndFallsBackToTheLastNumber) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->SetValue(Variant(7));
  struct Case {
    const char* Text;
    bool Ok;
    const TResStringRec* Error;
  };
  const Case cases[] = {
      {"12", true, nullptr},
      {"", true, nullptr},
      {"5ab", false, &scxEditInvalidNumericValue},
      {"1e30", false, &scxEditValueOutOfBounds},  // beyond a 64-bit integer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("text \"") + c.Text + "\"");
    std::string error;
    Variant value;
    EXPECT_EQ(edit->TextToValue(Variant(std::string(c.Text)), false, error, value), c.Ok);
    if (!c.Ok) {
      EXPECT_EQ(error, cxGetResourceString(c.Error));
      EXPECT_EQ(value.AsInteger(), 7) << "the last valid number stays";
      EXPECT_THROW(edit->TextToValue(Variant(std::string(c.Text)), true, error, value), Exception);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Real input

TEST_F(SpinEditTest, ArrowAndPageKeysStepAndLettersAreRefused) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetMinValue(0);
  edit->Properties()->SetMaxValue(100);
  edit->Properties()->SetLargeIncrement(10);
  edit->SetValue(Variant(5));
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_UP);
  pumpFor(20);
  EXPECT_EQ(edit->GetDisplayText(), "6");
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pumpFor(20);
  EXPECT_EQ(edit->GetDisplayText(), "4");
  pressKey(VK_PRIOR);
  pumpFor(20);
  EXPECT_EQ(edit->GetDisplayText(), "14");
  pressKey(VK_NEXT);
  pressKey(VK_NEXT);
  pumpFor(20);
  EXPECT_EQ(edit->GetDisplayText(), "0") << "clamped at the bottom of the range";
  EXPECT_EQ(edit->Value().AsInteger(), 0);
  // Typing: only number characters get in.
  pressKey(VK_END);
  typeText("5ab");
  EXPECT_EQ(edit->GetDisplayText(), "05");
  typeText(",");
  EXPECT_EQ(edit->GetDisplayText(), "05") << "an integer editor takes no decimal separator";
  EXPECT_EQ(edit->Value().AsInteger(), 5);
}

TEST_F(SpinEditTest, AFloatEditorTakesEitherDecimalMarkAsTheLocaleSeparator) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetValueType(vtFloat);
  edit->SetValue(Variant(0));
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_END);
  pressKey(VK_BACK);
  typeText("2,5");
  EXPECT_EQ(edit->GetDisplayText(), std::string("2") + FormatSettings.DecimalSeparator + "5");
  EXPECT_DOUBLE_EQ(number(edit), 2.5);
  edit->Properties()->SetIncrement(0.25);
  pressKey(VK_UP);
  pumpFor(20);
  EXPECT_DOUBLE_EQ(number(edit), 2.75);
}

TEST_F(SpinEditTest, WithCtrlIncrementPlainUpIsNoStep) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetUseCtrlIncrement(true);
  edit->SetValue(Variant(3));
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_UP);
  pumpFor(20);
  EXPECT_EQ(edit->Value().AsInteger(), 3);
  pressWith({VK_CONTROL}, VK_UP);
  pumpFor(20);
  EXPECT_EQ(edit->Value().AsInteger(), 4);
}

TEST_F(SpinEditTest, TheWheelSteps) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->SetValue(Variant(10));
  showAndActivate(form);
  focusAndWait(edit);
  const TPoint centre = edit->ClientToScreen(TPoint{20, 10});
  moveMouseTo(centre);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(WHEEL_DELTA), 0);
  pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), 11);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), 9);
}

TEST_F(SpinEditTest, ClickedButtonsStepOnceAndAHeldButtonRepeatsAfterADelay) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  TEdit* other = focusHolder(form);
  edit->SetValue(Variant(0));
  showAndActivate(form);
  focusAndWait(edit);
  clickAt(edit, buttonCentre(edit, skUp));
  pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), 1);
  clickAt(edit, buttonCentre(edit, skDown));
  clickAt(edit, buttonCentre(edit, skDown));
  pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), -1);
  EXPECT_EQ(edit->RepeatTimer(), nullptr) << "no repeat after the button went up";

  // Held: one step at once, none before 400 ms, then one every 100 ms.
  moveMouseTo(edit->ClientToScreen(buttonCentre(edit, skUp)));
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  pumpFor(250);
  EXPECT_EQ(edit->Value().AsInteger(), 0) << "one step on the press, nothing more yet";
  pumpFor(900);
  const long long held = edit->Value().AsInteger();
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  pumpFor(60);
  // 1150 ms held: the step at 400 ms and about seven more at 100 ms; a loaded machine loses
  // ticks, never adds them.
  EXPECT_GE(held, 4);
  EXPECT_LE(held, 9);
  const long long released = edit->Value().AsInteger();
  pumpFor(400);
  EXPECT_EQ(edit->Value().AsInteger(), released) << "releasing the button stops the repeat";
  EXPECT_EQ(edit->RepeatTimer(), nullptr);
  other->SetFocus();
  pumpFor(30);
  EXPECT_EQ(edit->EditValue().AsInteger(), released) << "the stepped value reaches the edit value";
}

TEST_F(SpinEditTest, ValidationReportsValuesOutsideTheRange) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->Properties()->SetMinValue(1);
  edit->Properties()->SetMaxValue(10);
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_END);
  pressKey(VK_BACK);
  typeText("42");
  Variant display(edit->GetDisplayText());
  std::string error;
  bool failed = false;
  edit->Properties()->ValidateDisplayValue(display, error, failed, edit);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, cxGetResourceString(&scxEditValueOutOfBounds));
  EXPECT_EQ(edit->GetDisplayText(), "42") << "the typed value stays as typed";
}

TEST_F(SpinEditTest, Screenshot) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  edit->SetValue(Variant(200));
  TcxSpinEdit* fast = newEdit(form, 50);
  fast->Properties()->SpinButtons()->SetShowFastButtons(true);
  fast->Properties()->SpinButtons()->SetPosition(sbpHorzRight);
  fast->SetValue(Variant(6));
  showAndActivate(form);
  // The mouse rests away from the editors: a button under it would show hot.
  moveMouseTo(form->ClientToScreen(TPoint{form->ClientWidth() - 5, form->ClientHeight() - 5}));
  pumpFor(60);
  TBitmap bitmap;
  captureClient(form, bitmap);
  const std::string path = savePng(bitmap, "spin_edit");
  EXPECT_FALSE(path.empty());
  // The up button shows a dark arrow on its face colour (an unpainted face would be dark
  // all over).
  const TPoint up = buttonCentre(edit, skUp);
  Integer arrowPixels = 0;
  Integer facePixels = 0;
  for (Integer dx = -4; dx <= 4; ++dx)
    for (Integer dy = -2; dy <= 2; ++dy) {
      const uint32_t c = pixelAt(bitmap, edit->Left() + up.x + dx, edit->Top() + up.y + dy);
      if (c == static_cast<uint32_t>(ColorToRGB(clBtnText))) ++arrowPixels;
      if (c == static_cast<uint32_t>(ColorToRGB(clBtnFace))) ++facePixels;
    }
  const bool arrow = arrowPixels > 0 && facePixels > arrowPixels;
  EXPECT_TRUE(arrow) << "an arrow in the up button, " << path;
}


// A button held while the editor goes away: the pending repeat must not step a freed editor.
TEST_F(SpinEditTest, AnEditorFreedWhileAButtonIsHeldStepsNoMore) {
  TForm* form = newForm();
  TcxSpinEdit* edit = newEdit(form);
  showAndActivate(form);
  focusAndWait(edit);
  moveMouseTo(edit->ClientToScreen(buttonCentre(edit, skUp)));
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  pumpFor(100);
  ASSERT_NE(edit->RepeatTimer(), nullptr) << "the repeat is pending";
  EXPECT_EQ(edit->Value().AsInteger(), 1);
  edit->Free();
  pumpFor(700);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  pumpFor(50);
  EXPECT_EQ(form->ControlCount(), 0) << "the editor is gone and nothing stepped it afterwards";
}
