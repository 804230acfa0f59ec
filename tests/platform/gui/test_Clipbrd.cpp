// The clipboard object: text, pictures, components, nested opening.
#include <string>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ExtCtrls.h"

using namespace guitest;

class ClipbrdTest : public GuiTest {};

TEST_F(ClipbrdTest, TextRoundTripsWithAccents) {
  Clipboard()->SetAsText("Seleção de estratos: ótima");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), "Seleção de estratos: ótima");
  char buffer[8];
  EXPECT_EQ(Clipboard()->GetTextBuf(buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "Seleção");
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST_F(ClipbrdTest, BitmapGoesOnTheClipboardAndComesBackIntoAPicture) {
  TObjectPtr<TBitmap> bmp(new TBitmap());
  makeWhite(*bmp, 16, 8);
  bmp->Canvas()->SetPixels(3, 2, clRed);
  Clipboard()->Assign(bmp.get());
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE)) << "some graphic class reads what is there";
  TObjectPtr<TPicture> picture(new TPicture());
  picture->Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TBitmap*>(picture->Graphic()), nullptr);
  EXPECT_EQ(picture->Width(), 16);
  EXPECT_TRUE(PixelIs(*picture->Bitmap(), 3, 2, 0x0000FF));
  EXPECT_TRUE(PixelIs(*picture->Bitmap(), 4, 2, 0xFFFFFF));
  Clipboard()->SetAsText("texto");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_PICTURE));
  EXPECT_EQ(RaisedMessage<EInvalidGraphic>([&] { picture->Assign(Clipboard()); }), "Unsupported clipboard format");
}

TEST_F(ClipbrdTest, OneOpeningKeepsEveryFormatAddedInside) {
  TObjectPtr<TBitmap> bmp(new TBitmap());
  makeWhite(*bmp, 4, 4);
  Clipboard()->SetAsText("antes");
  Clipboard()->Open();
  Clipboard()->SetAsText("texto");
  Clipboard()->Assign(bmp.get());
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->AsText(), "texto") << "the first addition emptied the clipboard, the second kept it";
  Clipboard()->SetAsText("depois");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP)) << "outside an opening each addition starts afresh";
  EXPECT_EQ(RaisedMessage<EListError>([&] { Clipboard()->Formats(99); }), "List index out of bounds (99)");
}

TEST_F(ClipbrdTest, ComponentComesBackWithItsPropertiesUnderTheGivenOwnerAndParent) {
  TForm* form = own(newForm());
  TObjectPtr<TPanel> source(New<TPanel>(nullptr));
  source->SetName("Painel");
  source->SetCaption("Cópia");
  source->SetBounds(5, 6, 70, 30);
  RegisterClass(TPanel::StaticClass());
  Clipboard()->SetComponent(source.get());
  EXPECT_TRUE(Clipboard()->HasFormat(CF_COMPONENT));
  auto* copy = dynamic_cast<TPanel*>(Clipboard()->GetComponent(form, form));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Owner(), form);
  EXPECT_EQ(copy->Parent(), form);
  EXPECT_EQ(copy->Caption(), "Cópia");
  EXPECT_EQ(copy->Width(), 70);
}
