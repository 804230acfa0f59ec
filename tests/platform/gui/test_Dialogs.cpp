// Dialogs driven as a user would: the system's file dialogs get a typed name and a press
// of OK from a timer while they run; message and input boxes are answered the same way or
// recorded by the test's message-box log.
#include <functional>
#include <string>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtDlgs.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

using namespace guitest;

namespace {

// Runs Step from a timer while a modal loop (a dialog's) runs, until it returns true.
class ModalDriver {
public:
  explicit ModalDriver(std::function<bool()> Step) {
    step() = std::move(Step);
    timer_ = SetTimer(nullptr, 0, 60, &ModalDriver::tick);
  }
  ~ModalDriver() {
    KillTimer(nullptr, timer_);
    step() = nullptr;
  }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

private:
  static std::function<bool()>& step() {
    static std::function<bool()> s;
    return s;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    try {
      if (step() && step()()) step() = nullptr;
    } catch (...) {
      step() = nullptr;
    }
  }
  UINT_PTR timer_;
};

// Records the dialog's window when it shows and how often the dialog asked OnCanClose.
class TDialogWatch : public TObject {
  RTL_DECLARE_CLASS(TDialogWatch, TObject)
public:
  HWND Window = nullptr;
  Integer CanCloseAsked = 0;
  bool Refuse = false;
  std::string SeenOnClose;
  void Show(TObject* Sender) { Window = static_cast<TCommonDialog*>(Sender)->Handle(); }
  void Closed(TObject*) { SeenOnClose = "closed"; }
  void CanClose(TObject*, bool& Allow) {
    ++CanCloseAsked;
    if (Refuse) {
      Allow = false;
      Refuse = false;
    }
  }
};

// The file name box of the system's file dialog (a combo box or an edit).
HWND fileNameBox(HWND Dialog) {
  if (HWND combo = GetDlgItem(Dialog, cmb13)) return combo;
  return GetDlgItem(Dialog, edt1);
}

void pressDialogButton(HWND Dialog, int Id) {
  PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, Id)));
}

std::string tempFolder() {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return dir;
}

}  // namespace

RTL_IMPLEMENT_CLASS(TDialogWatch)

class DialogsTest : public GuiTest {};

// ---------------------------------------------------------------------------------------
// File dialogs.

TEST_F(DialogsTest, SaveDialogConfirmedWithATypedFileNameReturnsItWithTheDefaultExtension) {
  TObjectPtr<TSaveDialog> dialog(New<TSaveDialog>(nullptr));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  dialog->SetTitle("Salvar estratos");
  dialog->SetInitialDir(tempFolder());
  dialog->SetDefaultExt("txt");
  dialog->SetFilter("Texto (*.txt)|*.txt|Todos (*.*)|*.*");
  dialog->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing});
  dialog->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  dialog->SetOnClose(TNotifyEvent(watch.get(), &TDialogWatch::Closed));
  char title[64] = {};
  ModalDriver driver([&] {
    if (!watch->Window || !fileNameBox(watch->Window)) return false;
    GetWindowTextA(watch->Window, title, sizeof title);
    SetWindowTextA(fileNameBox(watch->Window), "estratos");
    pressDialogButton(watch->Window, IDOK);
    return true;
  });
  ASSERT_TRUE(dialog->Execute()) << "the dialog was confirmed";
  EXPECT_STREQ(title, "Salvar estratos");
  EXPECT_EQ(ExtractFileName(dialog->FileName()), "estratos.txt");
  EXPECT_TRUE(SameText(ExtractFilePath(dialog->FileName()), tempFolder())) << dialog->FileName();
  EXPECT_EQ(dialog->Files()->Count(), 1);
  EXPECT_EQ(dialog->FilterIndex(), 1);
  EXPECT_EQ(watch->SeenOnClose, "closed");
  EXPECT_EQ(dialog->Handle(), nullptr) << "no window after the dialog is gone";
}

TEST_F(DialogsTest, CancelledOpenDialogAnswersFalseAndKeepsTheFileName) {
  TObjectPtr<TOpenDialog> dialog(New<TOpenDialog>(nullptr));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  dialog->SetFileName("anterior.mdb");
  dialog->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  ModalDriver driver([&] {
    if (!watch->Window) return false;
    pressDialogButton(watch->Window, IDCANCEL);
    return true;
  });
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(dialog->FileName(), "anterior.mdb");
}

TEST_F(DialogsTest, OnCanCloseMayKeepTheDialogOpen) {
  TObjectPtr<TSaveDialog> dialog(New<TSaveDialog>(nullptr));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  watch->Refuse = true;
  dialog->SetInitialDir(tempFolder());
  dialog->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  dialog->SetOnCanClose(TCloseQueryEvent(watch.get(), &TDialogWatch::CanClose));
  int presses = 0;
  ModalDriver driver([&] {
    if (!watch->Window || !fileNameBox(watch->Window)) return false;
    // Press OK until the dialog goes (the first press is refused).
    if (presses == watch->CanCloseAsked) {
      SetWindowTextA(fileNameBox(watch->Window), "resultado.csv");
      pressDialogButton(watch->Window, IDOK);
      ++presses;
    }
    return presses >= 2;
  });
  ASSERT_TRUE(dialog->Execute());
  EXPECT_EQ(watch->CanCloseAsked, 2);
  EXPECT_EQ(ExtractFileName(dialog->FileName()), "resultado.csv");
}

TEST_F(DialogsTest, PictureDialogsListThePictureFormats) {
  TObjectPtr<TOpenPictureDialog> open(New<TOpenPictureDialog>(nullptr));
  TObjectPtr<TSavePictureDialog> save(New<TSavePictureDialog>(nullptr));
  EXPECT_EQ(open->Filter(), GraphicFilter(TGraphic::StaticClass()));
  EXPECT_NE(open->Filter().find("*.bmp"), std::string::npos) << open->Filter();
  EXPECT_EQ(save->Filter(), open->Filter());
}

// ---------------------------------------------------------------------------------------
// Message and input boxes.

TEST_F(DialogsTest, MessageDlgWithTheSystemsButtonSetsGoesThroughTheApplicationsMessageBox) {
  struct Case {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    Integer flags;
    const char* caption;
  };
  const Case cases[] = {
      {mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, MB_YESNO | MB_ICONQUESTION, "Confirm"},
      {mtWarning, mbOKCancel, MB_OKCANCEL | MB_ICONWARNING, "Warning"},
      {mtError, TMsgDlgButtons{mbOK}, MB_OK | MB_ICONERROR, "Error"},
      {mtInformation, mbYesNoCancel, MB_YESNOCANCEL | MB_ICONINFORMATION, "Information"},
      {mtCustom, mbAbortRetryIgnore, MB_ABORTRETRYIGNORE, nullptr},
  };
  boxes().SetAnswer(IDNO);
  for (const Case& c : cases) {
    boxes().Clear();
    Integer answer = MessageDlg("Gerar os estratos?", c.type, c.buttons, 0);
    ASSERT_EQ(boxes().Calls().size(), 1u);
    EXPECT_EQ(boxes().Calls()[0].Text, "Gerar os estratos?");
    EXPECT_EQ(boxes().Calls()[0].Flags, c.flags) << c.caption;
    EXPECT_EQ(boxes().Calls()[0].Caption, c.caption ? std::string(c.caption) : Application->Title());
    EXPECT_EQ(answer, mrNo) << "the box's answer is the result";
  }
  boxes().Clear();
  ShowMessage("Pronto.");
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(boxes().Calls()[0].Flags, MB_OK);
  EXPECT_EQ(boxes().Calls()[0].Caption, Application->Title());
  expectBoxes();
}

TEST_F(DialogsTest, MessageDlgWithOtherButtonsShowsItsOwnFormAndAnswersTheButtonPressed) {
  TObjectPtr<TForm> built(CreateMessageDialog("Substituir?", mtWarning, mbYesAllNoAllCancel));
  std::vector<std::string> names;
  for (Integer i = 0; i < built->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(built->Components(i))) names.push_back(b->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Yes", "No", "Cancel", "NoToAll", "YesToAll"}));
  auto* yes = dynamic_cast<TButton*>(built->FindComponent("Yes"));
  auto* cancel = dynamic_cast<TButton*>(built->FindComponent("Cancel"));
  ASSERT_TRUE(yes && cancel);
  EXPECT_TRUE(yes->Default());
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(dynamic_cast<TButton*>(built->FindComponent("YesToAll"))->ModalResult(), mrYesToAll);
  EXPECT_NE(built->FindComponent("Image"), nullptr) << "a warning shows its icon";
  auto* message = dynamic_cast<TLabel*>(built->FindComponent("Message"));
  ASSERT_NE(message, nullptr);
  for (Integer i = 0; i < built->ComponentCount(); ++i) {
    if (auto* b = dynamic_cast<TButton*>(built->Components(i))) {
      EXPECT_GE(b->Top(), message->Top() + message->Height()) << b->Name() << " is below the text";
    }
  }

  ModalDriver driver([&] {
    TForm* active = Screen->ActiveForm();
    auto* button = active ? dynamic_cast<TButton*>(active->FindComponent("NoToAll")) : nullptr;
    if (!button || !button->HandleAllocated()) return false;
    PostMessageA(button->Handle(), BM_CLICK, 0, 0);
    return true;
  });
  EXPECT_EQ(MessageDlg("Substituir?", mtWarning, mbYesAllNoAllCancel, 0), mrNoToAll);
}

TEST_F(DialogsTest, InputQueryGivesTheTypedTextOnlyWhenConfirmed) {
  auto answer = [](const char* text, const char* button) {
    return [=] {
      TForm* active = Screen->ActiveForm();
      if (!active) return false;
      auto* edit = dynamic_cast<TEdit*>(active->FindComponent("Value"));
      auto* press = dynamic_cast<TButton*>(active->FindComponent(button));
      if (!edit || !press || !press->HandleAllocated()) return false;
      edit->SetText(text);
      PostMessageA(press->Handle(), BM_CLICK, 0, 0);
      return true;
    };
  };
  std::string value = "10";
  {
    ModalDriver driver(answer("25", "OK"));
    EXPECT_TRUE(InputQuery("Estratos", "Número de estratos:", value));
  }
  EXPECT_EQ(value, "25");
  {
    ModalDriver driver(answer("99", "Cancel"));
    EXPECT_FALSE(InputQuery("Estratos", "Número de estratos:", value));
  }
  EXPECT_EQ(value, "25") << "a cancelled box leaves the value alone";
  {
    ModalDriver driver(answer("x", "Cancel"));
    EXPECT_EQ(InputBox("Estratos", "Nome:", "padrão"), "padrão");
  }
}

TEST_F(DialogsTest, ColorDialogGivesTheChosenColourAndItsCustomColours) {
  TObjectPtr<TColorDialog> dialog(New<TColorDialog>(nullptr));
  TObjectPtr<TDialogWatch> watch(new TDialogWatch());
  dialog->SetColor(static_cast<TColor>(0x123456));
  dialog->CustomColors()->Add("ColorB=00FF00");
  dialog->SetOnShow(TNotifyEvent(watch.get(), &TDialogWatch::Show));
  ModalDriver driver([&] {
    if (!watch->Window) return false;
    pressDialogButton(watch->Window, IDOK);
    return true;
  });
  ASSERT_TRUE(dialog->Execute());
  EXPECT_EQ(static_cast<uint32_t>(dialog->Color()), 0x123456u) << "OK keeps the colour the dialog started with";
  EXPECT_EQ(dialog->CustomColors()->Count(), 16);
  EXPECT_EQ(dialog->CustomColors()->Values("ColorB"), "00FF00");
  EXPECT_EQ(dialog->CustomColors()->Values("ColorA"), "FFFFFF");
}

namespace {

// The static control of a message box that shows Text.
HWND messageTextOf(HWND Box, const std::string& Text) {
  for (HWND c = GetWindow(Box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32] = {}, text[512] = {};
    GetClassNameA(c, cls, sizeof cls);
    GetWindowTextA(c, text, sizeof text);
    if (lstrcmpiA(cls, "Static") == 0 && Text == text) return c;
  }
  return nullptr;
}

}  // namespace

// The system's message box, as the program shows it (an error of a run, a line of SQL):
// its text is whole, to the last character.
TEST_F(DialogsTest, TheSystemMessageBoxShowsItsTextWhole) {
  const std::string texts[] = {
      "Não foi possível abrir a tabela domicilios.",
      "Não foi possível executar o script [select count(*) from domicilios where (1=1)]  no such column: rendaa.",
  };
  int shot = 0;
  for (const std::string& text : texts) {
    std::string problem = "the box did not show";
    ModalDriver driver([&] {
      HWND box = FindWindowA("#32770", "Gerador");
      if (!box || !IsWindowVisible(box)) return false;
      HWND label = messageTextOf(box, text);
      problem = label ? "" : "no static control holds the text";
      if (label) {
        RECT client;
        GetClientRect(label, &client);
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        RECT need{0, 0, client.right, 0};
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        if (need.right > client.right || need.bottom > client.bottom)
          problem = "the text needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
                    " and its control has " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
      }
      TBitmap bitmap;
      captureWindow(box, bitmap);
      savePng(bitmap, "message-box-" + std::to_string(++shot));
      pressDialogButton(box, IDOK);
      return true;
    });
    ::MessageBoxA(nullptr, text.c_str(), "Gerador", MB_OK | MB_ICONSTOP);
    EXPECT_EQ(problem, "") << text;
  }
}

// The program's own message form (for button sets the system box lacks) fits its text too.
TEST_F(DialogsTest, TheOwnMessageFormShowsItsTextWhole) {
  int shot = 0;
  for (const char* text : {"Substituir o arquivo arvore.txt?", "Substituir?",
                           "Não foi possível executar o script [select count(*) from domicilios where (1=1)]"}) {
    TObjectPtr<TForm> form(CreateMessageDialog(text, mtWarning, mbYesAllNoAllCancel));
    form->Show();
    pumpFor(50);
    auto* label = dynamic_cast<TLabel*>(form->FindComponent("Message"));
    ASSERT_NE(label, nullptr);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, label->Font()->Handle());
    RECT need{0, 0, label->Width(), 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_LE(need.right, label->Width()) << text;
    EXPECT_LE(need.bottom, label->Height()) << text;
    TRect inside = form->ClientRect();
    EXPECT_LE(label->Left() + label->Width(), inside.right) << text;
    TBitmap bitmap;
    captureWindow(form->Handle(), bitmap);
    savePng(bitmap, "message-form-" + std::to_string(++shot));
  }
}
