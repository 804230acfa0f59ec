// The library's file dialogs: the system's dialog shown for real and driven from a timer
// (custom texts, details view and list focus, sizes and placement, share violations,
// errors, the save dialog, the self-made sizing frame), and the parts that need no dialog
// on a small window of their own (control repositioning, the size grip). No test can
// hang: every modal run has a watchdog that cancels the dialog.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvDialogs.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/MenusTestSupport.h"

using namespace guitest;

namespace {

// ---------------------------------------------------------------------------------------
// Driving a modal dialog.

BOOL CALLBACK collectDialog(HWND w, LPARAM p) {
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

// The dialog windows this thread shows now.
std::vector<HWND> threadDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), collectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The file dialog showing now (none: null).
HWND shownDialog() {
  std::vector<HWND> dialogs = threadDialogs();
  return dialogs.empty() ? nullptr : dialogs.front();
}

void pressButton(HWND Dialog, int Id) {
  PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, Id)));
}

// Runs Step from a timer while a dialog's modal loop runs, until it returns true. A
// watchdog cancels every dialog still showing after LimitMs and records that it had to.
class DialogDriver {
public:
  explicit DialogDriver(std::function<bool()> Step, DWORD LimitMs = 10000) {
    current() = this;
    step_ = std::move(Step);
    limit_ = LimitMs;
    start_ = GetTickCount();
    timer_ = SetTimer(nullptr, 0, 50, &DialogDriver::tick);
  }
  ~DialogDriver() {
    KillTimer(nullptr, timer_);
    current() = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool TimedOut() const { return timedOut_; }

private:
  static DialogDriver*& current() {
    static DialogDriver* d = nullptr;
    return d;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* d = current();
    if (!d) return;
    if (GetTickCount() - d->start_ > d->limit_) {
      d->timedOut_ = true;
      d->step_ = nullptr;
      for (HWND w : threadDialogs()) pressButton(w, IDCANCEL);
      return;
    }
    try {
      if (d->step_ && d->step_()) d->step_ = nullptr;
    } catch (...) {
      d->step_ = nullptr;
      ADD_FAILURE() << "the dialog's driver raised";
      for (HWND w : threadDialogs()) pressButton(w, IDCANCEL);
    }
  }
  std::function<bool()> step_;
  DWORD limit_ = 0;
  DWORD start_ = 0;
  UINT_PTR timer_ = 0;
  bool timedOut_ = false;
};

std::string windowText(HWND Window) {
  char text[256] = {};
  GetWindowTextA(Window, text, sizeof text);
  return text;
}

std::string itemText(HWND Dialog, int Id) { return windowText(GetDlgItem(Dialog, Id)); }

TRect windowRect(HWND Window) {
  TRect r{};
  GetWindowRect(Window, &r);
  return r;
}

// A control's rectangle in its parent's client coordinates.
TRect childRect(HWND Parent, HWND Child) {
  TRect r = windowRect(Child);
  MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND shellList(HWND Dialog) {
  HWND view = FindWindowExA(Dialog, nullptr, "SHELLDLL_DefView", nullptr);
  return view ? FindWindowExA(view, nullptr, "SysListView32", nullptr) : nullptr;
}

// The window of a dialog that its hook procedure serves (the child of an explorer-style
// dialog that the hook was installed on).
BOOL CALLBACK findHookWindow(HWND w, LPARAM p) {
  if (!GetPropA(w, "CommonDialogObject")) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

HWND hookWindow(HWND Dialog) {
  HWND found = nullptr;
  EnumChildWindows(Dialog, findHookWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// ---------------------------------------------------------------------------------------
// Test access to the dialog's inner steps.

template <class Base> class Opened : public Base {
public:
  explicit Opened(TComponent* AOwner) : Base(AOwner) {}
  void ForceOldStyleSizing() { this->oldStyleSizing_ = true; }
  // Lays the dialog's steps on a window of the test's own, as if it were the dialog.
  void AttachTo(HWND Window) {
    this->dialogWindow_ = Window;
    GetClientRect(Window, &this->previousClientRect_);
  }
  void Detach() { this->dialogWindow_ = nullptr; }
  using Base::ApplyUserSize;
  using Base::PaintSizeGrip;
  using Base::PrepareView;
  using Base::RepositionControls;
  using Base::TaskModalDialog;
};
using TestOpenDialog = Opened<TJvOpenDialog>;
using TestSaveDialog = Opened<TJvSaveDialog>;

// Records the dialog's events.
class Events : public TObject {
  RTL_DECLARE_CLASS(Events, TObject)
public:
  std::vector<DWORD> errors;
  int shareViolations = 0;
  bool canCloseOnEntry = false;
  bool acceptShared = true;
  std::vector<bool> preparedAtShow;
  void Error(TObject*, DWORD Code) { errors.push_back(Code); }
  void Show(TObject* Sender) { preparedAtShow.push_back(static_cast<TJvOpenDialog*>(Sender)->ViewPrepared()); }
  void ShareViolation(TObject*, bool& CanClose) {
    ++shareViolations;
    canCloseOnEntry = CanClose;
    CanClose = acceptShared;
  }
};
RTL_IMPLEMENT_CLASS(Events)

std::string tempFolder() {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return dir;
}

class JvDialogsTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    events = std::make_unique<Events>();
  }
  void TearDown() override {
    TJvOpenDialog::ExecuteHook() = nullptr;
    TJvSaveDialog::ExecuteHook() = nullptr;
    GuiTest::TearDown();
  }
  template <class D> D* make() {
    D* d = New<D>(nullptr);
    dialogs.emplace_back(d);
    d->SetOnError(TDialogErrorEvent(events.get(), &Events::Error));
    d->SetInitialDir(tempFolder());
    return d;
  }
  std::unique_ptr<Events> events;
  std::vector<TObjectPtr<TComponent>> dialogs;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Properties and stored descriptions.

TEST_F(JvDialogsTest, StoredDescriptionSetsThePropertiesAndOnlyAutoSizeIsAlwaysStored) {
  TObjectPtr<TJvSaveDialog> fresh(New<TJvSaveDialog>(nullptr));
  fresh->SetName("Fresh");
  const std::string defaults = textFormOf(fresh.get());
  EXPECT_NE(defaults.find("AutoSize = False"), std::string::npos) << defaults;
  for (const char* name : {"ActiveControl", "ActiveStyle", "DefBtnCaption", "FilterLabelCaption", "Height", "Width",
                           "UseUserSize"})
    EXPECT_EQ(defaults.find(name), std::string::npos) << "default " << name << " stored in:\n" << defaults;

  const std::string text =
      "object Root: TComponent\n"
      "  object JSalvar: TJvSaveDialog\n"
      "    DefaultExt = 'txt'\n    Title = 'Salvar a \xE1rvore'\n"
      "    ActiveControl = acListView\n    ActiveStyle = asReport\n    AutoSize = True\n"
      "    DefBtnCaption = 'Gravar'\n    FilterLabelCaption = 'Formato:'\n"
      "    Height = 419\n    Width = 563\n    UseUserSize = True\n"
      "  end\n"
      "end\n";
  TObjectPtr<TComponent> read(New<TComponent>(nullptr));
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(read.get());
  auto* d = dynamic_cast<TJvSaveDialog*>(read->FindComponent("JSalvar"));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Title(), "Salvar a \xE1rvore");
  EXPECT_EQ(d->DefaultExt(), "txt");
  EXPECT_EQ(d->ActiveControl(), acListView);
  EXPECT_EQ(d->ActiveStyle(), asReport);
  EXPECT_TRUE(d->AutoSize());
  EXPECT_EQ(d->DefBtnCaption(), "Gravar");
  EXPECT_EQ(d->FilterLabelCaption(), "Formato:");
  EXPECT_EQ(d->Height(), 419);
  EXPECT_EQ(d->Width(), 563);
  EXPECT_TRUE(d->UseUserSize());
  EXPECT_FALSE(d->OldStyleSizing()) << "this system's file dialog sizes itself";
  EXPECT_EQ(d->DialogWindow(), nullptr);
}

TEST_F(JvDialogsTest, EachExecuteHookReplacesOnlyItsOwnKindOfDialog) {
  auto* open = make<TJvOpenDialog>();
  auto* save = make<TJvSaveDialog>();
  std::vector<std::string> calls;
  TJvOpenDialog::ExecuteHook() = [&](TJvOpenDialog* d) {
    calls.push_back("open");
    d->SetFileName("C:\\dados\\casas.mdb");
    return true;
  };
  TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog* d) {
    calls.push_back("save");
    d->SetFileName("C:\\dados\\arvore.txt");
    return false;
  };
  EXPECT_TRUE(open->Execute());
  EXPECT_FALSE(save->Execute());
  EXPECT_EQ(calls, (std::vector<std::string>{"open", "save"}));
  EXPECT_EQ(open->FileName(), "C:\\dados\\casas.mdb");
  EXPECT_EQ(save->FileName(), "C:\\dados\\arvore.txt");
  EXPECT_TRUE(events->errors.empty()) << "a hooked run shows no dialog that could fail";
}

// ---------------------------------------------------------------------------------------
// Errors.

// The system refuses a structure of the wrong size; the extended error reaches OnError.
// Both dialogs also put the module of their class into the structure first.
TEST_F(JvDialogsTest, AFailedDialogRaisesOnErrorWithTheExtendedError) {
  auto* open = make<TestOpenDialog>();
  auto* save = make<TestSaveDialog>();
  for (TJvOpenDialog* d : std::initializer_list<TJvOpenDialog*>{open, save}) {
    events->errors.clear();
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = 3;  // no valid structure has this size
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    bool result = d == open ? open->TaskModalDialog(reinterpret_cast<TDialogFunc>(GetOpenFileNameA), &ofn)
                            : save->TaskModalDialog(reinterpret_cast<TDialogFunc>(GetOpenFileNameA), &ofn);
    EXPECT_FALSE(result);
    EXPECT_EQ(events->errors, std::vector<DWORD>{CDERR_STRUCTSIZE}) << d->ClassName();
    EXPECT_EQ(ofn.hInstance, FindClassHInstance(d->ClassType())) << d->ClassName();
  }
}

TEST_F(JvDialogsTest, ACancelledDialogRaisesOnErrorWithZeroAndAConfirmedOneNothing) {
  auto* d = make<TJvOpenDialog>();
  {
    DialogDriver driver([&] {
      if (!d->DialogWindow()) return false;
      pressButton(d->DialogWindow(), IDCANCEL);
      return true;
    });
    EXPECT_FALSE(d->Execute());
    EXPECT_FALSE(driver.TimedOut());
  }
  EXPECT_EQ(events->errors, std::vector<DWORD>{0});
  EXPECT_EQ(d->DialogWindow(), nullptr) << "no window once the dialog is gone";

  events->errors.clear();
  ScratchDir dir;
  writeFileBytes(dir.File("casas.mdb"), "x");
  d->SetInitialDir(dir.Path());
  d->SetFileName("casas.mdb");
  {
    DialogDriver driver([&] {
      if (!d->DialogWindow()) return false;
      pressButton(d->DialogWindow(), IDOK);
      return true;
    });
    EXPECT_TRUE(d->Execute());
    EXPECT_FALSE(driver.TimedOut());
  }
  EXPECT_TRUE(SameText(d->FileName(), dir.File("casas.mdb"))) << d->FileName();
  EXPECT_TRUE(events->errors.empty());
}

// ---------------------------------------------------------------------------------------
// The dialog as it shows.

TEST_F(JvDialogsTest, CustomTextsGoToTheOkButtonAndTheFileTypeLabelAtOnceWhileShowing) {
  auto* d = make<TJvOpenDialog>();
  d->SetFilter("Bancos (*.mdb)|*.mdb");
  d->SetDefBtnCaption("Abrir banco");
  d->SetFilterLabelCaption("Formato:");
  std::string okAtShow, labelAtShow, okChanged, labelChanged;
  DialogDriver driver([&] {
    HWND w = d->DialogWindow();
    if (!w) return false;
    okAtShow = itemText(w, IDOK);
    labelAtShow = itemText(w, stc2);
    d->SetDefBtnCaption("Usar");
    okChanged = itemText(w, IDOK);
    d->SetFilterLabelCaption("");
    labelChanged = itemText(w, stc2);
    pressButton(w, IDCANCEL);
    return true;
  });
  d->Execute();
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(okAtShow, "Abrir banco");
  EXPECT_EQ(labelAtShow, "Formato:");
  EXPECT_EQ(okChanged, "Usar") << "a new text applies while the dialog shows";
  EXPECT_EQ(labelChanged, "Formato:") << "an empty text leaves the label as it is";
  EXPECT_EQ(d->DefBtnCaption(), "Usar");
}

TEST_F(JvDialogsTest, DetailsViewAndListFocusAreSetOnceTheFileListExists) {
  struct Case {
    TJvOpenDialogAS style;
    TJvOpenDialogAC control;
  };
  // One dialog run twice: each run prepares its view anew.
  auto* d = make<TJvOpenDialog>();
  d->SetOnShow(TNotifyEvent(events.get(), &Events::Show));
  d->SetDefBtnCaption("Abrir banco");
  d->SetFilterLabelCaption("Formato:");
  for (Case c : {Case{asReport, acListView}, Case{asSmallIcon, acEdit}}) {
    events->preparedAtShow.clear();
    d->SetActiveStyle(c.style);
    d->SetActiveControl(c.control);
    bool report = false, listFocused = false, prepared = false;
    int shownTicks = 0;
    DialogDriver driver([&] {
      HWND w = d->DialogWindow();
      // Looked at once the dialog shows and has settled (activation moves the focus too).
      if (!w || !d->ViewPrepared() || !IsWindowVisible(w) || ++shownTicks < 3) return false;
      HWND list = shellList(w);
      prepared = true;
      report = list && (GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
      listFocused = list && GetFocus() == list;
      if (c.style == asReport) {
        TBitmap shot;
        captureWindow(w, shot);
        savePng(shot, "JvDialogs-details-view");
      }
      pressButton(w, IDCANCEL);
      return true;
    });
    d->Execute();
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(events->preparedAtShow, std::vector<bool>{false}) << "not yet prepared when the dialog shows";
    EXPECT_TRUE(prepared) << "the view is prepared at the first folder change";
    EXPECT_EQ(report, c.style == asReport) << "style " << static_cast<int>(c.style);
    EXPECT_EQ(listFocused, c.control == acListView) << "control " << static_cast<int>(c.control);
  }
}

TEST_F(JvDialogsTest, WithoutUserSizeTheSizesGrowToTheShownDialogAndNothingMoves) {
  auto* d = make<TJvOpenDialog>();
  // (Not sizeable: the system would give it the size the last sizeable dialog had.)
  d->SetOptions(TOpenOptions{ofHideReadOnly});
  d->SetWidth(5);
  d->SetHeight(3000);
  TRect atShow{}, afterPrepare{};
  DialogDriver driver([&] {
    HWND w = d->DialogWindow();
    if (!w) return false;
    if (!atShow.right) atShow = windowRect(w);
    if (!d->ViewPrepared()) return false;
    afterPrepare = windowRect(w);
    pressButton(w, IDCANCEL);
    return true;
  });
  d->Execute();
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_EQ(d->Width(), RectWidth(atShow)) << "a smaller width grows to the dialog's";
  EXPECT_EQ(d->Height(), 3000) << "a larger height stays";
  EXPECT_EQ(d->MinTrackSize().x, RectWidth(atShow));
  EXPECT_EQ(d->MinTrackSize().y, RectHeight(atShow));
  EXPECT_TRUE(EqualRect(&atShow, &afterPrepare)) << "the dialog is neither moved nor sized";
}

TEST_F(JvDialogsTest, UserSizeCentresTheDialogAcrossAndAThirdDownTheMonitor) {
  auto* d = make<TJvOpenDialog>();
  d->SetUseUserSize(true);
  d->SetWidth(700);
  d->SetHeight(560);
  TRect placed{};
  TPoint shownSize{};
  DialogDriver driver([&] {
    HWND w = d->DialogWindow();
    if (!w || !d->ViewPrepared()) return false;
    placed = windowRect(w);
    shownSize = d->MinTrackSize();
    pressButton(w, IDCANCEL);
    return true;
  });
  d->Execute();
  EXPECT_FALSE(driver.TimedOut());
  // The size asked for, or the dialog's own where that is larger.
  const Integer w = std::max<Integer>(700, shownSize.x), h = std::max<Integer>(560, shownSize.y);
  EXPECT_EQ(d->Width(), w);
  EXPECT_EQ(d->Height(), h);
  TMonitor* m = Screen->Monitors(0);
  EXPECT_EQ(placed.left, m->Left() + (m->Width() - w) / 2);
  EXPECT_EQ(placed.top, m->Top() + (m->Height() - h) / 3);
  EXPECT_EQ(RectWidth(placed), w);
  EXPECT_EQ(RectHeight(placed), h);
}

// Laid on a window of known size, the placement follows the rule exactly: a 563 x 419
// dialog on a 1024 x 768 area at (0, 0) goes to (230, 116).
TEST_F(JvDialogsTest, UserSizePlacementRule) {
  auto* d = make<TestOpenDialog>();
  HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  d->AttachTo(w);
  d->SetUseUserSize(true);
  d->SetWidth(563);
  d->SetHeight(419);
  d->ApplyUserSize();
  TMonitor* m = Screen->Monitors(0);
  TRect r = windowRect(w);
  EXPECT_EQ(r.left, m->Left() + (m->Width() - 563) / 2);
  EXPECT_EQ(r.top, m->Top() + (m->Height() - 419) / 3);
  if (m->Width() == 1024 && m->Height() == 768) {
    EXPECT_EQ(r.left * 1000 + r.top, 230 * 1000 + 116);
  }
  EXPECT_EQ(RectWidth(r), 563);
  EXPECT_EQ(RectHeight(r), 419);

  d->SetUseUserSize(false);
  SetWindowPos(w, nullptr, 10, 10, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  d->ApplyUserSize();
  r = windowRect(w);
  EXPECT_EQ(r.left * 1000 + r.top, 10 * 1000 + 10) << "without UseUserSize nothing moves";
  d->Detach();
  DestroyWindow(w);
}

namespace {
// Stand-ins for the shell's view window (recording its messages) and its file list.
std::vector<UINT>& viewMessages() {
  static std::vector<UINT> messages;
  return messages;
}
LRESULT CALLBACK recordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) viewMessages().push_back(static_cast<UINT>(wp));
  if (msg == WM_KEYDOWN) viewMessages().push_back(0x10000 + static_cast<UINT>(wp));
  return DefWindowProcA(w, msg, wp, lp);
}
HWND makeChild(HWND Parent, const char* ClassName) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = recordingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = ClassName;
  RegisterClassA(&wc);
  return CreateWindowExA(0, ClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 50, Parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}
}  // namespace

// The view is prepared once the shell's view and its list exist, at the first idle moment
// or folder change, and only once per run; without them nothing happens and no error.
TEST_F(JvDialogsTest, ViewIsPreparedOnceTheShellsFileListExists) {
  auto* d = make<TestOpenDialog>();
  d->SetActiveStyle(asReport);
  d->SetActiveControl(acListView);
  d->SetUseUserSize(true);
  d->SetWidth(500);
  d->SetHeight(400);
  TObjectPtr<TForm> form(TForm::CreateNew(nullptr));
  form->SetBounds(10, 10, 100, 100);
  showAndActivate(form.get());
  HWND w = form->Handle();
  const Integer widthBefore = RectWidth(windowRect(w));
  d->AttachTo(w);
  d->PrepareView();
  EXPECT_FALSE(d->ViewPrepared()) << "no shell view yet";
  EXPECT_EQ(RectWidth(windowRect(w)), widthBefore) << "the user size waits for the prepared view";

  HWND view = makeChild(w, "SHELLDLL_DefView");
  HWND list = view ? makeChild(view, "SysListView32") : nullptr;
  ASSERT_TRUE(view && list);
  viewMessages().clear();
  TMessage idle{};
  idle.Msg = WM_ENTERIDLE;
  d->Dispatch(idle);
  pumpFor(30);
  EXPECT_TRUE(d->ViewPrepared());
  EXPECT_EQ(viewMessages(), (std::vector<UINT>{0x702C, 0x10000 + VK_SPACE})) << "details view, then a space to the list";
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(RectWidth(windowRect(w)), 500) << "then the user size";

  viewMessages().clear();
  d->PrepareView();
  pumpFor(30);
  EXPECT_TRUE(viewMessages().empty()) << "once per run";
  d->Detach();
}

// ---------------------------------------------------------------------------------------
// Share violations.

// The dialog's hook gets CDN_SHAREVIOLATION: with OnShareViolation the answer is the
// event's (2 accepts the name, 1 refuses it silently), also as the hook window's message
// result; without it the class library's handling answers.
TEST_F(JvDialogsTest, ShareViolationIsAnsweredByTheEvent) {
  struct Case {
    bool assigned;
    bool accept;
    LRESULT answer;
  };
  for (Case c : {Case{true, true, OFN_SHAREFALLTHROUGH}, Case{true, false, OFN_SHARENOWARN}, Case{false, true, 0}}) {
    auto* d = make<TJvOpenDialog>();
    events->shareViolations = 0;
    events->acceptShared = c.accept;
    if (c.assigned) d->SetOnShareViolation(TCloseQueryEvent(events.get(), &Events::ShareViolation));
    LRESULT sent = -1;
    LONG_PTR msgResult = -1;
    DialogDriver driver([&] {
      HWND w = d->DialogWindow();
      HWND hook = w ? hookWindow(w) : nullptr;
      if (!hook) return false;
      char file[] = "C:\\dados\\casas.mdb";
      OFNOTIFYA notify{};
      notify.hdr.hwndFrom = w;
      notify.hdr.idFrom = 0;
      notify.hdr.code = CDN_SHAREVIOLATION;
      notify.pszFile = file;
      SetWindowLongPtrA(hook, DWLP_MSGRESULT, -1);
      sent = SendMessageA(hook, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      msgResult = GetWindowLongPtrA(hook, DWLP_MSGRESULT);
      pressButton(w, IDCANCEL);
      return true;
    });
    d->Execute();
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(events->shareViolations, c.assigned ? 1 : 0);
    if (c.assigned) {
      EXPECT_TRUE(events->canCloseOnEntry) << "CanClose starts true";
    }
    EXPECT_EQ(msgResult, c.answer) << "assigned " << c.assigned << " accept " << c.accept;
    EXPECT_EQ(sent != 0, c.answer != 0);
  }
}

// ---------------------------------------------------------------------------------------
// The save dialog.

TEST_F(JvDialogsTest, SaveDialogAlwaysShowsTheSystemsSaveDialog) {
  // The system's own titles tell the two dialogs apart.
  auto titleOf = [](const std::function<void()>& Run) {
    std::string title;
    DialogDriver driver([&] {
      HWND w = shownDialog();
      if (!w) return false;
      title = windowText(w);
      pressButton(w, IDCANCEL);
      return true;
    });
    Run();
    EXPECT_FALSE(driver.TimedOut());
    return title;
  };
  TObjectPtr<TOpenDialog> plainOpen(New<TOpenDialog>(nullptr));
  TObjectPtr<TSaveDialog> plainSave(New<TSaveDialog>(nullptr));
  const std::string openTitle = titleOf([&] { plainOpen->Execute(); });
  const std::string saveTitle = titleOf([&] { plainSave->Execute(); });
  ASSERT_NE(openTitle, saveTitle);

  auto* jvOpen = make<TJvOpenDialog>();
  auto* jvSave = make<TestSaveDialog>();
  EXPECT_EQ(titleOf([&] { jvOpen->Execute(); }), openTitle);
  EXPECT_EQ(titleOf([&] { jvSave->Execute(); }), saveTitle);
  // Handed the open dialog's function, it still runs the save dialog.
  char file[MAX_PATH] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_EXPLORER;
  EXPECT_EQ(titleOf([&] { jvSave->TaskModalDialog(reinterpret_cast<TDialogFunc>(GetOpenFileNameA), &ofn); }),
            saveTitle);
}

// The application gives the extension with its dot (".txt"): a typed name gets it once.
TEST_F(JvDialogsTest, SaveDialogAddsTheDefaultExtensionOnce) {
  ScratchDir dir;
  for (const char* ext : {".txt", "txt"}) {
    auto* d = make<TJvSaveDialog>();
    d->SetInitialDir(dir.Path());
    d->SetDefaultExt(ext);
    d->SetTitle("Salvar a \xE1rvore");
    std::string title;
    int shownTicks = 0;
    DialogDriver driver([&] {
      HWND w = d->DialogWindow();
      HWND box = w ? (GetDlgItem(w, cmb13) ? GetDlgItem(w, cmb13) : GetDlgItem(w, edt1)) : nullptr;
      // (a few ticks after it shows, so that the picture has been painted)
      if (!box || !IsWindowVisible(w) || ++shownTicks < 3) return false;
      title = windowText(w);
      SetWindowTextA(box, "arvore");
      TBitmap shot;
      captureWindow(w, shot);
      savePng(shot, "JvDialogs-save");
      pressButton(w, IDOK);
      return true;
    });
    ASSERT_TRUE(d->Execute()) << ext;
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(title, "Salvar a \xE1rvore");
    EXPECT_TRUE(SameText(d->FileName(), dir.File("arvore.txt"))) << ext << ": " << d->FileName();
  }
}

// ---------------------------------------------------------------------------------------
// The self-made sizing frame (used where the system's file dialog cannot be sized).

TEST_F(JvDialogsTest, OldStyleSizingMakesTheDialogSizeableAndMovesItsControls) {
  auto* d = make<TestOpenDialog>();
  d->ForceOldStyleSizing();
  ASSERT_TRUE(d->Options().Contains(ofEnableSizing));
  LONG style = 0;
  std::string sizeText;
  int sizePos = -1, closePos = -1;
  TRect okBefore{}, okAfter{}, lookInBefore{}, lookInAfter{}, window{};
  POINT minTrack{};
  bool subclassed = false;
  uint32_t gripShadow = 0, gripLight = 0;
  int phase = 0;
  DialogDriver driver([&] {
    HWND w = d->DialogWindow();
    if (!w) return false;
    if (phase == 0) {
      style = GetWindowLongA(w, GWL_STYLE);
      HMENU menu = GetSystemMenu(w, FALSE);
      for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == SC_CLOSE) closePos = i;
      if (closePos > 0 && GetMenuItemID(menu, closePos - 1) == SC_SIZE) {
        sizePos = closePos - 1;
        char text[64] = {};
        GetMenuStringA(menu, sizePos, text, sizeof text, MF_BYPOSITION);
        sizeText = text;
      }
      subclassed = GetWindowLongPtrA(w, GWLP_WNDPROC) != 0 &&
                   static_cast<ULONG_PTR>(GetWindowLongPtrA(w, GWLP_WNDPROC)) != GetClassLongPtrA(w, GCLP_WNDPROC);
      okBefore = childRect(w, GetDlgItem(w, IDOK));
      lookInBefore = childRect(w, GetDlgItem(w, cmb2));
      window = windowRect(w);
      SetWindowPos(w, nullptr, 20, 20, RectWidth(window) + 100, RectHeight(window) + 80,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      MINMAXINFO info{};
      SendMessageA(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
      minTrack = info.ptMinTrackSize;
      phase = 1;
      return false;
    }
    okAfter = childRect(w, GetDlgItem(w, IDOK));
    lookInAfter = childRect(w, GetDlgItem(w, cmb2));
    if (phase < 6) {
      // Let the resized dialog paint before looking at it.
      ++phase;
      return false;
    }
    // The grip shows in the bottom-right corner of the client area once the dialog painted.
    TBitmap shot;
    captureWindow(w, shot);
    savePng(shot, "JvDialogs-old-style-sizing");
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    TRect client{};
    GetClientRect(w, &client);
    const TRect frame = windowRect(w);
    const int right = origin.x - frame.left + client.right, bottom = origin.y - frame.top + client.bottom;
    gripShadow = pixelAt(shot, right - 1, bottom - 4);  // on the line from (R, B - 5) to (R - 5, B)
    gripLight = pixelAt(shot, right - 1, bottom - 5);   // on the line from (R, B - 6) to (R - 6, B)
    pressButton(w, IDCANCEL);
    return true;
  });
  d->Execute();
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_TRUE(style & WS_THICKFRAME) << "a sizing frame";
  EXPECT_GE(sizePos, 0) << "a size command just before the close command of the system menu";
  EXPECT_EQ(sizeText, "Size") << "without a main form the command's text is the default";
  EXPECT_TRUE(subclassed);
  EXPECT_EQ(okAfter.left - okBefore.left, 100) << "OK follows the right edge";
  EXPECT_EQ(okAfter.top - okBefore.top, 80) << "OK follows the bottom edge";
  EXPECT_EQ(RectWidth(okAfter), RectWidth(okBefore));
  EXPECT_EQ(RectWidth(lookInAfter) - RectWidth(lookInBefore), 100) << "the look-in box widens";
  EXPECT_EQ(lookInAfter.top, lookInBefore.top);
  EXPECT_EQ(minTrack.x, d->MinTrackSize().x);
  EXPECT_EQ(minTrack.y, d->MinTrackSize().y);
  EXPECT_EQ(d->MinTrackSize().x, RectWidth(window)) << "the size the dialog showed with";
  EXPECT_EQ(d->MinTrackSize().y, RectHeight(window));
  EXPECT_EQ(hexOf(gripShadow), hexOf(static_cast<uint32_t>(ColorToRGB(clBtnShadow)) & 0xFFFFFF)) << "the grip shows";
  EXPECT_EQ(hexOf(gripLight), hexOf(static_cast<uint32_t>(ColorToRGB(clWindow)) & 0xFFFFFF));
}

// A window of the test's own with children of the file dialog's identifiers: each control
// follows its rule when the window grows.
TEST_F(JvDialogsTest, RepositionControlsMovesAndStretchesEachControlByItsRule) {
  HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  struct Child {
    int id;
    const char* cls;
    int dx, dy, dw, dh;  // change per (dX, dY) = (1, 1)
    HWND wnd = nullptr;
    TRect before{};
  };
  std::vector<Child> children = {
      {IDOK, "BUTTON", 1, 1, 0, 0},     {IDCANCEL, "BUTTON", 1, 1, 0, 0}, {pshHelp, "BUTTON", 1, 1, 0, 0},
      {edt1, "EDIT", 0, 1, 1, 0},       {cmb1, "STATIC", 0, 1, 1, 0},     {chx1, "BUTTON", 0, 1, 0, 0},
      {stc2, "STATIC", 0, 1, 0, 0},     {stc3, "STATIC", 0, 1, 0, 0},     {cmb2, "STATIC", 0, 0, 1, 0},
      {lst2, "STATIC", 0, 0, 1, 1},     {0, TOOLBARCLASSNAMEA, 1, 0, 0, 0}, {0x7777, "STATIC", 0, 0, 0, 0},
  };
  int y = 5;
  for (Child& c : children) {
    DWORD extra = std::string(c.cls) == TOOLBARCLASSNAMEA ? CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER : 0;
    c.wnd = CreateWindowExA(0, c.cls, "", WS_CHILD | WS_VISIBLE | extra, 10, y, 60, 18, w,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
    ASSERT_NE(c.wnd, nullptr) << c.cls;
    c.before = childRect(w, c.wnd);
    y += 22;
  }
  auto* d = make<TestOpenDialog>();
  d->AttachTo(w);
  SetWindowPos(w, nullptr, 0, 0, 400 + 30, 300 - 12, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  d->RepositionControls();
  const int dX = 30, dY = -12;
  for (const Child& c : children) {
    TRect after = childRect(w, c.wnd);
    SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.cls);
    EXPECT_EQ(after.left - c.before.left, c.dx * dX);
    EXPECT_EQ(after.top - c.before.top, c.dy * dY);
    EXPECT_EQ(RectWidth(after) - RectWidth(c.before), c.dw * dX);
    EXPECT_EQ(RectHeight(after) - RectHeight(c.before), c.dh * dY);
  }
  TRect client{};
  GetClientRect(w, &client);
  EXPECT_TRUE(EqualRect(&client, &d->PreviousClientRect())) << "the new client rectangle is remembered";
  // Nothing changed since: a second run moves nothing.
  TRect okNow = childRect(w, children[0].wnd);
  d->RepositionControls();
  TRect okAgain = childRect(w, children[0].wnd);
  EXPECT_TRUE(EqualRect(&okNow, &okAgain));
  d->Detach();
  DestroyWindow(w);
}

TEST_F(JvDialogsTest, SizeGripIsPaintedInTheBottomRightCorner) {
  TObjectPtr<TForm> form(TForm::CreateNew(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 120, 90);
  form->SetColor(clYellow);
  showAndActivate(form.get());
  pumpFor(50);
  auto* d = make<TestOpenDialog>();
  d->AttachTo(form->Handle());
  d->PaintSizeGrip();
  d->Detach();
  TBitmap bitmap;
  captureClient(form.get(), bitmap);
  savePng(bitmap, "JvDialogs-size-grip");
  const int W = form->ClientWidth(), H = form->ClientHeight();
  const uint32_t shadow = static_cast<uint32_t>(ColorToRGB(clBtnShadow)) & 0xFFFFFF;
  const uint32_t window = static_cast<uint32_t>(ColorToRGB(clWindow)) & 0xFFFFFF;
  const uint32_t yellow = 0x00FFFF;
  struct Pixel {
    int x, y;  // from the bottom-right corner (W, H)
    uint32_t colour;
  };
  // Line i of each kind runs from (W, H - k) to (W - k, H): pixel (W - j, H - k + j).
  const Pixel pixels[] = {
      {1, 3, shadow}, {3, 1, shadow},   // i = 1, k = 4
      {1, 4, shadow}, {4, 1, shadow},   // i = 1, k = 5
      {1, 12, shadow}, {12, 1, shadow}, // i = 3, k = 13
      {1, 1, window}, {1, 5, window},   // k = 2, k = 6
      {8, 2, window}, {1, 13, window},  // k = 10, k = 14
      {1, 2, yellow}, {2, 5, yellow},   // between the lines
      {1, 16, yellow}, {16, 1, yellow}, // outside the 15 x 15 square
  };
  for (const Pixel& p : pixels)
    EXPECT_EQ(hexOf(pixelAt(bitmap, W - p.x, H - p.y)), hexOf(p.colour)) << "at (W-" << p.x << ", H-" << p.y << ")";
}

// ---------------------------------------------------------------------------------------
// Window methods.

namespace {
class Receiver : public TObject {
  RTL_DECLARE_CLASS(Receiver, TObject)
public:
  std::vector<UINT> seen;
  void Handle(TMessage& Message) {
    seen.push_back(Message.Msg);
    Message.Result = Message.Msg == WM_USER + 7 ? 42 : 0;
  }
};
RTL_IMPLEMENT_CLASS(Receiver)
}  // namespace

TEST_F(JvDialogsTest, WrappedWindowMethodReceivesTheWindowsMessagesUntilReleased) {
  Receiver receiver;
  WNDPROC proc = JvWrapWindowMethod(TWndMethod(&receiver, &Receiver::Handle));
  ASSERT_NE(proc, nullptr);
  HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
  EXPECT_EQ(SendMessageA(w, WM_USER + 7, 0, 0), 42);
  EXPECT_EQ(receiver.seen, std::vector<UINT>{WM_USER + 7});
  SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  JvReleaseWindowMethod(proc);
  JvReleaseWindowMethod(nullptr);
  EXPECT_EQ(CallWindowProcA(proc, w, WM_USER + 7, 0, 0), 0) << "a released procedure no longer calls the method";
  EXPECT_EQ(receiver.seen.size(), 1u);
  DestroyWindow(w);
}
