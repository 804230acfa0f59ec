#pragma once
// Small controls the GUI tests build forms from: a pad that paints one colour and takes
// clicks and the focus, a graphic swatch, a wrapper of the system's BUTTON class, and a
// recorder of events.
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

namespace guitest {

// A windowed control that fills itself with Fill (and draws its caption centred in
// clBlack when it has one). It takes the focus and clicks.
class TTestPad : public TCustomControl {
  RTL_DECLARE_CLASS(TTestPad, TCustomControl)
public:
  explicit TTestPad(TComponent* AOwner);

  TColor Fill() const { return fill_; }
  void SetFill(TColor Value) {
    fill_ = Value;
    Invalidate();
  }

protected:
  void Paint() override;

private:
  TColor fill_ = clRed;
};

// A graphic control (no window) that fills its bounds with Fill.
class TTestSwatch : public TGraphicControl {
  RTL_DECLARE_CLASS(TTestSwatch, TGraphicControl)
public:
  explicit TTestSwatch(TComponent* AOwner);

  TColor Fill() const { return fill_; }
  void SetFill(TColor Value) {
    fill_ = Value;
    Invalidate();
  }

protected:
  void Paint() override;

private:
  TColor fill_ = clBlue;
};

// A control over the system's push button: the system paints it and handles its clicks;
// the parent's WM_COMMAND comes back to it as CN_COMMAND, which it records.
class TTestButton : public TWinControl {
  RTL_DECLARE_CLASS(TTestButton, TWinControl)
public:
  explicit TTestButton(TComponent* AOwner);

  std::vector<Word> NotifyCodes;  // the notifications reflected to the control
  void CNCommand(TWMCommand& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
};

// A control over the system's EDIT class, with a sunken border and the window colour.
class TTestEdit : public TWinControl {
  RTL_DECLARE_CLASS(TTestEdit, TWinControl)
public:
  explicit TTestEdit(TComponent* AOwner);

protected:
  void CreateParams(TCreateParams& Params) override;
};

// A control of class C on Parent, named Name (when not empty) at Bounds, owned by Parent's
// form (so that it goes with the form).
template <class C> C* place(TWinControl* Parent, const std::string& Name, const TRect& Bounds) {
  TComponent* owner = GetParentForm(Parent);
  C* control = New<C>(owner ? owner : static_cast<TComponent*>(Parent));
  if (!Name.empty()) control->SetName(Name);
  control->SetParent(Parent);
  control->SetBoundsRect(Bounds);
  return control;
}

// A form with no stored description.
inline TForm* newForm(Integer Width = 300, Integer Height = 200) {
  TForm* form = TForm::CreateNew(nullptr);
  form->SetBounds(100, 100, Width, Height);
  return form;
}

// Records the events handed to it, in order, as short texts ("Click pad1").
class TEventLog : public TObject {
  RTL_DECLARE_CLASS(TEventLog, TObject)
public:
  std::vector<std::string> Events;

  void Click(TObject* Sender) { add("Click", Sender); }
  void DblClick(TObject* Sender) { add("DblClick", Sender); }
  void Enter(TObject* Sender) { add("Enter", Sender); }
  void Exit(TObject* Sender) { add("Exit", Sender); }
  void MouseEnter(TObject* Sender) { add("MouseEnter", Sender); }
  void MouseLeave(TObject* Sender) { add("MouseLeave", Sender); }
  void MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  // The events whose text starts with Prefix.
  std::vector<std::string> Only(const std::string& Prefix) const;
  std::string Joined() const;

private:
  void add(const std::string& What, TObject* Sender);
};

// The name of a component (or its class name when it has none), for event texts.
std::string nameOf(TObject* Object);

}  // namespace guitest
