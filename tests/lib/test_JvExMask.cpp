// The extended masked-edit base: the clipboard filter (a message whose command is not
// allowed gets 1 and changes nothing; the allowed one works as the edit's own) and the
// base's starting settings.
#include <string>

#include "TestFramework.h"
#include "lib/JvExMask.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

class JvExMaskTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 300, 120);
    edit = New<TJvExCustomMaskEdit>(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 150, 21);
    edit->HandleNeeded();
  }

  LRESULT send(UINT Msg) { return SendMessageA(edit->Handle(), Msg, 0, 0); }
  void selectAll() { SendMessageA(edit->Handle(), EM_SETSEL, 0, -1); }

  TForm* form = nullptr;
  TJvExCustomMaskEdit* edit = nullptr;
};

TEST_F(JvExMaskTest, StartsWithEveryClipboardCommandAndTheBeepOn) {
  EXPECT_EQ((TJvClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo}), edit->ClipboardCommands());
  EXPECT_TRUE(edit->BeepOnInvalidInput());
  EXPECT_EQ(clDefault, edit->HintColor());
  EXPECT_FALSE(edit->MouseInside());
}

TEST_F(JvExMaskTest, ClipboardMessagesActOnlyWhileTheirCommandIsAllowed) {
  struct Case {
    const char* Name;
    UINT Msg;
    TJvClipboardCommand Command;
    bool Undo;               // the text is first replaced by "zz" as an undoable edit
    const char* TextAfter;   // when allowed
    const char* ClipAfter;   // when allowed
  };
  const Case cases[] = {
      {"WM_CUT", WM_CUT, caCut, false, "", "abc"},
      {"WM_COPY", WM_COPY, caCopy, false, "abc", "abc"},
      {"WM_PASTE", WM_PASTE, caPaste, false, "XYZ", "XYZ"},
      {"WM_CLEAR", WM_CLEAR, caClear, false, "", "XYZ"},
      {"WM_UNDO", WM_UNDO, caUndo, true, "abc", "XYZ"},
      {"EM_UNDO", EM_UNDO, caUndo, true, "abc", "XYZ"},
  };
  const TJvClipboardCommands all{caCopy, caCut, caPaste, caClear, caUndo};
  for (const Case& c : cases) {
    for (bool allowed : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (allowed ? " allowed" : " refused"));
      edit->SetClipboardCommands(all);
      edit->SetText("abc");
      SendMessageA(edit->Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
      std::string before = "abc";
      if (c.Undo) {
        selectAll();
        SendMessageA(edit->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("zz"));
        before = "zz";
      }
      Clipboard()->SetAsText("XYZ");
      selectAll();
      // Allowed: only its own command, so the others play no part; refused: all but it.
      edit->SetClipboardCommands(allowed ? TJvClipboardCommands{c.Command} : all - TJvClipboardCommands{c.Command});
      const LRESULT result = send(c.Msg);
      if (allowed) {
        EXPECT_EQ(c.TextAfter, edit->Text());
        EXPECT_EQ(c.ClipAfter, Clipboard()->AsText());
      } else {
        EXPECT_EQ(1, result) << "a refused message is answered with 1";
        EXPECT_EQ(before, edit->Text());
        EXPECT_EQ("XYZ", Clipboard()->AsText());
      }
    }
  }
}

}  // namespace
