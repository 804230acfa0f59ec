#pragma once
// The painter interface through which every custom-drawn control draws its buttons,
// borders, check boxes, radio buttons, expand boxes, headers, footers, tabs, scroll-bar
// parts and indicator cells; the standard, flat, ultra-flat and native (themed) painters;
// and the drawing resources they share (indicator images, auto-hide bitmaps, scroll-bar
// page patterns). The unit's start registers each painter with the look-and-feel chain.
//
// Painters hold no state: each painter class has one shared instance (Instance()), and a
// "painter class" is a pointer to it. Callers never own a painter. Every operation gets
// the canvas and everything else it needs as arguments.
//
// Colours: clDefault in a colour argument means the painter's own colour for the state;
// clNone means no colour.
#include <string>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"

RTL_ENUM(TcxArrowDirection, adUp, adDown, adLeft, adRight)
// The parts of a scroll bar a painter draws (sbpNone is never drawn).
RTL_ENUM(TcxScrollBarPart, sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown)
// Indicator cells: ikNone draws no image; the others select an indicator image.
RTL_ENUM(TcxIndicatorKind, ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow)
// The frame of a popup window: none, a one-pixel line, a raised edge, a double raised edge.
RTL_ENUM(TcxPopupFrameStyle, pfsNone, pfsSingle, pfsRaised, pfsDoubleRaised)

struct TcxViewParams;

// A caller's chance to paint a cell's background itself: true when it did.
using TcxDrawBackgroundEvent = TEvent<bool(TcxCanvas* ACanvas, const TRect& ABounds)>;

// Side of a tab strip for DrawTabFrame: 0 left, 1 top, 2 right, 3 bottom.
using TcxTabSide = Integer;

class TcxCustomLookAndFeelPainter : public TObject {
  RTL_DECLARE_CLASS(TcxCustomLookAndFeelPainter, TObject)
public:
  static TcxCustomLookAndFeelPainter* Instance();
  TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
  TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;

  // --- Arrows and header content.
  virtual void DrawDropDownArrow(TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  virtual void DrawHeaderContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                 TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                 bool AShowEndEllipsis, const std::string& AText, TFont* AFont, TColor ATextColor,
                                 TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual TRect GetFooterCellContentBounds(const TRect& ABounds);
  virtual TRect GetFooterCellTextAreaBounds(const TRect& ABounds);
  // 0 flat, 1 standard, 2 ultra-flat, 3 native.
  virtual Integer GetPainterKind() { return 1; }

  // --- Colours.
  virtual TColor GetPlusSignColor() { return clWindowText; }
  virtual TColor GetContentColor() { return clWindow; }
  virtual TColor GetContentTextColor() { return clWindowText; }
  virtual TColor GetFilterBoxColor() { return clBtnShadow; }
  virtual TColor GetFilterBoxTextColor() { return clBtnHighlight; }
  virtual TColor GetDetailFrameColor() { return clBtnText; }
  virtual TColor GetFooterColor() { return clBtnFace; }
  virtual TColor GetFooterTextColor() { return clBtnText; }
  virtual TColor GetGridLineColor() { return clBtnShadow; }
  virtual TColor GetGroupColor() { return clBtnFace; }
  virtual TColor GetGroupTextColor() { return clBtnText; }
  virtual TColor GetGroupByBoxColor() { return clBtnShadow; }
  virtual TColor GetGroupByBoxTextColor() { return clBtnFace; }
  virtual TColor GetHeaderColor() { return clBtnFace; }
  virtual TColor GetHeaderTextColor() { return clBtnText; }
  virtual TColor GetInactiveColor() { return clBtnFace; }
  virtual TColor GetInactiveTextColor() { return clBtnText; }
  virtual TColor GetPreviewTextColor() { return static_cast<TColor>(0xFF0000); }
  virtual TColor GetRowSeparatorColor() { return GetGridLineColor(); }
  virtual TColor GetSelectionColor() { return clHighlight; }
  virtual TColor GetSelectionTextColor() { return clHighlightText; }
  virtual TColor GetTabColor() { return clBtnFace; }
  virtual TColor GetTabTextColor() { return clBtnText; }
  virtual TColor GetTabsBackgroundColor() { return clBtnFace; }
  // The names the grid reads its defaults by.
  TColor GetDefaultGridLineColor() { return GetGridLineColor(); }
  TColor GetDefaultHeaderTextColor() { return GetHeaderTextColor(); }
  TColor GetDefaultNewItemRowSeparatorColor() { return GetHeaderColor(); }
  TColor GetDefaultRowSeparatorColor() { return GetRowSeparatorColor(); }

  // --- Arrows and buttons.
  virtual void DrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection, TColor AColor);
  virtual void DrawArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                               TcxArrowDirection ADirection, bool AFramed = true);
  virtual void DrawButtonBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawButtonArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                               TcxArrowDirection ADirection);
  virtual Integer GetControlBorderWidth() { return 0; }
  virtual void DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) {}
  virtual Integer GetButtonBorderWidth(TcxButtonState AState = cxbsNormal) { return 0; }
  virtual TColor GetButtonFaceColor(TcxButtonState AState) { return clBtnFace; }
  virtual TRect GetButtonFocusBounds(TcxCanvas* ACanvas, const TRect& R);
  // The margins of one button of a group of ACount (left, top, right, bottom in a TRect).
  virtual TRect GetButtonGroupMargins(Integer ACount, Integer AIndex);
  virtual Integer GetButtonTextIndent() { return 0; }
  virtual Integer GetPressedTextShift() { return 0; }
  virtual TColor GetButtonGlyphColor(TcxButtonState AState);
  virtual TcxButtonState GetButtonSymbolState(TcxButtonState AState) { return AState; }
  TcxButtonState MapButtonDrawState(TcxButtonState AState) { return GetButtonSymbolState(AState); }
  virtual void DrawCaptionButton(TcxCanvas* ACanvas, const TRect& R, const std::string& ACaption,
                                 TcxButtonState AState, bool AFramed = true, TColor AColor = clDefault,
                                 TColor ATextColor = clDefault);
  virtual void DrawGroupedButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer ACount,
                                 Integer AIndex, TColor AFrameColor = clDefault);
  void DrawGroupButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer ACount, Integer AIndex,
                       TColor AFrameColor = clDefault) {
    DrawGroupedButton(ACanvas, R, AState, ACount, AIndex, AFrameColor);
  }
  virtual void DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {}
  virtual void DrawNavigatorBorder(TcxCanvas* ACanvas, const TRect& R, bool AInplaceFocused, bool ASelected) {}

  // --- Expand boxes and toggles.
  virtual void DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) {}
  virtual bool ExpandBoxHasFrame() { return true; }
  virtual void DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState);
  virtual void DrawTreeExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AFrameColor,
                                    TColor AColor = clDefault);
  virtual Integer GetExpandBoxSize() { return 0; }
  virtual Integer GetGroupToggleButtonWidth() { return 15; }
  virtual bool HasHotTrackButtons() { return false; }
  virtual bool IsPointInGroupToggleButton(const TRect& R, const TPoint& P);
  virtual Integer GetTreeExpandButtonSize() { return 9; }

  // --- Check boxes and radio buttons.
  virtual Integer GetCheckBoxBorderWidth() { return 2; }
  virtual TColor GetCheckBoxBackgroundColor(TcxButtonState AState);
  virtual void DrawCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                             TColor AColor);
  virtual void DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {}
  virtual void DrawCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked);
  virtual void DrawRadioButtonGlyph(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                                    bool AFocused, TColor ABkColor = clDefault, bool AIsDesigning = false);

  // --- Headers.
  virtual void DrawHeaderCell(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                              TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                              TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                              bool AShowEndEllipsis, const std::string& AText, TFont* AFont, TColor ATextColor,
                              TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual void DrawHeaderSection(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                 TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                 TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                 bool AShowEndEllipsis, const std::string& AText, TFont* AFont, TColor ATextColor,
                                 TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual void DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) {}
  virtual void DrawHeaderPressed(TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {}
  virtual TcxBorders GetHeaderBorders(TcxBorders ANeighbors) { return cxBordersAll; }
  TcxBorders GetHeaderCellBorders(TcxBorders ANeighbors) { return GetHeaderBorders(ANeighbors); }
  virtual Integer GetHeaderEdgeWidth() { return 0; }
  virtual TRect GetHeaderDrawBounds(const TRect& ABounds, TcxBorders ANeighbors, TcxBorders ABorders);
  virtual TRect GetHeaderContentBounds(const TRect& ABounds, TcxBorders ABorders);
  virtual bool HeaderItemsFirst() { return true; }
  bool HeaderDrawCellsFirst() { return HeaderItemsFirst(); }
  virtual Integer GetHeaderHeight(Integer AFontHeight);
  virtual Integer GetHeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders, const std::string& AText, TFont* AFont);
  virtual bool HasHotTrackHeaders() { return false; }
  bool IsHeaderHotTrack() { return HasHotTrackHeaders(); }
  virtual TSize GetSortArrowAreaSize();
  TSize GetSortingMarkAreaSize() { return GetSortArrowAreaSize(); }
  virtual TSize GetSortArrowSize() { return TSize{0, 0}; }

  // --- Footers and edges.
  virtual void DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                              TcxAlignmentVert AAlignmentVert, bool AMultiLine, const std::string& AText,
                              TFont* AFont, TColor ATextColor, TColor ABkColor,
                              const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual TcxBorders GetFooterBorders() { return cxBordersAll; }
  TcxBorders GetFooterCellBorders() { return GetFooterBorders(); }
  virtual Integer GetFooterBorderWidth() { return 0; }
  virtual Integer GetFooterCellContentOffset() { return 0; }
  virtual Integer GetFooterCellBorderWidth() { return 0; }
  // The names the grid reads the footer metrics by.
  Integer GetEditFrameWidth() { return GetFooterBorderWidth(); }
  Integer GetTrackBarFrameWidth() { return GetFooterCellContentOffset(); }
  Integer GetTrackBarThemeInset() { return GetFooterCellBorderWidth(); }
  virtual bool FooterItemsFirst() { return true; }
  bool FooterDrawCellsFirst() { return FooterItemsFirst(); }
  virtual TColor GetFooterSeparatorColor() { return clBtnShadow; }
  virtual Integer GetFooterSeparatorWidth() { return 1; }
  virtual void DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) {}
  virtual void DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) {}
  virtual void DrawFooterSeparator(TcxCanvas* ACanvas, const TRect& R);

  // --- Small buttons.
  virtual void DrawFilterActivateButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked);
  virtual void DrawCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  void DrawFilterCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
    DrawCloseButton(ACanvas, R, AState);
  }
  virtual void DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AActive) {}
  virtual TSize GetCheckBoxSize() { return TSize{13, 13}; }
  TSize GetRadioButtonSize() { return GetCheckBoxSize(); }
  virtual TSize GetCloseButtonSize() { return TSize{16, 14}; }
  // Height 0: as high as the caller's area.
  virtual TSize GetFilterDropDownButtonSize() { return TSize{15, 0}; }
  TSize GetColumnFilterButtonSize() { return GetFilterDropDownButtonSize(); }
  virtual TcxPopupFrameStyle GetFilterPopupFrameStyle() { return pfsSingle; }
  TcxPopupFrameStyle GetPopupFrameStyle() { return GetFilterPopupFrameStyle(); }
  virtual TSize GetSmallButtonSize() { return TSize{13, 13}; }
  virtual TSize GetAutoHideButtonSize() { return TSize{16, 14}; }
  virtual void DrawPlusButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // AImageIndex 0 or 1 selects the auto-hide bitmap; ABkColor serves the native painter.
  virtual void DrawAutoHideButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer AImageIndex,
                                  TColor ABkColor = clDefault);

  // --- Tabs.
  virtual void DrawTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const std::string& AText,
                       TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor, TColor AColor) {}
  virtual void DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders,
                            bool AVertical) {}
  virtual void DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) {}
  virtual bool DrawsWholeTab(bool AVertical) { return false; }
  bool CanDrawTab(bool AVertical) { return DrawsWholeTab(AVertical); }
  virtual bool IsTabThemed(bool AVertical) { return false; }
  bool IsTabHotTrack(bool AVertical) { return IsTabThemed(AVertical); }
  virtual Integer GetTabFrameWidth(bool AVertical) { return 0; }

  // --- Indicator cells.
  virtual void DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                 const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual void DrawIndicatorItemSection(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                        const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual bool IndicatorItemsFirst() { return true; }
  bool IndicatorDrawItemsFirst() { return IndicatorItemsFirst(); }

  // --- Scroll bars.
  virtual void DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                                 TcxButtonState AState) {}
  // AArrows: 1 left, 2 right, 3 both.
  virtual void DrawScrollButtonCell(TcxCanvas* ACanvas, const TRect& R, const std::string& AText,
                                    TcxBorders ANeighbors, const TcxViewParams& AViewParams, Integer AArrows,
                                    Integer AArrowIndent, const TcxDrawBackgroundEvent& AOnDrawBackground = {});
  virtual void DrawControlBorderOf(TcxCanvas* ACanvas, const TRect& R);

protected:
  TcxCustomLookAndFeelPainter() = default;
  // The scroll-button cell arrows (also used by the standard painter).
  void drawScrollCellArrows(TcxCanvas* ACanvas, TRect R, Integer AArrows, Integer AArrowIndent);
};

// The standard (raised 3D) painter, kind lfStandard.
class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_DECLARE_CLASS(TcxStandardLookAndFeelPainter, TcxCustomLookAndFeelPainter)
public:
  static TcxStandardLookAndFeelPainter* Instance();

  Integer GetControlBorderWidth() override { return 2; }
  void DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) override;
  Integer GetButtonBorderWidth(TcxButtonState AState = cxbsNormal) override { return AState == cxbsDefault ? 3 : 2; }
  Integer GetButtonTextIndent() override { return 1; }
  Integer GetPressedTextShift() override { return 1; }
  void DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) override;
  void DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) override;
  Integer GetExpandBoxSize() override { return 12; }
  void DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) override;
  void DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  Integer GetHeaderEdgeWidth() override { return 1; }
  TSize GetSortArrowSize() override { return TSize{8, 7}; }
  Integer GetFooterBorderWidth() override { return 1; }
  Integer GetFooterCellContentOffset() override { return 1; }
  Integer GetFooterCellBorderWidth() override { return 1; }
  void DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AActive) override;
  void DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders,
                    bool AVertical) override;
  void DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) override;
  Integer GetTabFrameWidth(bool AVertical) override { return 1; }
  void DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DrawScrollButtonCell(TcxCanvas* ACanvas, const TRect& R, const std::string& AText, TcxBorders ANeighbors,
                            const TcxViewParams& AViewParams, Integer AArrows, Integer AArrowIndent,
                            const TcxDrawBackgroundEvent& AOnDrawBackground = {}) override;

protected:
  TcxStandardLookAndFeelPainter() = default;
};

// The flat painter, kind lfFlat: one-pixel 3D edges where the standard painter draws two.
class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_DECLARE_CLASS(TcxFlatLookAndFeelPainter, TcxCustomLookAndFeelPainter)
public:
  static TcxFlatLookAndFeelPainter* Instance();

  Integer GetPainterKind() override { return 0; }
  Integer GetControlBorderWidth() override { return 1; }
  void DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) override;
  Integer GetButtonBorderWidth(TcxButtonState AState = cxbsNormal) override { return AState == cxbsDefault ? 2 : 1; }
  Integer GetButtonTextIndent() override { return 1; }
  Integer GetPressedTextShift() override { return 1; }
  void DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) override;
  Integer GetExpandBoxSize() override { return 11; }
  void DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) override;
  void DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  Integer GetHeaderEdgeWidth() override { return 1; }
  TSize GetSortArrowSize() override { return TSize{8, 7}; }
  Integer GetFooterBorderWidth() override { return 1; }
  Integer GetFooterCellContentOffset() override { return 1; }
  Integer GetFooterCellBorderWidth() override { return 1; }
  void DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AActive) override;
  void DrawPlusSign(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders,
                    bool AVertical) override;
  void DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) override;
  Integer GetTabFrameWidth(bool AVertical) override { return 1; }
  void DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;

protected:
  TcxFlatLookAndFeelPainter() = default;
};

// The ultra-flat painter, kind lfUltraFlat: one-pixel frames in shadow, text or highlight
// colours, hot and pressed buttons filled with blends of the highlight colour, and buttons
// that follow the mouse.
class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_DECLARE_CLASS(TcxUltraFlatLookAndFeelPainter, TcxCustomLookAndFeelPainter)
public:
  static TcxUltraFlatLookAndFeelPainter* Instance();

  Integer GetPainterKind() override { return 2; }
  TColor GetPlusSignColor() override { return clNavy; }
  Integer GetControlBorderWidth() override { return 1; }
  void DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) override;
  Integer GetButtonBorderWidth(TcxButtonState AState = cxbsNormal) override { return AState == cxbsDefault ? 2 : 1; }
  TColor GetButtonFaceColor(TcxButtonState AState) override;
  TRect GetButtonFocusBounds(TcxCanvas* ACanvas, const TRect& R) override;
  TRect GetButtonGroupMargins(Integer ACount, Integer AIndex) override;
  Integer GetButtonTextIndent() override { return 2; }
  Integer GetPressedTextShift() override { return 0; }
  TColor GetButtonGlyphColor(TcxButtonState AState) override;
  // Symbols of ultra-flat buttons never shift or grey.
  TcxButtonState GetButtonSymbolState(TcxButtonState) override { return cxbsNormal; }
  void DrawGroupedButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer ACount, Integer AIndex,
                         TColor AFrameColor = clDefault) override;
  void DrawButtonEdges(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawNavigatorBorder(TcxCanvas* ACanvas, const TRect& R, bool AInplaceFocused, bool ASelected) override;
  void DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) override;
  Integer GetExpandBoxSize() override { return 11; }
  bool HasHotTrackButtons() override { return true; }
  void DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawHeaderSection(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                         TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                         TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                         const std::string& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                         const TcxDrawBackgroundEvent& AOnDrawBackground = {}) override;
  void DrawHeaderEdges(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) override;
  void DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  TcxBorders GetHeaderBorders(TcxBorders ANeighbors) override;
  Integer GetHeaderEdgeWidth() override { return 1; }
  TSize GetSortArrowSize() override { return TSize{7, 8}; }
  TcxBorders GetFooterBorders() override { return TcxBorders{bRight, bBottom}; }
  Integer GetFooterBorderWidth() override { return 1; }
  Integer GetFooterCellContentOffset() override { return 1; }
  Integer GetFooterCellBorderWidth() override { return 2; }
  void DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawSunkenEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AActive) override;
  TSize GetCloseButtonSize() override { return TSize{16, 15}; }
  TSize GetSmallButtonSize() override { return TSize{12, 12}; }
  void DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders,
                    bool AVertical) override;
  void DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) override;
  Integer GetTabFrameWidth(bool AVertical) override { return 1; }
  void DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;

  // The painter's own frame colours.
  // clBtnShadow for a normal button, clHighlight otherwise.
  virtual TColor GetButtonFrameColor(TcxButtonState AState) { return AState == cxbsNormal ? clBtnShadow : clHighlight; }
  virtual TColor GetTabFrameColor() { return clBtnShadow; }
  virtual TColor GetSelectedTabFrameColor() { return clBtnText; }
  virtual TColor GetHighlightFrameColor() { return clHighlight; }

protected:
  TcxUltraFlatLookAndFeelPainter() = default;
};

// The native painter: draws through the platform's visual style when themes can be used.
// Every themed operation asks for the theme handle of its class first and, when there is
// none (themes off, or a class the current style does not define), draws the standard
// painter's way for that one call, so a missing theme class never breaks a control.
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
  RTL_DECLARE_CLASS(TcxWinXPLookAndFeelPainter, TcxStandardLookAndFeelPainter)
public:
  static TcxWinXPLookAndFeelPainter* Instance();

  Integer GetPainterKind() override { return 3; }
  TColor GetPlusSignColor() override { return clNavy; }
  void DrawArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxArrowDirection ADirection,
                       bool AFramed = true) override;
  void DrawButtonBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  Integer GetControlBorderWidth() override;
  void DrawControlBorder(TcxCanvas* ACanvas, const TRect& R) override;
  Integer GetButtonBorderWidth(TcxButtonState AState = cxbsNormal) override;
  TColor GetButtonFaceColor(TcxButtonState AState) override;
  TRect GetButtonFocusBounds(TcxCanvas* ACanvas, const TRect& R) override;
  TRect GetButtonGroupMargins(Integer ACount, Integer AIndex) override;
  Integer GetButtonTextIndent() override { return 2; }
  Integer GetPressedTextShift() override { return 0; }
  TColor GetButtonGlyphColor(TcxButtonState AState) override;
  void DrawCaptionButton(TcxCanvas* ACanvas, const TRect& R, const std::string& ACaption, TcxButtonState AState,
                         bool AFramed = true, TColor AColor = clDefault, TColor ATextColor = clDefault) override;
  void DrawExpandBox(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) override;
  bool ExpandBoxHasFrame() override { return false; }
  void DrawGroupToggleButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) override;
  void DrawTreeExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AFrameColor,
                            TColor AColor = clDefault) override;
  Integer GetExpandBoxSize() override;
  Integer GetGroupToggleButtonWidth() override;
  bool HasHotTrackButtons() override { return true; }
  bool IsPointInGroupToggleButton(const TRect& R, const TPoint& P) override;
  Integer GetTreeExpandButtonSize() override;
  Integer GetCheckBoxBorderWidth() override;
  void DrawCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                     TColor AColor) override;
  void DrawCheckBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawRadioButtonGlyph(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                            bool AFocused, TColor ABkColor = clDefault, bool AIsDesigning = false) override;
  void DrawHeaderCell(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
                      TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                      TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                      const std::string& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                      const TcxDrawBackgroundEvent& AOnDrawBackground = {}) override;
  void DrawHeaderPressed(TcxCanvas* ACanvas, const TRect& R) override {}
  void DrawSortArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  Integer GetHeaderEdgeWidth() override;
  bool HeaderItemsFirst() override { return false; }
  bool HasHotTrackHeaders() override { return true; }
  TSize GetSortArrowSize() override;
  void DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                      TcxAlignmentVert AAlignmentVert, bool AMultiLine, const std::string& AText, TFont* AFont,
                      TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = {}) override;
  Integer GetFooterBorderWidth() override { return 1; }
  Integer GetFooterCellContentOffset() override;
  Integer GetFooterCellBorderWidth() override { return 1; }
  bool FooterItemsFirst() override { return false; }
  void DrawRaisedEdge(TcxCanvas* ACanvas, const TRect& R) override;
  void DrawCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AActive) override;
  TSize GetCheckBoxSize() override;
  TSize GetCloseButtonSize() override;
  TSize GetSmallButtonSize() override { return TSize{15, 15}; }
  TSize GetAutoHideButtonSize() override;
  void DrawPlusButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawAutoHideButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer AImageIndex,
                          TColor ABkColor = clDefault) override;
  void DrawTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const std::string& AText,
               TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor, TColor AColor) override;
  void DrawTabFrame(TcxCanvas* ACanvas, const TRect& R, TcxTabSide ASide, TcxBorders ABorders,
                    bool AVertical) override;
  void DrawTabsBackground(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) override;
  bool DrawsWholeTab(bool AVertical) override;
  bool IsTabThemed(bool AVertical) override;
  Integer GetTabFrameWidth(bool AVertical) override { return 1; }
  void DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                         const TcxDrawBackgroundEvent& AOnDrawBackground = {}) override;
  void DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;

  // Draws AText through the theme in ATextRect with the canvas's font set to AFont and its
  // text colour to ATextColor; nothing for an empty text. ABounds and ABkColor are not used.
  virtual void DrawThemedText(TcxCanvas* ACanvas, TdxTheme ATheme, Integer APart, Integer AState,
                              const TRect& ABounds, const TRect& ATextRect, TAlignment AAlignmentHorz,
                              TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                              const std::string& AText, TFont* AFont, TColor ATextColor, TColor ABkColor);

protected:
  TcxWinXPLookAndFeelPainter() = default;
};

// The state of a themed push button for a button state: default 5, normal 1, hot 2,
// pressed 3, disabled 4.
Integer cxGetButtonThemeState(TcxButtonState AState);

// ---------------------------------------------------------------------------------------
// Drawing helpers shared by the painters.

// The triangle of an arrow in R: proportional arrows are drawn in the largest centred
// square of R. Up and down arrows have an odd base (Width - 1) div 2 (made odd) and a height
// of half the base plus 1; left and right arrows likewise along the height.
void cxGetArrowPoints(const TRect& R, TcxArrowDirection ADirection, bool AProportional, TPoint (&APoints)[3]);
// A filled triangle, outlined in the same colour.
void cxDrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection, TColor AColor,
                 bool AProportional);
// The plus sign (or the minus sign when expanded) centred in R.
void cxDrawPlusMinusSign(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
// A three-pixel-thick check mark in R.
void cxDrawCheckMarkLines(TcxCanvas* ACanvas, const TRect& R, TColor AColor);
// The close cross of a button of ACloseButtonWidth in R.
void cxDrawButtonCross(TcxCanvas* ACanvas, const TRect& R, TColor AColor, TcxButtonState ASymbolState,
                       Integer ACloseButtonWidth);
// Two chevrons, pointing up when expanded.
void cxDrawGroupToggleMark(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
// An outlined sort triangle of ASize in R: light right side, dark left side, the base
// light when ascending and dark when descending.
void cxDrawSortArrowOutline(TcxCanvas* ACanvas, const TRect& R, bool AAscending, TSize ASize, TColor ALight,
                            TColor ADark);

// ---------------------------------------------------------------------------------------
// Shared resources.

// The five indicator images (arrow, edit, insert, multi-dot, multi-arrow).
TImageList* cxIndicatorImages();
// Auto-hide bitmaps: 0 on, 1 off (16 by 16, transparent).
TBitmap* cxAutoHideBitmap(Integer AIndex);
// Brush patterns of scroll-bar page areas: 8 by 8 checkerboards of clBtnHighlight and
// clBtnFace (normal) and of cl3DDkShadow and black (pressed).
TBitmap* cxScrollBarPageBitmap(bool APressed);
// Fills the page patterns again in the current system colours (making them when missing).
void cxRefreshScrollBarPageBitmaps();

namespace cxLookAndFeelPaintersUnit {
void Initialize();
void Finalize();
}  // namespace cxLookAndFeelPaintersUnit
