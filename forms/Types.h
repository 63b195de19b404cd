// Shared small types of the form layer: colours, events, enumerations and the private control
// messages (CM_*) that components send each other.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace forms {

class TObject {
 public:
  virtual ~TObject() = default;
};

class TComponent;
class TControl;
class TWinControl;

// A colour as the form layer stores it: $00BBGGRR, or a system colour with the top bit set
// (clBtnFace and the like), resolved through ColorToRGB.
using TColor = std::int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000);
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;

inline COLORREF ColorToRGB(TColor c) {
  if (c < 0) return GetSysColor(c & 0xFF);
  return static_cast<COLORREF>(c) & 0xFFFFFF;
}

using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state as a bit set, the way key and mouse events hand it over.
enum TShiftFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = unsigned;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// The border of a control (an edit, a list or tree view): none, or the system's sunken edge.
enum class TBorderStyle { bsNone, bsSingle };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;

// Control style bits.
enum TControlStyleFlag : unsigned {
  csAcceptsControls = 1,
  csCaptureMouse = 2,
  csClickEvents = 4,
  csDoubleClicks = 8,
  csOpaque = 16,
  csSetCaption = 32,
};

// Mouse pointer shapes: crDefault defers to the parent's or the window class's cursor; the
// others map onto the system's cursors (TScreen::CursorHandle).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHSplit = -14;  // a splitter dragged left and right
constexpr TCursor crVSplit = -15;  // a splitter dragged up and down
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Component state bits.
enum TComponentStateFlag : unsigned { csLoading = 1, csDesigning = 2, csDestroying = 4 };

enum class TOperation { opInsert, opRemove };

// Private messages between controls, above WM_APP's neighbourhood of the system's own range.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_MOUSEENTER = CM_BASE + 2;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 3;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 7;
constexpr UINT CM_FONTCHANGED = CM_BASE + 8;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 9;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 10;
constexpr UINT CM_COLORCHANGED = CM_BASE + 11;
constexpr UINT CM_CANCELMODE = CM_BASE + 12;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 13;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 14;
constexpr UINT CM_RELEASE = CM_BASE + 15;
// Hands queued thread calls over to the GUI thread (posted to the application window).
constexpr UINT CM_SYNCHRONIZE = CM_BASE + 16;

// Notifications a parent receives from a child window (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
// WM_MEASUREITEM, WM_CTLCOLOR*, WM_HSCROLL/WM_VSCROLL) are sent on to the child's own object
// as CN_BASE + the message, so that a control answers its own notifications. A CN_ message
// nobody handles gets the system's default answer to the original message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
// The private range ends where registered window messages begin.
constexpr UINT CN_LAST = 0xBFFF;
constexpr bool IsPrivateMessage(UINT msg) { return msg >= CM_BASE && msg <= CN_LAST; }

// One window message as the handlers see it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

using TWndMethod = std::function<void(TMessage&)>;

TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

}  // namespace forms
