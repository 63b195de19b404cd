// TWinControl's message routing: where a message goes once the object has it, the two jobs the
// window procedure does on the way (the mouse to graphic children, a release the system took),
// reflection to the child that sent a notification, the handlers and the default answer.
//
// The route, from the system to the answer:
//  1. The window's procedure finds the object: StdWndProc for a window of our own class,
//     SubclassWndProc for a wrapped system control (WinControlWindow.cpp, beside the class
//     registration and the creation hook that put them there). Perform starts at 2.
//  2. WindowProc, replaceable (Control.cpp sets it to WndProc). A skinned form's frame
//     (skin/SkinForm.cpp, TSkinForm::FormWindowProc) takes the form's: it answers the frame's
//     own questions and non-client painting, and passes the rest on to the saved WndProc.
//  3. WndProc, here: the window's own mouse enter and leave; a mouse message over a graphic
//     child goes to that child and ends here (RouteMouseToGraphicChild); a left press that a
//     system control follows in a loop of its own gets back the release that loop took off the
//     queue (LeftPressWithSwallowedRelease).
//  4. TControl::WndProc (Control.cpp): the mouse events, then Dispatch.
//  5. Dispatch by message number: TCustomForm's first (Form.cpp: close, activation, the menu
//     bar's items, sizes), then this one's, which sends a child's notification to the child
//     as CN_BASE + the message (ReflectToChild, the child starting again at 2) and picks the
//     WM_ handler; TControl::Dispatch picks the CM_ handler.
//  6. The handler, which runs the events and asks DefaultHandler for the system's answer.
//  7. DefaultHandler: DefWindowProc for our own class, the next procedure of the subclass
//     chain (the system control's own) for a wrapped control, the parent's default answer for
//     a reflected notification. TCustomForm's (Form.cpp) asks DefMDIChildProc for an MDI child
//     and DefFrameProc for an MDI parent.
#include "forms/WinControl.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/Form.h"
#include "forms/Screen.h"

namespace forms {

namespace {

// A button press whose button is up again by the time it is handled (the state is that of the
// last message taken off the queue).
bool PressAlreadyReleased(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: return GetKeyState(VK_LBUTTON) >= 0;
    case WM_RBUTTONDOWN: return GetKeyState(VK_RBUTTON) >= 0;
    case WM_MBUTTONDOWN: return GetKeyState(VK_MBUTTON) >= 0;
    default: return false;
  }
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }

}  // namespace

void TWinControl::WndProc(TMessage& m) {
  if (m.Msg == WM_MOUSEMOVE && handle_) {
    if (!mouse_inside_) {
      mouse_inside_ = true;
      TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, handle_, 0};
      TrackMouseEvent(&t);
      Perform(CM_MOUSEENTER);
    }
  } else if (m.Msg == WM_MOUSELEAVE) {
    mouse_inside_ = false;
    SetMouseControl(nullptr);
    Perform(CM_MOUSELEAVE);
    // A wrapped control may track the mouse itself (hot items, tool tips).
    if (wrapped_) DefaultHandler(m);
    return;
  }
  if (IsMouseMessage(m.Msg)) {
    if (RouteMouseToGraphicChild(m)) return;
    // The system controls capture the mouse themselves where they need it.
    if (!wrapped_ && handle_) {
      if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
          (ControlStyle() & csCaptureMouse))
        SetCapture(handle_);
      else if (m.Msg == WM_LBUTTONUP && GetCapture() == handle_)
        ReleaseCapture();
    }
  }
  if (m.Msg == WM_LBUTTONUP) left_up_seen_ = true;
  if (m.Msg == WM_LBUTTONDOWN && release_taken_by_system_) {
    LeftPressWithSwallowedRelease(m);
    return;
  }
  TControl::WndProc(m);
}

bool TWinControl::RouteMouseToGraphicChild(TMessage& m) {
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  TControl* c = ControlAtPos(p);
  if (c && c->IsWindowed()) c = nullptr;
  if (m.Msg == WM_MOUSEMOVE) SetMouseControl(c);
  // While a graphic child holds the mouse (pressed, not yet released) it gets all of it.
  if (capture_control_) c = capture_control_;
  if (!c || m.Msg == WM_MOUSEWHEEL || m.Msg == WM_MOUSEHWHEEL) return false;
  TMessage cm = m;
  cm.LParam = MAKELPARAM(p.x - c->Left(), p.y - c->Top());
  bool press = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
  if (press && (c->ControlStyle() & csCaptureMouse) && handle_) {
    capture_control_ = c;
    SetCapture(handle_);
  }
  // The mouse is let go before the release reaches the child: its click may open a modal
  // window, whose first click would otherwise still come here.
  if (m.Msg == WM_LBUTTONUP && capture_control_) {
    capture_control_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  c->WindowProc(cm);
  m.Result = cm.Result;
  return true;
}

void TWinControl::SetMouseControl(TControl* c) {
  if (c == mouse_control_) return;
  TControl* old = mouse_control_;
  mouse_control_ = c;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (c) c->Perform(CM_MOUSEENTER);
}

void TWinControl::LeftPressWithSwallowedRelease(TMessage& m) {
  left_up_seen_ = false;
  TControl::WndProc(m);
  if (left_up_seen_ || !handle_ || !Enabled() || GetKeyState(VK_LBUTTON) < 0) return;
  // Where the swallowed release happened: the position of the last message taken off the
  // queue.
  DWORD at = GetMessagePos();
  POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ::ScreenToClient(handle_, &p);
  WPARAM keys = (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) |
                (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
  LeftButtonReleased(keys, p.x, p.y);
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: WMPaint(m); break;
    case WM_ERASEBKGND: WMEraseBkgnd(m); break;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(m); break;
    case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(m); break;
    case WM_CHAR: WMChar(m); break;
    case WM_SIZE: WMSize(m); break;
    case WM_MOVE: DefaultHandler(m); UpdateBounds(); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); break;
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    case WM_SETCURSOR: WMSetCursor(m); break;
    case WM_NCCALCSIZE: NcCalcSize(m); break;
    case WM_NCPAINT: NcPaint(m); break;
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM:
    case WM_HSCROLL: case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      if (!ReflectToChild(m)) TControl::Dispatch(m);
      break;
    default: TControl::Dispatch(m);
  }
}

bool TWinControl::ReflectToChild(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // Menus, accelerators and a window's own scroll bars send no handle.
      child = reinterpret_cast<HWND>(m.LParam);
      break;
    case WM_NOTIFY:
      if (m.LParam) child = reinterpret_cast<const NMHDR*>(m.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (m.LParam && reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->CtlType != ODT_MENU)
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      // Only the control id names the sender; it may come while the child is being made.
      if (m.LParam && reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlType != ODT_MENU &&
          handle_)
        child = GetDlgItem(handle_, static_cast<int>(
                                        reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlID));
      break;
    default:
      return false;
  }
  if (!child || child == handle_) return false;
  TWinControl* c = FromHandle(child);
  if (!c) return false;
  m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  if (m.Msg >= CN_BASE && m.Msg <= CN_LAST) {
    // A reflected notification nobody answered: the answer the parent's default procedure
    // gives (for WM_CTLCOLOR* the system brush and colours).
    UINT msg = m.Msg - CN_BASE;
    HWND parent = GetParent(handle_);
    m.Result = DefWindowProcA(parent ? parent : handle_, msg, m.WParam, m.LParam);
    return;
  }
  if (IsPrivateMessage(m.Msg)) return;
  if (wrapped_) {
    // Such a control would follow the press in its loop until a release that a modal loop
    // of our handlers (a popup menu) has already taken: with the button up, it waits on.
    if (release_taken_by_system_ && PressAlreadyReleased(m.Msg)) return;
    m.Result = DefSubclassMessage(handle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WMSetCursor(TMessage& m) {
  // The screen's cursor, while set, stands for every client area (a child's too, asked through
  // the default procedure). Otherwise only a pointer over this window's own client area is
  // ours to shape; for the frame the default answer stands.
  if (LOWORD(m.LParam) != HTCLIENT) return DefaultHandler(m);
  TCursor cur = Screen()->Cursor();
  if (cur != crDefault || reinterpret_cast<HWND>(m.WParam) == handle_) {
    if (cur == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(handle_, &p);
      TControl* c = ControlAtPos(p);
      if (c && !c->IsWindowed()) cur = c->Cursor();
      if (cur == crDefault) cur = Cursor();
    }
    if (cur != crDefault) {
      ::SetCursor(Screen()->CursorHandle(cur));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMGetDlgCode(TMessage& m) {
  // A system control knows which keys it wants (an edit: characters and arrows).
  if (wrapped_) DefaultHandler(m);
  else m.Result = 0;
}

void TWinControl::WMPaint(TMessage& m) {
  // A system control paints (and erases) itself.
  if (wrapped_) {
    DefaultHandler(m);
    return;
  }
  if (m.WParam) {
    PaintControls(reinterpret_cast<HDC>(m.WParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  PaintControls(dc);
  EndPaint(handle_, &ps);
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  if (wrapped_) {
    DefaultHandler(m);
    return;
  }
  RECT r = ClientRect();
  HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(reinterpret_cast<HDC>(m.WParam), &r, b);
  DeleteObject(b);
  m.Result = 1;
}

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TCustomForm* f = ParentForm(); f && f != this) f->SetFocusedControl(this);
  if (OnEnter) OnEnter(this);
}

void TWinControl::WMKillFocus(TMessage& m) {
  DefaultHandler(m);
  if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyDown(key, shift);
  if (key) KeyDown(key, shift);
  if (!key) return;
  // A handler may have put another key in place of this one.
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF)) | key;
  DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyUp(key, shift);
  if (key) KeyUp(key, shift);
  if (!key) return;
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF)) | key;
  DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  // A wrapped control gets its characters in their wide form; the key events see the
  // character in the program's code page, and what they leave goes on in the form it came.
  char ch = static_cast<char>(m.WParam);
  if (wrapped_) {
    auto wide = static_cast<wchar_t>(m.WParam);
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, &wide, 1, &ch, 1, nullptr, &lossy) != 1 || lossy) {
      DefaultHandler(m);  // not one character of the code page: no key event can take it
      return;
    }
  }
  const char typed = ch;
  TCustomForm* f = ParentForm();
  if (f && f != this && f->KeyPreview()) f->KeyPress(ch);
  if (ch) KeyPress(ch);
  if (!ch) return;
  if (ch != typed) {
    wchar_t wide = static_cast<unsigned char>(ch);
    if (wrapped_) MultiByteToWideChar(CP_ACP, 0, &ch, 1, &wide, 1);
    m.WParam = wrapped_ ? static_cast<WPARAM>(wide) : static_cast<unsigned char>(ch);
  }
  DefaultHandler(m);
}

void TWinControl::WMSize(TMessage& m) {
  DefaultHandler(m);
  UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& m) {
  // Moved or sized by anyone (the system, a user's drag, SetWindowPos on the handle): the
  // default handler sends WM_SIZE and WM_MOVE, and the fields take the window's real place.
  DefaultHandler(m);
  UpdateBounds();
}

void TWinControl::NcCalcSize(TMessage& m) {
  DefaultHandler(m);
  if (nc_band_ <= 0) return;
  RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0]
                     : reinterpret_cast<RECT*>(m.LParam);
  int b = std::min({nc_band_, static_cast<int>((r->right - r->left) / 2),
                    static_cast<int>((r->bottom - r->top) / 2)});
  InflateRect(r, -b, -b);
}

void TWinControl::NcPaint(TMessage& m) {
  DefaultHandler(m);
  if (nc_band_ <= 0 || !handle_) return;
  RECT wr, cr;
  GetWindowRect(handle_, &wr);
  GetClientRect(handle_, &cr);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  OffsetRect(&cr, -wr.left, -wr.top);
  RECT band = cr;
  InflateRect(&band, nc_band_, nc_band_);
  HDC dc = GetWindowDC(handle_);
  ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
  HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &band, b);
  DeleteObject(b);
  ReleaseDC(handle_, dc);
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (wrapped_ && handle_)
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
  TMessage pm{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMColorChanged(TMessage& m) {
  Invalidate();
  TMessage pm{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(pm);
}

void TWinControl::CMCancelMode(TMessage& m) { Broadcast(m); }

int ScrollMessagePos(HWND wnd, const TMessage& m) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS | SIF_TRACKPOS;
  HWND bar = reinterpret_cast<HWND>(m.LParam);
  char cls[32] = {};
  // A track bar control has no scroll information but answers its position in full.
  if (bar && GetClassNameA(bar, cls, sizeof(cls)) && lstrcmpiA(cls, TRACKBAR_CLASSA) == 0)
    return static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
  int which = bar ? SB_CTL : (m.Msg == WM_HSCROLL || m.Msg == CN_HSCROLL ? SB_HORZ : SB_VERT);
  if (!GetScrollInfo(bar ? bar : wnd, which, &si)) return static_cast<short>(HIWORD(m.WParam));
  int code = LOWORD(m.WParam);
  return code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? si.nTrackPos : si.nPos;
}

}  // namespace forms
