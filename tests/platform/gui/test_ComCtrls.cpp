// The common controls under real windows: tree view (navigation, saving and loading,
// selection), page control (pages and their tabs, switching), rich edit (rich-text
// files) and progress bar.
#include <cstdio>
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"

using namespace guitest;

namespace {

// The bytes of a file (a path as the program's file functions take it).
std::string readFile(const std::string& path) {
  TFileStream in(path, fmOpenRead | fmShareDenyNone);
  std::string bytes(static_cast<size_t>(in.Size()), '\0');
  if (!bytes.empty()) in.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  return bytes;
}

// The texts of the tree's nodes in pre-order (GetFirstNode, GetNext).
std::vector<std::string> preOrder(TTreeNodes* nodes) {
  std::vector<std::string> v;
  for (TTreeNode* n = nodes->GetFirstNode(); n; n = n->GetNext()) v.push_back(n->Text());
  return v;
}

// The tree
//   Raiz
//     Estrato 1
//       Unidade a
//     Estrato 2
//   Outra
struct SampleTree {
  TTreeNode* root;
  TTreeNode* first;
  TTreeNode* leaf;
  TTreeNode* second;
  TTreeNode* other;
};

SampleTree buildSampleTree(TTreeNodes* nodes) {
  SampleTree t;
  t.root = nodes->Add(nullptr, "Raiz");
  t.other = nodes->Add(t.root, "Outra");
  t.first = nodes->AddChild(t.root, "Estrato 1");
  t.second = nodes->AddChild(t.root, "Estrato 2");
  t.leaf = nodes->AddChild(t.first, "Unidade a");
  return t;
}

class TTreeLog : public TObject {
  RTL_DECLARE_CLASS(TTreeLog, TObject)
public:
  std::vector<std::string> Events;
  bool Allow = true;
  void Changing(TObject*, TTreeNode* Node, bool& AllowChange) {
    Events.push_back("Changing " + (Node ? Node->Text() : std::string("nil")));
    AllowChange = Allow;
  }
  void Change(TObject*, TTreeNode* Node) { Events.push_back("Change " + (Node ? Node->Text() : std::string("nil"))); }
  void Deletion(TObject*, TTreeNode* Node) { Events.push_back("Deletion " + Node->Text()); }
  void Expanded(TObject*, TTreeNode* Node) { Events.push_back("Expanded " + Node->Text()); }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TTreeLog)

class ComCtrlsTest : public GuiTest {};

// ---------------------------------------------------------------------------------------
// Tree view.

TEST_F(ComCtrlsTest, TreeNavigationWalksThePreOrderAndTheSiblings) {
  TObjectPtr<TTreeView> tree(New<TTreeView>(nullptr));
  SampleTree t = buildSampleTree(tree->Items());
  EXPECT_EQ(preOrder(tree->Items()),
            (std::vector<std::string>{"Raiz", "Estrato 1", "Unidade a", "Estrato 2", "Outra"}));
  EXPECT_EQ(tree->Items()->Count(), 5);
  EXPECT_EQ(tree->Items()->Item(2), t.leaf);
  EXPECT_EQ(t.root->getFirstChild(), t.first);
  EXPECT_EQ(t.first->getNextSibling(), t.second);
  EXPECT_EQ(t.second->getNextSibling(), nullptr);
  EXPECT_EQ(t.leaf->Parent(), t.first);
  EXPECT_EQ(t.leaf->Level(), 2);
  EXPECT_EQ(t.root->Count(), 2);
  EXPECT_EQ(t.second->Index(), 1);
  EXPECT_EQ(t.other->AbsoluteIndex(), 4);
  EXPECT_EQ(t.other->GetPrev(), t.second) << "GetPrev goes back through the pre-order";
  EXPECT_EQ(t.first->GetPrev(), t.root);
  EXPECT_TRUE(t.leaf->HasAsParent(t.root));
  EXPECT_FALSE(t.root->HasAsParent(t.leaf));
}

TEST_F(ComCtrlsTest, TreeIndexOutOfRangeRaisesTheListError) {
  TObjectPtr<TTreeView> tree(New<TTreeView>(nullptr));
  SampleTree t = buildSampleTree(tree->Items());
  EXPECT_EQ(RaisedMessage<EListError>([&] { tree->Items()->Item(5); }), "List index out of bounds (5)");
  EXPECT_EQ(RaisedMessage<ETreeViewError>([&] { tree->Items()->Item(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(RaisedMessage<ETreeViewError>([&] { t.root->Item(2); }), "List index out of bounds (2)");
}

TEST_F(ComCtrlsTest, TreeSaveToFileWritesATabPerLevelTheTextAndCRLF) {
  TForm* form = own(newForm());
  TTreeView* tree = New<TTreeView>(form);
  tree->SetParent(form);
  buildSampleTree(tree->Items());
  tree->Items()->AddChild(tree->Items()->Item(3), "Seleção não proporcional");
  showAndActivate(form);
  std::string path = tempFile("tree.txt");
  tree->SaveToFile(path);
  std::string expected =
      "Raiz\r\n\tEstrato 1\r\n\t\tUnidade a\r\n\tEstrato 2\r\n\t\tSele\xE7\xE3o n\xE3o proporcional\r\nOutra\r\n";
  std::string written = readFile(path);
  EXPECT_EQ(written, expected);
  TMemoryStream stream;
  tree->SaveToStream(&stream);
  EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())), expected);
  DeleteFileA(path.c_str());
}

TEST_F(ComCtrlsTest, TreeLoadFromFileRebuildsTheTreeAndRefusesAJumpOfTwoLevels) {
  TObjectPtr<TTreeView> tree(New<TTreeView>(nullptr));
  TStringStream good("A\r\n\tA1\r\n\t\tA11\r\n\tA2\r\nB\r\n");
  tree->LoadFromStream(&good);
  EXPECT_EQ(preOrder(tree->Items()), (std::vector<std::string>{"A", "A1", "A11", "A2", "B"}));
  EXPECT_EQ(tree->Items()->Item(2)->Level(), 2);
  EXPECT_EQ(tree->Items()->Item(4)->Level(), 0);
  TStringStream bad("A\r\n\t\tA11\r\n");
  EXPECT_EQ(RaisedMessage<ETreeViewError>([&] { tree->LoadFromStream(&bad); }), "Invalid level (2) for item \"A11\"");
}

TEST_F(ComCtrlsTest, TreeSaveToAnUnwritablePathRaisesAClearError) {
  TObjectPtr<TTreeView> tree(New<TTreeView>(nullptr));
  buildSampleTree(tree->Items());
  std::string message = RaisedMessage<EFCreateError>([&] { tree->SaveToFile("Z:\\no-such-folder\\tree.txt"); });
  EXPECT_NE(message.find("Cannot create file"), std::string::npos) << message;
  EXPECT_NE(message.find("tree.txt"), std::string::npos) << message;
}

TEST_F(ComCtrlsTest, NodesMadeBeforeTheWindowShowInItAndKeepTheirStateAcrossANewWindow) {
  TForm* form = own(newForm());
  TTreeView* tree = New<TTreeView>(form);
  SampleTree t = buildSampleTree(tree->Items());
  t.root->Expand(false);
  tree->SetSelected(t.second);
  tree->SetParent(form);
  showAndActivate(form);
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETINDENT, 0, 0), 19) << "the default indent reaches the window";
  EXPECT_TRUE(t.root->Expanded());
  EXPECT_FALSE(t.first->Expanded());
  EXPECT_EQ(tree->Selected(), t.second);
  EXPECT_EQ(tree->Items()->GetNode(t.leaf->ItemId()), t.leaf);
  HWND first = tree->Handle();
  tree->SetBorderStyle(bsNone);
  EXPECT_NE(tree->Handle(), first);
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 5);
  EXPECT_TRUE(t.root->Expanded());
  EXPECT_EQ(tree->Selected(), t.second);
  char text[64] = {};
  TVITEMA item{};
  item.hItem = t.leaf->ItemId();
  item.mask = TVIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "Unidade a");
}

TEST_F(ComCtrlsTest, TreeSelectionAsksOnChangingWhichMayRefuseAndClickSelectsTheNodeUnderTheMouse) {
  TForm* form = own(newForm());
  TObjectPtr<TTreeLog> log(new TTreeLog());
  TTreeView* tree = New<TTreeView>(form);
  tree->SetParent(form);
  tree->SetBounds(10, 10, 200, 150);
  SampleTree t = buildSampleTree(tree->Items());
  tree->FullExpand();
  tree->SetOnChanging(TTVChangingEvent(log.get(), &TTreeLog::Changing));
  tree->SetOnChange(TTVChangedEvent(log.get(), &TTreeLog::Change));
  showAndActivate(form);
  log->Events.clear();  // the focused tree selected its first node by itself
  tree->SetSelected(t.first);
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Changing Estrato 1", "Change Estrato 1"}));
  log->Events.clear();
  log->Allow = false;
  tree->SetSelected(t.second);
  EXPECT_EQ(tree->Selected(), t.first) << "OnChanging refused the change";
  EXPECT_EQ(log->Events, std::vector<std::string>{"Changing Estrato 2"});
  log->Events.clear();
  log->Allow = true;
  TRect r = t.leaf->DisplayRect(true);
  clickAt(tree, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_EQ(tree->Selected(), t.leaf);
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Changing Unidade a", "Change Unidade a"}));
  EXPECT_EQ(tree->GetNodeAt((r.left + r.right) / 2, (r.top + r.bottom) / 2), t.leaf);
  EXPECT_TRUE(tree->GetHitTestInfoAt((r.left + r.right) / 2, (r.top + r.bottom) / 2).Contains(htOnLabel));
}

TEST_F(ComCtrlsTest, DeletingANodeReportsItsChildrenFirstAndTakesItOutOfTheWindow) {
  TForm* form = own(newForm());
  TObjectPtr<TTreeLog> log(new TTreeLog());
  TTreeView* tree = New<TTreeView>(form);
  tree->SetParent(form);
  SampleTree t = buildSampleTree(tree->Items());
  tree->SetOnDeletion(TTVExpandedEvent(log.get(), &TTreeLog::Deletion));
  showAndActivate(form);
  t.root->Delete();
  EXPECT_EQ(log->Events,
            (std::vector<std::string>{"Deletion Unidade a", "Deletion Estrato 1", "Deletion Estrato 2", "Deletion Raiz"}));
  EXPECT_EQ(preOrder(tree->Items()), std::vector<std::string>{"Outra"});
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 1);
  tree->Items()->Clear();
  EXPECT_EQ(tree->Items()->Count(), 0);
  EXPECT_EQ(tree->Items()->GetFirstNode(), nullptr);
}

TEST_F(ComCtrlsTest, TextSortedTreeInsertsInOrderAndMoveToCarriesTheChildren) {
  TForm* form = own(newForm());
  TTreeView* tree = New<TTreeView>(form);
  tree->SetParent(form);
  tree->HandleNeeded();
  tree->SetSortType(stText);
  for (const char* s : {"pera", "Abacaxi", "maçã"}) tree->Items()->Add(nullptr, s);
  EXPECT_EQ(preOrder(tree->Items()), (std::vector<std::string>{"Abacaxi", "maçã", "pera"}));
  tree->SetSortType(stNone);
  TTreeNode* pera = tree->Items()->Item(2);
  tree->Items()->AddChild(pera, "casca");
  pera->MoveTo(tree->Items()->Item(0), naAddChild);
  EXPECT_EQ(preOrder(tree->Items()), (std::vector<std::string>{"Abacaxi", "pera", "casca", "maçã"}));
  EXPECT_EQ(pera->Level(), 1);
  HTREEITEM parentInWindow =
      reinterpret_cast<HTREEITEM>(SendMessageA(tree->Handle(), TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(pera->ItemId())));
  EXPECT_EQ(parentInWindow, tree->Items()->Item(0)->ItemId()) << "the window moved the item too";
  EXPECT_EQ(RaisedMessage<ETreeViewError>([&] { tree->Items()->Item(0)->MoveTo(pera, naAddChild); }),
            "A node cannot be moved into itself");
}

// ---------------------------------------------------------------------------------------
// Page control.

namespace {

class TPageLog : public TObject {
  RTL_DECLARE_CLASS(TPageLog, TObject)
public:
  std::vector<std::string> Events;
  bool Allow = true;
  TPageControl* Pages = nullptr;
  void Changing(TObject*, bool& AllowChange) {
    Events.push_back("Changing from " + Pages->ActivePage()->Caption());
    AllowChange = Allow;
  }
  void Change(TObject*) { Events.push_back("Change to " + Pages->ActivePage()->Caption()); }
};

struct ThreePages {
  TPageControl* control;
  TTabSheet* sheets[3];
};

ThreePages makePages(TForm* form) {
  ThreePages p;
  p.control = New<TPageControl>(form);
  p.control->SetParent(form);
  p.control->SetBounds(10, 10, 300, 200);
  const char* captions[] = {"Dados", "Estratos", "Resultado"};
  for (int i = 0; i < 3; ++i) {
    p.sheets[i] = New<TTabSheet>(form);
    p.sheets[i]->SetCaption(captions[i]);
    p.sheets[i]->SetPageControl(p.control);
  }
  return p;
}

}  // namespace

RTL_IMPLEMENT_CLASS(TPageLog)

TEST_F(ComCtrlsTest, PagesGetOneTabEachInPageOrderAndTheFirstBecomesActive) {
  TForm* form = own(newForm(400, 300));
  ThreePages p = makePages(form);
  EXPECT_EQ(p.control->PageCount(), 3);
  EXPECT_EQ(p.control->ActivePage(), p.sheets[0]);
  EXPECT_EQ(p.control->Tabs()->Text(), "Dados\r\nEstratos\r\nResultado\r\n");
  p.sheets[1]->SetTabVisible(false);
  EXPECT_EQ(p.control->Tabs()->Text(), "Dados\r\nResultado\r\n");
  EXPECT_EQ(p.sheets[1]->TabIndex(), -1);
  EXPECT_EQ(p.sheets[2]->TabIndex(), 1);
  p.sheets[1]->SetTabVisible(true);
  p.sheets[2]->SetPageIndex(0);
  EXPECT_EQ(p.control->Tabs()->Text(), "Resultado\r\nDados\r\nEstratos\r\n");
  EXPECT_EQ(p.control->Pages(0), p.sheets[2]);
  EXPECT_EQ(SendMessageA(p.control->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(RaisedMessage<EListError>([&] { p.control->Pages(3); }), "List index out of bounds (3)");
  p.sheets[1]->Free();
  EXPECT_EQ(p.control->PageCount(), 2);
  EXPECT_EQ(p.control->Tabs()->Text(), "Resultado\r\nDados\r\n");
}

TEST_F(ComCtrlsTest, ClickingATabAsksOnChangingWhichMayKeepThePage) {
  TForm* form = own(newForm(400, 300));
  ThreePages p = makePages(form);
  TObjectPtr<TPageLog> log(new TPageLog());
  log->Pages = p.control;
  p.control->SetOnChanging(TTabChangingEvent(log.get(), &TPageLog::Changing));
  p.control->SetOnChange(TNotifyEvent(log.get(), &TPageLog::Change));
  showAndActivate(form);
  auto clickTab = [&](Integer i) {
    TRect r = p.control->TabRect(i);
    clickAt(p.control, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  };
  log->Allow = false;
  clickTab(1);
  EXPECT_EQ(p.control->ActivePage(), p.sheets[0]);
  EXPECT_EQ(p.control->TabIndex(), 0);
  EXPECT_EQ(log->Events, std::vector<std::string>{"Changing from Dados"});
  log->Events.clear();
  log->Allow = true;
  clickTab(1);
  EXPECT_EQ(p.control->ActivePage(), p.sheets[1]);
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Changing from Dados", "Change to Estratos"}));
  EXPECT_TRUE(p.sheets[1]->Visible());
  EXPECT_FALSE(p.sheets[0]->Visible());
  EXPECT_TRUE(IsWindowVisible(p.sheets[1]->Handle()));
  log->Events.clear();
  p.control->SetActivePageIndex(2);
  EXPECT_EQ(p.control->ActivePage(), p.sheets[2]);
  EXPECT_EQ(p.control->TabIndex(), 2);
  EXPECT_TRUE(log->Events.empty()) << "a page set in code fires no events";
  p.control->SelectNextPage(true);
  EXPECT_EQ(p.control->ActivePage(), p.sheets[0]) << "the next page wraps round";
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Changing from Resultado", "Change to Dados"}));
}

namespace {

class TTabPainter : public TObject {
  RTL_DECLARE_CLASS(TTabPainter, TObject)
public:
  std::vector<std::pair<Integer, bool>> Drawn;  // tab, active
  void DrawTab(TCustomTabControl* Control, Integer TabIndex, const TRect& Rect, bool Active) {
    Drawn.emplace_back(TabIndex, Active);
    Control->Canvas()->Brush()->SetColor(Active ? clRed : clBlue);
    Control->Canvas()->FillRect(Rect);
  }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TTabPainter)

TEST_F(ComCtrlsTest, TabsFollowStyleOwnerDrawAndTheirPagesImages) {
  TForm* form = own(newForm(400, 300));
  ThreePages p = makePages(form);
  TObjectPtr<TTabPainter> painter(new TTabPainter());
  TObjectPtr<TImageList> images(New<TImageList>(nullptr));
  p.sheets[0]->SetImageIndex(-1);
  p.sheets[2]->SetImageIndex(4);
  p.control->SetImages(images.get());
  p.control->SetStyle(tsFlatButtons);
  p.control->SetOwnerDraw(true);
  p.control->SetOnDrawTab(TDrawTabEvent(painter.get(), &TTabPainter::DrawTab));
  showAndActivate(form);
  LONG style = GetWindowLongA(p.control->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & TCS_BUTTONS);
  EXPECT_TRUE(style & TCS_FLATBUTTONS);
  EXPECT_TRUE(style & TCS_OWNERDRAWFIXED);
  EXPECT_EQ(p.control->Tabs()->Count(), 3) << "the tabs came back in the new window";
  TCITEMA item{};
  item.mask = TCIF_IMAGE;
  SendMessageA(p.control->Handle(), TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 4) << "a tab shows its page's image";
  SendMessageA(p.control->Handle(), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, -1);
  bool activeDrawn = false, otherDrawn = false;
  for (auto& [tab, active] : painter->Drawn) {
    activeDrawn = activeDrawn || (tab == 0 && active);
    otherDrawn = otherDrawn || (tab == 1 && !active);
  }
  EXPECT_TRUE(activeDrawn && otherDrawn) << "OnDrawTab draws the active and the other tabs";
  TBitmap shot;
  captureClient(p.control, shot);
  TRect second = p.control->TabRect(1);
  EXPECT_EQ(pixelAt(shot, (second.left + second.right) / 2, (second.top + second.bottom) / 2), 0xFF0000u)
      << "the owner-drawn tab shows the handler's colour";
}

TEST_F(ComCtrlsTest, PagesFillTheAreaBelowTheTabs) {
  TForm* form = own(newForm(400, 300));
  ThreePages p = makePages(form);
  showAndActivate(form);
  TRect display = p.control->DisplayRect();
  EXPECT_GT(display.top, 10) << "the tabs take the top";
  for (TTabSheet* sheet : p.sheets) {
    TRect r = sheet->BoundsRect();
    EXPECT_TRUE(EqualRect(&r, &display)) << sheet->Caption() << " is not at the display area";
  }
  p.control->SetTabPosition(tpBottom);
  TRect bottom = p.control->DisplayRect();
  EXPECT_LT(bottom.top, display.top);
  TRect sheet = p.sheets[0]->BoundsRect();
  EXPECT_TRUE(EqualRect(&sheet, &bottom));
}

// ---------------------------------------------------------------------------------------
// Rich edit.

namespace {

// Whether every '{' of Rtf has its '}' (escaped braces aside).
bool bracesBalance(const std::string& Rtf) {
  int depth = 0;
  for (size_t i = 0; i < Rtf.size(); ++i) {
    if (Rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (Rtf[i] == '{') ++depth;
    if (Rtf[i] == '}' && --depth < 0) return false;
  }
  return depth == 0;
}

std::vector<std::string> linesOf(TStrings* S) {
  std::vector<std::string> v;
  for (Integer i = 0; i < S->Count(); ++i) v.push_back(S->Strings(i));
  return v;
}

}  // namespace

TEST_F(ComCtrlsTest, RichEditSavesRtfThatLoadsBackTheSameLinesWithAccents) {
  TForm* form = own(newForm(400, 300));
  TRichEdit* rich = New<TRichEdit>(form);
  rich->SetParent(form);
  rich->SetBounds(5, 5, 380, 120);
  std::vector<std::string> lines = {"Seleção de estratos", "Amostragem não proporcional", "Ótima: n = 120"};
  for (const std::string& l : lines) rich->Lines()->Add(l);
  EXPECT_EQ(linesOf(rich->Lines()), lines);
  std::string path = tempFile("estratos.rtf");
  rich->Lines()->SaveToFile(path);
  std::string rtf = readFile(path);
  ASSERT_FALSE(rtf.empty());
  EXPECT_EQ(rtf.compare(0, 6, "{\\rtf1"), 0) << rtf.substr(0, 40);
  EXPECT_TRUE(bracesBalance(rtf)) << rtf;
  EXPECT_NE(rtf.find("\\'e7\\'e3o"), std::string::npos) << "ç and ã are written as RTF escapes: " << rtf;
  TRichEdit* other = New<TRichEdit>(form);
  other->SetParent(form);
  other->SetBounds(5, 130, 380, 120);
  other->Lines()->LoadFromFile(path);
  EXPECT_EQ(linesOf(other->Lines()), lines);
  DeleteFileA(path.c_str());
}

TEST_F(ComCtrlsTest, RichEditWithPlainTextSavesAndLoadsText) {
  TForm* form = own(newForm());
  TRichEdit* rich = New<TRichEdit>(form);
  rich->SetParent(form);
  rich->SetPlainText(true);
  rich->Lines()->Add("um");
  rich->Lines()->Add("dois");
  TMemoryStream stream;
  rich->Lines()->SaveToStream(&stream);
  std::string text(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  EXPECT_EQ(text.find("\\rtf"), std::string::npos) << text;
  EXPECT_NE(text.find("um"), std::string::npos);
  rich->Lines()->Delete(0);
  rich->Lines()->Insert(1, "três");
  EXPECT_EQ(linesOf(rich->Lines()), (std::vector<std::string>{"dois", "três"}));
  stream.SetPosition(0);
  rich->Lines()->LoadFromStream(&stream);
  EXPECT_EQ(linesOf(rich->Lines()), (std::vector<std::string>{"um", "dois"}));
}

TEST_F(ComCtrlsTest, RichEditSaveToAnUnwritablePathRaisesAClearError) {
  TForm* form = own(newForm());
  TRichEdit* rich = New<TRichEdit>(form);
  rich->SetParent(form);
  rich->Lines()->Add("x");
  std::string message = RaisedMessage<EFCreateError>([&] { rich->Lines()->SaveToFile("Z:\\no-such-folder\\a.rtf"); });
  EXPECT_NE(message.find("Cannot create file"), std::string::npos) << message;
}

TEST_F(ComCtrlsTest, RichEditKeepsItsFormattedTextAcrossANewWindow) {
  TForm* form = own(newForm());
  TRichEdit* rich = New<TRichEdit>(form);
  rich->SetParent(form);
  rich->Lines()->Add("negrito");
  rich->SelectAll();
  rich->SelAttributes()->SetStyle(TFontStyles{fsBold});
  rich->SetHideScrollBars(false);  // a new window
  EXPECT_EQ(linesOf(rich->Lines()), std::vector<std::string>{"negrito"});
  rich->SelectAll();
  EXPECT_TRUE(rich->SelAttributes()->Style().Contains(fsBold)) << "the formatting came back with the text";
}

// ---------------------------------------------------------------------------------------
// Progress bar.

TEST_F(ComCtrlsTest, ProgressBarKeepsPositionWithinItsRangeAndStepItWraps) {
  TForm* form = own(newForm());
  TProgressBar* bar = New<TProgressBar>(form);
  bar->SetMin(10);
  bar->SetMax(50);
  bar->SetStep(15);
  for (bool windowed : {false, true}) {
    SCOPED_TRACE(windowed ? "with a window" : "without a window");
    if (windowed) {
      bar->SetParent(form);
      bar->HandleNeeded();
    }
    bar->SetPosition(200);
    EXPECT_EQ(bar->Position(), 50);
    bar->SetPosition(0);
    EXPECT_EQ(bar->Position(), 10);
    bar->SetPosition(40);
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 15) << "a step past Max starts again from Min";
    bar->StepBy(-100);
    EXPECT_EQ(bar->Position(), 10);
  }
  EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETRANGE, TRUE, 0), 10);
  // The position read is the one the window shows, also across a new window.
  bar->SetPosition(33);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 48);
  EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 48);
  bar->SetSmooth(true);
  bar->HandleNeeded();
  EXPECT_EQ(bar->Position(), 48);
  EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 48);
  bar->SetMax(40);
  EXPECT_EQ(bar->Position(), 40) << "a narrower range takes the position with it";
  EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), 40);
}
