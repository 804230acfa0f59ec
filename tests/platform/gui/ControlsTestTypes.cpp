#include "ControlsTestTypes.h"

namespace guitest {

TTestPad::TTestPad(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque, csSetCaption});
  SetBounds(0, 0, 40, 30);
  SetTabStop(true);
}

void TTestPad::Paint() {
  Canvas()->Brush()->SetColor(fill_);
  Canvas()->FillRect(ClientRect());
  std::string text = Caption();
  if (!text.empty()) {
    TRect r = ClientRect();
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Font()->SetColor(clBlack);
    DrawTextA(Canvas()->Handle(), text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

TTestSwatch::TTestSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 30, 20);
}

void TTestSwatch::Paint() {
  Canvas()->Brush()->SetColor(fill_);
  Canvas()->FillRect(ClientRect());
}

TTestButton::TTestButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TTestButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_PUSHBUTTON;
}

void TTestButton::CNCommand(TWMCommand& Message) { NotifyCodes.push_back(Message.NotifyCode); }

TTestEdit::TTestEdit(TComponent* AOwner) : TWinControl(AOwner) {
  // Starts empty rather than showing its name, so tests see exactly what was typed.
  SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
  SetBounds(0, 0, 120, 21);
  SetTabStop(true);
  SetParentColor(false);  // the window colour, not the form's
}

void TTestEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::string nameOf(TObject* Object) {
  if (!Object) return "nil";
  if (auto* c = dynamic_cast<TComponent*>(Object); c && !c->Name().empty()) return c->Name();
  return Object->ClassName();
}

void TEventLog::add(const std::string& What, TObject* Sender) { Events.push_back(What + " " + nameOf(Sender)); }

void TEventLog::MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  std::string what = Button == mbLeft ? "MouseDown" : Button == mbRight ? "RightDown" : "MiddleDown";
  if (Shift.Contains(ssDouble)) what += "(double)";
  add(what + "@" + std::to_string(X) + "," + std::to_string(Y), Sender);
}

void TEventLog::MouseUp(TObject* Sender, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  std::string what = Button == mbLeft ? "MouseUp" : Button == mbRight ? "RightUp" : "MiddleUp";
  add(what + "@" + std::to_string(X) + "," + std::to_string(Y), Sender);
}

std::vector<std::string> TEventLog::Only(const std::string& Prefix) const {
  std::vector<std::string> result;
  for (const std::string& e : Events)
    if (e.compare(0, Prefix.size(), Prefix) == 0) result.push_back(e);
  return result;
}

std::string TEventLog::Joined() const {
  std::string s;
  for (const std::string& e : Events) s += (s.empty() ? "" : "; ") + e;
  return s;
}

}  // namespace guitest

using namespace guitest;

RTL_BEGIN_CLASS(TTestPad)
b.Property("Align", &TTestPad::Align, &TTestPad::SetAlign).Default(alNone);
b.Property("Anchors", &TTestPad::Anchors, &TTestPad::SetAnchors).Default(TAnchors{akLeft, akTop});
b.Property("Caption", &TTestPad::Caption, &TTestPad::SetCaption);
b.Property("Fill", &TTestPad::Fill, &TTestPad::SetFill).Default(clRed);
b.Property("TabOrder", &TTestPad::TabOrder, &TTestPad::SetTabOrder).Default(-1);
b.Property("TabStop", &TTestPad::TabStop, &TTestPad::SetTabStop).Default(true);
b.Property("Visible", &TTestPad::Visible, &TTestPad::SetVisible).Default(true);
b.Property("OnClick", &TTestPad::OnClick, &TTestPad::SetOnClick);
b.Property("OnDblClick", &TTestPad::OnDblClick, &TTestPad::SetOnDblClick);
b.Property("OnEnter", &TTestPad::OnEnter, &TTestPad::SetOnEnter);
RTL_END_CLASS

RTL_BEGIN_CLASS(TTestSwatch)
b.Property("Align", &TTestSwatch::Align, &TTestSwatch::SetAlign).Default(alNone);
b.Property("Fill", &TTestSwatch::Fill, &TTestSwatch::SetFill).Default(clBlue);
b.Property("Visible", &TTestSwatch::Visible, &TTestSwatch::SetVisible).Default(true);
RTL_END_CLASS

RTL_BEGIN_CLASS(TTestButton)
b.Property("Caption", &TTestButton::Caption, &TTestButton::SetCaption);
b.Property("TabOrder", &TTestButton::TabOrder, &TTestButton::SetTabOrder).Default(-1);
b.Message(CN_COMMAND, &TTestButton::CNCommand);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TTestEdit)
RTL_IMPLEMENT_CLASS(TEventLog)
