#pragma once
// Themes: drawing parts of controls with the system's visual style (uxtheme).
//
// ThemeServices() is the one object of the unit. ThemesEnabled says whether a visual
// style is active for the program; when it is not, every drawing routine draws nothing and
// callers use their own, classic drawing. An element is named by a value of one of the
// TThemed... enumerations (tbPushButtonNormal, ttbButtonHot ...); GetElementDetails turns
// it into the theme class, part and state uxtheme takes.
//
// The system's theme files are wide-character; texts here are cp1252 and converted on the
// way to uxtheme.

#include <windows.h>

#include <commctrl.h>
#include <string>

// The system header declares uxtheme's functions without C linkage.
extern "C" {
#include <uxtheme.h>
}

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

class TWinControl;

// The theme classes, one per kind of control.
RTL_ENUM(TThemedElement, teButton, teClock, teComboBox, teEdit, teExplorerBar, teHeader, teListView, teMenu,
         tePage, teProgress, teRebar, teScrollBar, teSpin, teStartPanel, teStatus, teTab, teTaskBand, teTaskBar,
         teToolBar, teToolTip, teTrackBar, teTrayNotify, teTreeview, teWindow)

// An element: the theme class, the part and the state (0, 0 for the class as a whole).
struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
};

// The elements of each class: DontCare and Root first, then each part's states in the
// order of the system's part and state numbers.
RTL_ENUM(TThemedButton, tbButtonDontCare, tbButtonRoot, tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed,
         tbPushButtonDisabled, tbPushButtonDefaulted, tbRadioButtonUncheckedNormal, tbRadioButtonUncheckedHot,
         tbRadioButtonUncheckedPressed, tbRadioButtonUncheckedDisabled, tbRadioButtonCheckedNormal,
         tbRadioButtonCheckedHot, tbRadioButtonCheckedPressed, tbRadioButtonCheckedDisabled,
         tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot, tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled,
         tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
         tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled,
         tbGroupBoxNormal, tbGroupBoxDisabled, tbUserButton)
RTL_ENUM(TThemedComboBox, tcComboBoxDontCare, tcComboBoxRoot, tcDropDownButtonNormal, tcDropDownButtonHot,
         tcDropDownButtonPressed, tcDropDownButtonDisabled)
RTL_ENUM(TThemedEdit, teEditDontCare, teEditRoot, teEditTextNormal, teEditTextHot, teEditTextSelected,
         teEditTextDisabled, teEditTextFocused, teEditTextReadOnly, teEditTextAssist, teEditCaret)
RTL_ENUM(TThemedHeader, thHeaderDontCare, thHeaderRoot, thHeaderItemNormal, thHeaderItemHot, thHeaderItemPressed,
         thHeaderItemLeftNormal, thHeaderItemLeftHot, thHeaderItemLeftPressed, thHeaderItemRightNormal,
         thHeaderItemRightHot, thHeaderItemRightPressed, thHeaderSortArrowSortedUp, thHeaderSortArrowSortedDown)
RTL_ENUM(TThemedProgress, tpProgressDontCare, tpProgressRoot, tpBar, tpBarVert, tpChunk, tpChunkVert)
RTL_ENUM(TThemedScrollBar, tsScrollBarDontCare, tsScrollBarRoot, tsArrowBtnUpNormal, tsArrowBtnUpHot,
         tsArrowBtnUpPressed, tsArrowBtnUpDisabled, tsArrowBtnDownNormal, tsArrowBtnDownHot, tsArrowBtnDownPressed,
         tsArrowBtnDownDisabled, tsArrowBtnLeftNormal, tsArrowBtnLeftHot, tsArrowBtnLeftPressed,
         tsArrowBtnLeftDisabled, tsArrowBtnRightNormal, tsArrowBtnRightHot, tsArrowBtnRightPressed,
         tsArrowBtnRightDisabled, tsThumbBtnHorzNormal, tsThumbBtnHorzHot, tsThumbBtnHorzPressed,
         tsThumbBtnHorzDisabled, tsThumbBtnVertNormal, tsThumbBtnVertHot, tsThumbBtnVertPressed,
         tsThumbBtnVertDisabled, tsLowerTrackHorzNormal, tsLowerTrackHorzHot, tsLowerTrackHorzPressed,
         tsLowerTrackHorzDisabled, tsUpperTrackHorzNormal, tsUpperTrackHorzHot, tsUpperTrackHorzPressed,
         tsUpperTrackHorzDisabled, tsLowerTrackVertNormal, tsLowerTrackVertHot, tsLowerTrackVertPressed,
         tsLowerTrackVertDisabled, tsUpperTrackVertNormal, tsUpperTrackVertHot, tsUpperTrackVertPressed,
         tsUpperTrackVertDisabled, tsGripperHorzNormal, tsGripperHorzHot, tsGripperHorzPressed,
         tsGripperHorzDisabled, tsGripperVertNormal, tsGripperVertHot, tsGripperVertPressed, tsGripperVertDisabled,
         tsSizeBoxRightAlign, tsSizeBoxLeftAlign)
RTL_ENUM(TThemedSpin, tsSpinDontCare, tsSpinRoot, tsUpNormal, tsUpHot, tsUpPressed, tsUpDisabled, tsDownNormal,
         tsDownHot, tsDownPressed, tsDownDisabled, tsUpHorzNormal, tsUpHorzHot, tsUpHorzPressed, tsUpHorzDisabled,
         tsDownHorzNormal, tsDownHorzHot, tsDownHorzPressed, tsDownHorzDisabled)
RTL_ENUM(TThemedTab, ttTabDontCare, ttTabRoot, ttTabItemNormal, ttTabItemHot, ttTabItemSelected, ttTabItemDisabled,
         ttTabItemFocused, ttTabItemLeftEdgeNormal, ttTabItemLeftEdgeHot, ttTabItemLeftEdgeSelected,
         ttTabItemLeftEdgeDisabled, ttTabItemLeftEdgeFocused, ttTabItemRightEdgeNormal, ttTabItemRightEdgeHot,
         ttTabItemRightEdgeSelected, ttTabItemRightEdgeDisabled, ttTabItemRightEdgeFocused,
         ttTabItemBothEdgeNormal, ttTabItemBothEdgeHot, ttTabItemBothEdgeSelected, ttTabItemBothEdgeDisabled,
         ttTabItemBothEdgeFocused, ttTopTabItemNormal, ttTopTabItemHot, ttTopTabItemSelected,
         ttTopTabItemDisabled, ttTopTabItemFocused, ttTopTabItemLeftEdgeNormal, ttTopTabItemLeftEdgeHot,
         ttTopTabItemLeftEdgeSelected, ttTopTabItemLeftEdgeDisabled, ttTopTabItemLeftEdgeFocused,
         ttTopTabItemRightEdgeNormal, ttTopTabItemRightEdgeHot, ttTopTabItemRightEdgeSelected,
         ttTopTabItemRightEdgeDisabled, ttTopTabItemRightEdgeFocused, ttTopTabItemBothEdgeNormal,
         ttTopTabItemBothEdgeHot, ttTopTabItemBothEdgeSelected, ttTopTabItemBothEdgeDisabled,
         ttTopTabItemBothEdgeFocused, ttPane, ttBody)
RTL_ENUM(TThemedToolBar, ttbToolBarDontCare, ttbToolBarRoot, ttbButtonNormal, ttbButtonHot, ttbButtonPressed,
         ttbButtonDisabled, ttbButtonChecked, ttbButtonCheckedHot, ttbDropDownButtonNormal, ttbDropDownButtonHot,
         ttbDropDownButtonPressed, ttbDropDownButtonDisabled, ttbDropDownButtonChecked,
         ttbDropDownButtonCheckedHot, ttbSplitButtonNormal, ttbSplitButtonHot, ttbSplitButtonPressed,
         ttbSplitButtonDisabled, ttbSplitButtonChecked, ttbSplitButtonCheckedHot, ttbSplitButtonDropDownNormal,
         ttbSplitButtonDropDownHot, ttbSplitButtonDropDownPressed, ttbSplitButtonDropDownDisabled,
         ttbSplitButtonDropDownChecked, ttbSplitButtonDropDownCheckedHot, ttbSeparatorNormal, ttbSeparatorHot,
         ttbSeparatorPressed, ttbSeparatorDisabled, ttbSeparatorChecked, ttbSeparatorCheckedHot,
         ttbSeparatorVertNormal, ttbSeparatorVertHot, ttbSeparatorVertPressed, ttbSeparatorVertDisabled,
         ttbSeparatorVertChecked, ttbSeparatorVertCheckedHot)
RTL_ENUM(TThemedTreeview, ttTreeviewDontCare, ttTreeviewRoot, ttItemNormal, ttItemHot, ttItemSelected,
         ttItemDisabled, ttItemSelectedNotFocus, ttGlyphClosed, ttGlyphOpened, ttBranch)

// The visual-style services.
class TThemeServices : public TObject {
  RTL_DECLARE_CLASS(TThemeServices, TObject)
public:
  TThemeServices();
  ~TThemeServices() override;
  TThemeServices(const TThemeServices&) = delete;
  TThemeServices& operator=(const TThemeServices&) = delete;

  // Whether uxtheme could be loaded at all.
  bool ThemesAvailable() const { return available_; }
  // Whether a visual style is active for this program now.
  bool ThemesEnabled();
  // The theme data of a class (opened on first use; null when themes are off).
  HTHEME Theme(TThemedElement Element);

  TThemedElementDetails GetElementDetails(TThemedButton Detail);
  TThemedElementDetails GetElementDetails(TThemedComboBox Detail);
  TThemedElementDetails GetElementDetails(TThemedEdit Detail);
  TThemedElementDetails GetElementDetails(TThemedHeader Detail);
  TThemedElementDetails GetElementDetails(TThemedProgress Detail);
  TThemedElementDetails GetElementDetails(TThemedScrollBar Detail);
  TThemedElementDetails GetElementDetails(TThemedSpin Detail);
  TThemedElementDetails GetElementDetails(TThemedTab Detail);
  TThemedElementDetails GetElementDetails(TThemedToolBar Detail);
  TThemedElementDetails GetElementDetails(TThemedTreeview Detail);

  // The element's background in R (clipped to ClipRect when given).
  void DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect = nullptr);
  void DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                TRect* ContentRect = nullptr);
  void DrawIcon(HDC DC, const TThemedElementDetails& Details, const TRect& R, HIMAGELIST Images, Integer Index);
  // Text in the element's font and colour; Flags are DrawText's, Flags2 DrawThemeText's.
  void DrawText(HDC DC, const TThemedElementDetails& Details, const std::string& S, TRect R, UINT Flags,
                UINT Flags2);
  // The part of BoundingRect inside the element's borders.
  TRect ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect);
  // Whether the element lets its parent show through somewhere.
  bool HasTransparentParts(const TThemedElementDetails& Details);
  // Paints Window's parent where Window would show it (Bounds: that part of Window, in
  // its client coordinates; the whole window when null).
  void DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details, bool OnlyIfTransparent,
                            const TRect* Bounds = nullptr);
  // Draws the themed border of Control's non-client area (edits, lists).
  void PaintBorder(TWinControl* Control, bool EraseLRCorner);

  // Forgets the open theme data and reads whether a style is active again (after the
  // system's WM_THEMECHANGED), then fires OnThemeChange.
  void ApplyThemeChange();
  void UpdateThemes();
  const TNotifyEvent& OnThemeChange() const { return onThemeChange_; }
  void SetOnThemeChange(const TNotifyEvent& Value) { onThemeChange_ = Value; }

protected:
  virtual void DoOnThemeChange();

private:
  void closeThemes();
  void wndProc(TMessage& Message);

  bool available_ = false;
  bool useThemes_ = false;
  HTHEME themes_[teWindow + 1] = {};
  HWND window_ = nullptr;  // hears the system's theme change
  TNotifyEvent onThemeChange_;
};

// The unit's services object (made on first use, freed at the unit's end).
TThemeServices* ThemeServices();

// Switches the system's own visual style (the light style Wine ships) on or off for this
// program and for the prefix's registry, as tests of themed drawing need; true when the
// switch took effect. Turning it on changes the system colours until it is turned off.
bool SwitchTestVisualStyle(bool On);

namespace ThemesUnit {
void Initialize();
void Finalize();
}  // namespace ThemesUnit
