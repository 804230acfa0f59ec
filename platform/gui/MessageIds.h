#pragma once
// The system's private window-message numbers, all in one place: the class library's own
// messages (CM_), the notifications a parent reflects back to a child (CN_), and the
// private messages of the library and component set. Every number is fixed: stored code and
// other components compare them, so a new message takes a new number here, and the check at
// the end of this file refuses two messages with one number at compile time.
//
// This header needs only the WM_ numbers; a unit that sends or handles these messages
// includes it without pulling in the control classes.

#include <windef.h>
#include <winuser.h>

#include <array>
#include <cstddef>

// ---------------------------------------------------------------------------------------
// The class library's own messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
// Frees the window's object once the messages queued before it are handled. The library's
// release-later window (CM_RELEASE_LATER) receives this same message with that meaning.
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_GETDATALINK = CM_BASE + 45;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;
constexpr UINT CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr UINT CM_FLOAT = CM_BASE + 58;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
constexpr UINT CM_ISSHORTCUT = CM_BASE + 68;
constexpr UINT CM_RAWX11EVENT = CM_BASE + 69;
constexpr UINT CM_INVALIDATEDOCKHOST = CM_BASE + 70;
constexpr UINT CM_SETACTIVECONTROL = CM_BASE + 71;
constexpr UINT CM_POPUPHWNDDESTROY = CM_BASE + 72;
constexpr UINT CM_CREATEPOPUP = CM_BASE + 73;
constexpr UINT CM_DESTROYHANDLE = CM_BASE + 74;
constexpr UINT CM_MOUSEACTIVATE = CM_BASE + 75;
constexpr UINT CM_CONTROLLISTCHANGING = CM_BASE + 76;
constexpr UINT CM_BUFFEREDPRINTCLIENT = CM_BASE + 77;
constexpr UINT CM_UNTHEMECONTROL = CM_BASE + 78;

// ---------------------------------------------------------------------------------------
// Notifications a parent window reflects back to the child they concern: CN_x = CN_BASE +
// WM_x (a child's WM_COMMAND arrives at the child as CN_COMMAND, and so on); key messages
// go to the focused control as CN_KEYDOWN ... before the window gets them.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// ---------------------------------------------------------------------------------------
// The library's own messages.

// The message the library's hidden release-later window receives to free an object later
// (WParam: the object). It is the class library's release message, on a window of its own.
constexpr UINT CM_RELEASE_LATER = CM_RELEASE;
// Broadcast to the controls of a button's parent when a grouped button went down: WParam
// is the group, LParam the button.
constexpr UINT CM_JVBUTTONPRESSED = 0xB051;
// The message a combo edit posts to itself to close its popup later (WParam: accept).
constexpr UINT CM_JVDEFERREDCLOSE = 0xB300;
// The query a control answers with 1 when it must not be subclassed: when its class
// declares IJvNoSubclassing.
constexpr UINT CM_JVNOSUBCLASSING = 0xB7D0;

// ---------------------------------------------------------------------------------------
// The component set's own messages.

// Posted to a popup to close it (cxPostPopupCloseMessage), and sent or posted to open it
// (WParam: the control to focus).
constexpr UINT WM_CXCLOSEPOPUPWINDOW = 0x8065;
constexpr UINT WM_CXSHOWPOPUPWINDOW = 0x8066;
// Posted to a control after its non-client size was calculated and sent to every control
// with scroll bars after the system's scroll-bar metrics changed: the control re-reads the
// system scroll-bar size and re-places its bars.
constexpr UINT WM_CXSCROLLBARMETRICS = 0x8131;

// ---------------------------------------------------------------------------------------
// Every distinct message above, once (an alias such as CM_RELEASE_LATER is not listed
// again). A new message is added to this table too.
namespace message_ids_detail {
inline constexpr std::array kAllMessageIds{
    CM_ACTIVATE, CM_DEACTIVATE, CM_GOTFOCUS, CM_LOSTFOCUS, CM_CANCELMODE, CM_DIALOGKEY, CM_DIALOGCHAR,
    CM_FOCUSCHANGED, CM_PARENTFONTCHANGED, CM_PARENTCOLORCHANGED, CM_HITTEST, CM_VISIBLECHANGED,
    CM_ENABLEDCHANGED, CM_COLORCHANGED, CM_FONTCHANGED, CM_CURSORCHANGED, CM_CTL3DCHANGED,
    CM_PARENTCTL3DCHANGED, CM_TEXTCHANGED, CM_MOUSEENTER, CM_MOUSELEAVE, CM_MENUCHANGED, CM_APPKEYDOWN,
    CM_APPSYSCOMMAND, CM_BUTTONPRESSED, CM_SHOWINGCHANGED, CM_ENTER, CM_EXIT, CM_DESIGNHITTEST,
    CM_ICONCHANGED, CM_WANTSPECIALKEY, CM_INVOKEHELP, CM_WINDOWHOOK, CM_RELEASE, CM_SHOWHINTCHANGED,
    CM_PARENTSHOWHINTCHANGED, CM_SYSCOLORCHANGE, CM_WININICHANGE, CM_FONTCHANGE, CM_TIMECHANGE,
    CM_TABSTOPCHANGED, CM_UIACTIVATE, CM_UIDEACTIVATE, CM_DOCWINDOWACTIVATE, CM_CONTROLLISTCHANGE,
    CM_GETDATALINK, CM_CHILDKEY, CM_DRAG, CM_HINTSHOW, CM_DIALOGHANDLE, CM_ISTOOLCONTROL, CM_RECREATEWND,
    CM_INVALIDATE, CM_SYSFONTCHANGED, CM_CONTROLCHANGE, CM_CHANGED, CM_DOCKCLIENT, CM_UNDOCKCLIENT,
    CM_FLOAT, CM_BORDERCHANGED, CM_BIDIMODECHANGED, CM_PARENTBIDIMODECHANGED, CM_ALLCHILDRENFLIPPED,
    CM_ACTIONUPDATE, CM_ACTIONEXECUTE, CM_HINTSHOWPAUSE, CM_DOCKNOTIFICATION, CM_MOUSEWHEEL,
    CM_ISSHORTCUT, CM_RAWX11EVENT, CM_INVALIDATEDOCKHOST, CM_SETACTIVECONTROL, CM_POPUPHWNDDESTROY,
    CM_CREATEPOPUP, CM_DESTROYHANDLE, CM_MOUSEACTIVATE, CM_CONTROLLISTCHANGING, CM_BUFFEREDPRINTCLIENT,
    CM_UNTHEMECONTROL,
    CN_CHARTOITEM, CN_COMMAND, CN_COMPAREITEM, CN_CTLCOLORBTN, CN_CTLCOLORDLG, CN_CTLCOLOREDIT,
    CN_CTLCOLORLISTBOX, CN_CTLCOLORMSGBOX, CN_CTLCOLORSCROLLBAR, CN_CTLCOLORSTATIC, CN_DELETEITEM,
    CN_DRAWITEM, CN_HSCROLL, CN_MEASUREITEM, CN_PARENTNOTIFY, CN_VKEYTOITEM, CN_VSCROLL, CN_KEYDOWN,
    CN_KEYUP, CN_CHAR, CN_SYSKEYDOWN, CN_SYSKEYUP, CN_SYSCHAR, CN_NOTIFY,
    CM_JVBUTTONPRESSED, CM_JVDEFERREDCLOSE, CM_JVNOSUBCLASSING,
    WM_CXCLOSEPOPUPWINDOW, WM_CXSHOWPOPUPWINDOW, WM_CXSCROLLBARMETRICS,
};

// True when no two entries are equal and none falls among the system's own messages
// (below WM_USER), where Windows would read it as one of its own.
consteval bool allDistinctAndPrivate() {
  for (std::size_t i = 0; i < kAllMessageIds.size(); ++i) {
    if (kAllMessageIds[i] < WM_USER) return false;
    for (std::size_t j = i + 1; j < kAllMessageIds.size(); ++j)
      if (kAllMessageIds[i] == kAllMessageIds[j]) return false;
  }
  return true;
}
static_assert(allDistinctAndPrivate(), "two private messages share a number, or one lies below WM_USER");
}  // namespace message_ids_detail
