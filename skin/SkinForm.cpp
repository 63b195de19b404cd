// The skinned window frame: taking the form over (caption, window procedure, non-client
// size), the maximise rule, its looks, and giving the form back when the frame goes.
#include "skin/SkinForm.h"

#include <algorithm>

#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

constexpr LONG kCaptionBits = WS_CAPTION;
constexpr UINT kRestripFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

// How often a form that starts maximised has had its WM_SIZE; shared by every frame of the
// program.
int g_start_maximized_count = 0;

bool IsMinimized(TCustomForm* f) { return f->HandleAllocated() && IsIconic(f->Handle()); }
bool IsMaximized(TCustomForm* f) { return f->HandleAllocated() && IsZoomed(f->Handle()); }

}  // namespace

TSkinForm::TSkinForm(TComponent* owner) : TCustomPanel(owner) {
  auto* form = dynamic_cast<TCustomForm*>(owner);
  if (!form) return;
  for (TControl* c : form->Controls())
    if (dynamic_cast<TSkinForm*>(c)) return;  // one frame per form: this one stays a panel
  form_ = form;

  // The native border as the form has it now; a value out of reason means the window was not
  // what it seemed and counts as 4.
  if (form->FormStyle() == TFormStyle::fsMDIChild) {
    TCustomForm* main = Application()->MainForm();
    HWND main_wnd = main && main != form ? main->Handle() : nullptr;
    auto ask = [main_wnd](UINT query) {
      return main_wnd ? static_cast<int>(SendMessageA(main_wnd, query, 0, 0)) : 0;
    };
    metrics_.FrameBottomWidth = ClampBorderMeasure(ask(kMDIBottomBorderQuery));
    metrics_.FrameSideWidth = ClampBorderMeasure(ask(kMDISideBorderQuery));
  } else {
    RECT cr = form->ClientRect();
    POINT top_left = form->ClientToScreen(POINT{0, 0});
    POINT bottom_right = form->ClientToScreen(POINT{cr.right, cr.bottom});
    metrics_.FrameBottomWidth =
        ClampBorderMeasure(form->Top() + form->Height() - bottom_right.y);
    metrics_.FrameSideWidth = ClampBorderMeasure(top_left.x - form->Left());
  }

  initial_bounds_ = form->BoundsRect();
  start_maximized_ = form->WindowState() == TWindowState::wsMaximized;

  title_bar_ = new TSkinTitleBar(this);
  title_bar_->SetParent(this);
  title_bar_->OnCaptionSectionDrawn = [this] { PaintBorders(); };

  menu_link_ = std::make_unique<TSkinMenuBarLink>(
      this, [this] { return look_.Style(); }, [this] { return look_.Theme(); }, [this] { PlaceBars(); },
      form->FormStyle() == TFormStyle::fsMDIChild);
  SetBevelOuter(TBevelCut::bvNone);
  SetBevelInner(TBevelCut::bvNone);
  // On an MDI parent the frame holds only the bars: the MDI client with the children takes the
  // rest of the client area under it.
  SetAlign(form->FormStyle() == TFormStyle::fsMDIForm ? TAlign::alTop : TAlign::alClient);
  TCustomPanel::SetCaption(" ");
  title_bar_->SetCaption(form->Caption());

  saved_border_style_ = form->BorderStyle();
  if (saved_border_style_ == TFormBorderStyle::bsNone ||
      saved_border_style_ == TFormBorderStyle::bsSingle ||
      saved_border_style_ == TFormBorderStyle::bsToolWindow)
    form->SetBorderStyle(TFormBorderStyle::bsDialog);

  SetParent(form);
  // The frame steps in front of the form's own message path (the second step of the route in
  // forms/WinControlRoute.cpp); Detach puts the saved one back.
  old_window_proc_ = form->WindowProc;
  form->WindowProc = [this](TMessage& m) { FormWindowProc(m); };
  app_events_ = std::make_unique<TApplicationEvents>(nullptr);
  app_events_->OnMessage = [this](MSG& msg, bool& handled) { ApplicationMessageHook(msg, handled); };

  SetUIStyle(TSkinUIStyle::DeepBlue);
  if (form->Handle()) RestripCaption();
}

TSkinForm::~TSkinForm() {
  BeginDestroy();
  Detach();
}

void TSkinForm::Detach() {
  if (!form_) return;
  // From here on the form's messages go straight to its own procedure: nothing of the frame
  // runs any more, and nothing of the frame's is left for a late message to call into.
  destroying_ = true;
  app_events_.reset();
  menu_link_.reset();
  title_bar_ = nullptr;  // freed with the frame's other components
  TCustomForm* form = form_;
  form->WindowProc = std::move(old_window_proc_);
  old_window_proc_ = nullptr;
  form_ = nullptr;
  if (form->HandleAllocated() && !form->IsDestroying()) {
    HWND h = form->Handle();
    SetWindowRgn(h, nullptr, TRUE);
    SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) | kCaptionBits);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, kRestripFlags);
  }
}

TFrameStrips TSkinForm::NativeBorder() const {
  // The border the form's own procedure will take off, as the system computes it for the
  // caption-less style; the frame's strips then come out the same on every platform (the
  // platforms differ in how thick a border without caption is).
  HWND h = form_->Handle();
  RECT r{0, 0, 0, 0};
  if (!AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)), FALSE,
                          static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE))))
    return AssumedNativeBorder(metrics_);
  return TFrameStrips{-r.left, -r.top, r.right, r.bottom};
}

void TSkinForm::RestripCaption() {
  if (!form_ || destroying_ || !form_->HandleAllocated()) return;
  HWND h = form_->Handle();
  LONG style = GetWindowLongA(h, GWL_STYLE);
  // The system menu and the minimise box stay: they are what lets the task bar minimise and
  // restore a window that has no caption of its own.
  LONG want = (style & ~kCaptionBits) | WS_SYSMENU | WS_MINIMIZEBOX;
  if (want == style) return;
  SetWindowLongA(h, GWL_STYLE, want);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, kRestripFlags);
}

void TSkinForm::CallOld(TMessage& m) {
  if (old_window_proc_) old_window_proc_(m);
}

void TSkinForm::FormWindowProc(TMessage& m) {
  if (destroying_ || !form_) {
    // Never swallow the form's messages, even in the moment the frame lets go.
    CallOld(m);
    return;
  }
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      if (m.WParam) {
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
        if (p && p->lppos) {
          const WINDOWPOS& wp = *p->lppos;
          TFrameRect r = FrameCalcRect(metrics_, wp.x, wp.y, wp.cx, wp.cy, NativeBorder());
          p->rgrc[0] = RECT{r.Left, r.Top, r.Right, r.Bottom};
          p->rgrc[1] = p->rgrc[0];
        }
      }
      break;
    case kFrameSideQuery:
      m.Result = SideAnswer();
      return;
    case kMDIBottomBorderQuery:
    case kMDISideBorderQuery:
      if (IsMDIParent()) {
        m.Result = m.Msg == kMDIBottomBorderQuery ? metrics_.FrameBottomWidth
                                                  : metrics_.FrameSideWidth;
        return;
      }
      break;
    default:
      break;
  }
  if (m.Msg != WM_NCPAINT && m.Msg != WM_NCACTIVATE) CallOld(m);
  if (destroying_ || !form_) return;  // the message freed the frame (or the form)
  switch (m.Msg) {
    case WM_CREATE:
      // A window made again (a new border style) comes with its caption.
      RestripCaption();
      break;
    case WM_MDIACTIVATE: {
      bool now = reinterpret_cast<HWND>(m.LParam) == form_->Handle();
      if (now) {
        if (HWND client = GetParent(form_->Handle()))
          SendMessageA(client, WM_MDIREFRESHMENU, reinterpret_cast<WPARAM>(form_->Handle()), 0);
      }
      if (title_bar_) title_bar_->SetFormActive(now);
      break;
    }
    case WM_DESTROY:
      if (IsMDIChild()) MDIChildDestroyed();
      break;
    case WM_KEYDOWN:
      if (MenuShortcutKey(MSG{form_->Handle(), m.Msg, m.WParam, m.LParam, 0, {}})) m.Result = 1;
      break;
    case WM_ACTIVATE:
      if (title_bar_) title_bar_->SetFormActive(LOWORD(m.WParam) != WA_INACTIVE);
      PaintBorders();
      break;
    case WM_NCACTIVATE:
      if (IsMinimized(form_)) {
        CallOld(m);
      } else {
        if (title_bar_) title_bar_->Invalidate();
        PaintBorders();
        m.Result = 1;
      }
      break;
    case WM_NCPAINT:
      if (IsMinimized(form_)) {
        CallOld(m);
      } else {
        if (title_bar_) title_bar_->Invalidate();
        PaintBorders();
      }
      break;
    case WM_SHOWWINDOW:
      // The form never shows a native menu bar: its menu is the frame's.
      if (form_->Menu()) form_->SetMenu(nullptr);
      break;
    case WM_SIZE:
      MaximizeRule();
      break;
    case WM_NCHITTEST:
      // An MDI child that had a single border cannot be resized by its edges.
      if (form_->FormStyle() == TFormStyle::fsMDIChild &&
          saved_border_style_ == TFormBorderStyle::bsSingle && m.Result >= HTLEFT &&
          m.Result <= HTBOTTOMRIGHT)
        m.Result = HTBORDER;
      break;
    default:
      break;
  }
}

void TSkinForm::MaximizeRule() {
  if (in_maximize_rule_) return;
  if (IsMaximized(form_) && IsDesigning()) return;
  in_maximize_rule_ = true;
  if (start_maximized_) {
    if (IsMDIChild()) {
      mdi_max_shifted_ = mdi_started_maximized_ = true;
      start_maximized_ = false;
    } else if (IsMaximized(form_)) {
      // Setting the state it already has does nothing (no new WM_SIZE).
      if (g_start_maximized_count >= 2) form_->SetWindowState(TWindowState::wsMaximized);
      else ++g_start_maximized_count;
    } else {
      start_maximized_ = false;
      form_->SetBounds(initial_bounds_.left, initial_bounds_.top,
                       initial_bounds_.right - initial_bounds_.left,
                       initial_bounds_.bottom - initial_bounds_.top);
    }
  }
  if (IsMaximized(form_) && form_->FormStyle() != TFormStyle::fsMDIChild) {
    RECT work;
    GetWorkAreaRect(work);
    TFrameRect r = MaximizedFrameRect(TFrameRect{work.left, work.top, work.right, work.bottom});
    // One move: the window gets its maximised place in a single SetWindowPos, and a form that
    // is there already is left alone.
    RECT b = form_->BoundsRect();
    if (b.left != r.Left || b.top != r.Top || b.right != r.Right || b.bottom != r.Bottom)
      form_->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  }
  if (title_bar_) {
    title_bar_->RefreshMaxButtons();
    title_bar_->Invalidate();
  }
  PaintBorders();
  if (IsMDIChild() && !destroying_) MDIMaximizeRule();
  in_maximize_rule_ = false;
  BuildRegion();
}

void TSkinForm::MDIMaximizeRule() {
  HWND client = GetParent(form_->Handle());
  const int th = title_bar_ ? title_bar_->Height() : 0;
  if (IsMaximized(form_)) {
    title_bar_internal_change_ = true;
    SetTitleBarVisible(false);
    title_bar_internal_change_ = false;
    if (!mdi_max_shifted_) {
      ShiftContents(3 - th);
      mdi_max_shifted_ = true;
      if (client)
        SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(form_->Handle()), 0);
    }
    return;
  }
  if (title_bar_wanted_) {
    title_bar_internal_change_ = true;
    SetTitleBarVisible(true);
    title_bar_internal_change_ = false;
  }
  if (!mdi_max_shifted_) return;
  // A window that started maximised had its contents in place all along: they move down only
  // from its second restore on.
  if (!mdi_started_maximized_ || mdi_restored_once_) ShiftContents(th - 3);
  mdi_restored_once_ = true;
  mdi_max_shifted_ = false;
  if (title_bar_) title_bar_->RefreshMaxButtons();
  // The client is told with no window named: the child is restored already, so this restores
  // nothing by itself.
  if (client) SendMessageA(client, WM_MDIRESTORE, 0, 0);
}

void TSkinForm::ShiftContents(int dy) {
  for (TControl* c : std::vector<TControl*>(Controls()))
    if (c != title_bar_ && c->Align() == TAlign::alNone) c->SetTop(c->Top() + dy);
}

void TSkinForm::MDIChildDestroyed() {
  TCustomForm* main = Application()->MainForm();
  if (!main || !main->ClientHandle()) return;
  HWND own = form_->Handle();
  if (main->MDIChildCount() == 1)
    SendMessageA(main->ClientHandle(), WM_MDIREFRESHMENU, reinterpret_cast<WPARAM>(own), 0);
  if (IsZoomed(own))
    SendMessageA(main->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(own), 0);
}

bool TSkinForm::IsMDIChild() const {
  return form_ && form_->FormStyle() == TFormStyle::fsMDIChild;
}

bool TSkinForm::IsMDIParent() const {
  return form_ && form_->FormStyle() == TFormStyle::fsMDIForm;
}

bool TSkinForm::MenuShortcutKey(const MSG& msg) {
  forms::TMainMenu* menu = Menu();
  if (!menu || !IsFormActive(form_) || !form_->Active()) return false;
  return menu->IsShortCut(TMessage{msg.message, msg.wParam, msg.lParam, 0});
}

void TSkinForm::SetMenu(forms::TMainMenu* menu) {
  if (!menu_link_) return;
  menu_link_->SetMenu(menu);
  PlaceBars();
  PaintBorders();
}

void TSkinForm::SetMenuBarToColor(TColor c) {
  if (!menu_link_) return;
  menu_link_->SetMenuBarToColor(c);
  PaintBorders();
}

void TSkinForm::PlaceBars() {
  // The title bar stays on top, the menu bar right under it.
  if (!title_bar_) return;
  title_bar_->SetTop(0);
  if (TSkinMenuBar* bar = MenuBar()) bar->SetTop(title_bar_->Visible() ? title_bar_->Height() : 0);
  Realign();
  // On an MDI parent the frame is as high as its bars.
  if (IsMDIParent()) {
    SetHeight((title_bar_->Visible() ? title_bar_->Height() : 0) + MenuBarHeight());
    form_->Realign();  // the MDI client moves with the frame's lower edge
  }
}

void TSkinForm::ApplicationMessageHook(MSG& msg, bool& handled) {
  if (destroying_ || !form_) return;
  // Only a key this frame acts on is marked handled; every other message keeps what earlier
  // hooks decided.
  if (msg.message == WM_KEYDOWN && MenuShortcutKey(msg)) handled = true;
  // Alt+Space opens the system menu of the window it was typed in (each frame has this hook;
  // only the active window's frame answers).
  if (msg.message == WM_SYSCHAR && msg.wParam == ' ' && title_bar_ && form_->Active() &&
      title_bar_->Visible()) {
    handled = true;
    title_bar_->PopupControlBoxMenu();
  }
}

void TSkinForm::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  if (!form_) return;
  RECT bounds = form_->BoundsRect();
  const TSkinUIStyle effective = look_.Effective();
  TSkinFileTheme* t = look_.Skin();
  const bool skin = t != nullptr;
  if (skin) {
    SetColor(look_.Color(Skin2Color::FormColor, StyleItem::FormColor));
    menu_link_->SetMenuBarColor(look_.ColorOr(Skin2Color::MenuBarStartColor, Color()));
    menu_link_->SetMenuBarToColor(look_.ColorOr(Skin2Color::MenuBarEndColor, menu_link_->MenuBarColor()));
    auto size = [&](int key, bool height) {
      TBitmap* b = t->GetBitmap(key);
      return b ? (height ? b->Height() : b->Width()) : 0;
    };
    metrics_.SkinLeftWidth = size(Skin2Bitmap::FormLeftBorder, false);
    metrics_.SkinRightWidth = size(Skin2Bitmap::FormRightBorder, false);
    metrics_.SkinBottomHeight = size(Skin2Bitmap::FormBottomBorder1, true);
    // A skin without a key colour keeps the built-in key rather than a colour that is none.
    region_key_color_ = look_.ColorOr(Skin2Color::TransColor, clFuchsia);
    title_need_region_ = t->GetFlag(Skin2Flag::TitleBarNeedRegion) > 0;
    bottom_need_region_ = t->GetFlag(Skin2Flag::BottomBorderNeedRegion) > 0;
    title_region_min_y_ = t->GetInteger(Skin2Integer::TitleBarRegionMinY);
    title_region_max_y_ = t->GetInteger(Skin2Integer::TitleBarRegionMaxY);
    bottom_region_min_y_ = t->GetInteger(Skin2Integer::BottomRegionMinY);
    bottom_region_max_y_ = t->GetInteger(Skin2Integer::BottomRegionMaxY);
  } else {
    int st = StyleIndex(effective);
    metrics_.SkinLeftWidth = metrics_.SkinRightWidth = metrics_.SkinBottomHeight = 0;
    region_key_color_ = clFuchsia;
    title_need_region_ = bottom_need_region_ = false;
    border_color_ = GetStyleColor(st, StyleItem::FormBorderColor);
    border_width_ = GetStyleValue(st, StyleItem::FormBorderWidth);
    metrics_.BorderWidth = border_width_;
    SetColor(GetStyleColor(st, StyleItem::FormColor));
    menu_link_->SetMenuBarColor(Color());
    menu_link_->SetMenuBarToColor(Color());
  }
  if (title_bar_) {
    title_bar_->SetFileTheme(look_.Theme());
    title_bar_->SetUIStyle(s);
    if (!skin) {
      title_bar_->SetRoundCornerBottom(0);
      title_bar_->SetRoundCorner(GetStyleValue(StyleIndex(effective), StyleItem::FormRoundCorner));
    }
  }
  menu_link_->ApplyStyle(s, look_.Theme());
  if (auto_update_sub_) ApplyThemeToChildren(this, s, look_.Theme());
  if (form_->FormStyle() == TFormStyle::fsMDIChild)
    form_->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  if (form_->HandleAllocated())
    SetWindowPos(form_->Handle(), nullptr, 0, 0, 0, 0, kRestripFlags);
  Invalidate();
  PaintBorders();
  BuildRegion();
  if (IsMDIParent()) PlaceBars();
  int th = TitleBarVisible() ? title_bar_->Height() : 0;
  form_->Constraints().SetMinHeight(MenuBarHeight() + th + metrics_.SkinBottomHeight + 3);
}

void TSkinForm::SetFileTheme(TSkinFileTheme* theme) {
  if (theme == look_.Theme()) return;
  look_.SetTheme(*this, theme);
  SetUIStyle(look_.Style());
}

void TSkinForm::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (menu_link_) menu_link_->Notification(c, op);
  if (c == form_panel_) form_panel_ = nullptr;
  if (look_.ThemeGone(c, op) && !IsDestroying()) {
    ApplyThemeToChildren(this, TSkinUIStyle::DeepBlue, nullptr);
    SetUIStyle(TSkinUIStyle::DeepBlue);
  }
}

void TSkinForm::SetBorderColor(TColor c) {
  border_color_ = c;
  PaintBorders();
}

void TSkinForm::SetBorderWidth(int w) {
  border_width_ = w;
  metrics_.BorderWidth = w;
  PaintBorders();
}

void TSkinForm::SetTitleBarVisible(bool v) {
  if (!title_bar_ || title_bar_->Visible() == v) return;
  if (!title_bar_internal_change_) title_bar_wanted_ = v;
  title_bar_->SetVisible(v);
  PlaceBars();
  PaintBorders();
}

void TSkinForm::SetCaption(const std::string& caption) {
  if (!title_bar_) return;
  title_bar_->SetCaption(caption);
  if (form_) form_->SetCaption(caption);
}

void TSkinForm::SetFormPanel(TCustomPanel* panel) {
  if (panel == this) {
    SkinErrorDialog("Sorry, you can't select the Form assign to FormPanel property");
    return;
  }
  if (form_panel_) RemoveFreeNotification(form_panel_);
  form_panel_ = panel;
  if (!panel) return;
  FreeNotification(panel);
  panel->SetAlign(TAlign::alClient);
  if (dynamic_cast<TPanel*>(panel)) {
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetBevelInner(TBevelCut::bvNone);
    panel->SetCaption("");
  }
}

void TSkinForm::SetRoundCorner(int v) {
  if (!title_bar_) return;
  title_bar_->SetRoundCorner(v);
  BuildRegion();
}

void TSkinForm::SetRoundCornerBottom(int v) {
  if (!title_bar_) return;
  title_bar_->SetRoundCornerBottom(v);
  BuildRegion();
}

TColor TSkinForm::InactiveCaptionColor() const {
  return title_bar_ ? title_bar_->InactiveCaptionColor() : (clSystemColor | COLOR_INACTIVECAPTION);
}

void TSkinForm::Paint() {
  if (destroying_) return;
  RECT r = ClientRect();
  const bool skin = look_.SkinMode();
  const TSkinUIStyle effective = look_.Effective();
  const char* tile = nullptr;
  if (!skin && effective == TSkinUIStyle::MacOS) tile = "MACOS_FORM_BACKGROUND";
  if (!skin && effective == TSkinUIStyle::Protein) tile = "PROTEIN_FORM_BACKGROUND";
  TBitmap pattern;
  if (tile && pattern.LoadFromResourceName(GetModuleHandleA(nullptr), tile)) {
    TBitmap off(std::max<int>(r.right, 1), std::max<int>(r.bottom, 1));
    HBRUSH brush = CreatePatternBrush(pattern.Handle());
    FillRect(off.Canvas().Handle(), &r, brush);
    DeleteObject(brush);
    BitBlt(Canvas().Handle(), 0, 0, r.right, r.bottom, off.Canvas().Handle(), 0, 0, SRCCOPY);
  } else {
    Canvas().Brush.Color = Color();
    Canvas().Brush.Style = TBrushStyle::bsSolid;
    Canvas().FillRect(r);
  }
  PaintBorders();
}

void TSkinForm::BoundsChanged() {
  TCustomPanel::BoundsChanged();
  if (title_bar_) title_bar_->SetAlign(TAlign::alTop);
  RestripCaption();
}

void TSkinForm::Loaded() {
  TCustomPanel::Loaded();
  if (form_ && form_->FormStyle() == TFormStyle::fsMDIChild) BuildRegion();
}

bool TSkinForm::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  return TCustomPanel::GetPublished(name, out);
}

bool TSkinForm::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  return TCustomPanel::SetPublished(name, v);
}

}  // namespace skin
