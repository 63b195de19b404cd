// TApplication: message loop and key routing. Keys reach controls as the form framework's
// users expect: Tab, Enter, Escape and arrows become dialog keys unless the focused control
// asks for them (WM_GETDLGCODE); characters (and Alt+letter) are offered as dialog characters
// to the focused control's form first, so that accelerators work.
#include "forms/Application.h"

#include <algorithm>

#include "forms/Form.h"
#include "forms/Thread.h"

namespace forms {

TApplication* Application() {
  static TApplication app;
  return &app;
}

TApplication::TApplication() {
  SetMainThread();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TolvaneApplication";
  RegisterClassExA(&wc);
  handle_ = CreateWindowExA(0, "TolvaneApplication", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  if (handle_) SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetSynchronizeWakeup([](void* wnd) { PostMessageA(static_cast<HWND>(wnd), CM_SYNCHRONIZE, 0, 0); },
                       handle_);
}

TApplication::~TApplication() {
  SetSynchronizeWakeup(nullptr, nullptr);
  if (handle_) DestroyWindow(handle_);
}

HICON TApplication::Icon() const {
  static HICON icon = [] {
    auto* own = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                             0, 0, LR_DEFAULTSIZE | LR_SHARED));
    return own ? own : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  }();
  return icon;
}

namespace {

// Calls each hook registered when the call began and still registered when its turn comes;
// `call` returns true to stop. Hooks may add or remove hooks (their own included) meanwhile.
template <typename H, typename Call>
void CallHooks(const std::vector<H>& hooks, Call call) {
  std::vector<int> ids;
  for (const H& h : hooks) ids.push_back(h.id);
  for (int id : ids) {
    auto it = std::find_if(hooks.begin(), hooks.end(), [id](const H& h) { return h.id == id; });
    if (it == hooks.end()) continue;
    auto fn = it->fn;  // the hook may remove itself while it runs
    if (call(fn)) return;
  }
}

template <typename H>
void EraseHook(std::vector<H>& hooks, int id) {
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [id](const H& h) { return h.id == id; }),
              hooks.end());
}

}  // namespace

LRESULT CALLBACK TApplication::AppWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self) {
    TMessage m{msg, w, l, 0};
    if (self->WndProc(m)) return m.Result;
  }
  return DefWindowProcA(wnd, msg, w, l);
}

bool TApplication::WndProc(TMessage& m) {
  bool handled = false;
  CallHooks(hooks_, [&](const THookFunction& fn) { return handled = fn(m); });
  if (handled) return true;
  switch (m.Msg) {
    case CM_SYNCHRONIZE:
      CheckSynchronize();
      return true;
    case CM_RELEASE:
      delete reinterpret_cast<TCustomForm*>(m.LParam);
      return true;
    case WM_SYSCOMMAND:
      // The program as a whole: a second start of the program sends its restore here.
      switch (m.WParam & 0xFFF0) {
        case SC_RESTORE: Restore(); return true;
        case SC_MINIMIZE: Minimize(); return true;
        default: break;
      }
      break;
    default:
      break;
  }
  return false;
}

int TApplication::HookMainWindow(THookFunction hook) {
  hooks_.push_back({next_hook_, std::move(hook)});
  return next_hook_++;
}

void TApplication::UnhookMainWindow(int id) { EraseHook(hooks_, id); }

int TApplication::AddMessageHook(TMessageEvent hook) {
  message_hooks_.push_back({next_hook_, std::move(hook)});
  return next_hook_++;
}

void TApplication::RemoveMessageHook(int id) { EraseHook(message_hooks_, id); }

void TApplication::SetMainForm(TCustomForm* f) {
  if (f == main_form_) return;
  main_form_ = f;
  TCustomForm::UpdateOwners();
}

void TApplication::Restore() {
  // A hidden main form stays hidden: showing it is its owner's decision, not a restore's.
  if (!main_form_ || !main_form_->HandleAllocated() || !main_form_->Visible()) return;
  HWND main = main_form_->Handle();
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  main_form_->RestoreOwnedForms();
  // A modal window or a message box of the program comes forward in place of the main form.
  HWND popup = GetLastActivePopup(main);
  if (!popup || !IsWindowVisible(popup) || !IsWindowEnabled(popup)) popup = main;
  if (IsIconic(popup)) ShowWindow(popup, SW_RESTORE);
  SetForegroundWindow(popup);
}

void TApplication::Minimize() {
  if (main_form_ && main_form_->HandleAllocated() && main_form_->Visible())
    ShowWindow(main_form_->Handle(), SW_MINIMIZE);
}

bool TApplication::Active() const {
  HWND fg = GetForegroundWindow();
  DWORD pid = 0;
  if (fg) GetWindowThreadProcessId(fg, &pid);
  return fg && pid == GetCurrentProcessId();
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_SYSCHAR)
    return false;
  // A key in a control's part (a combo box's edit) is a key in that control.
  TWinControl* c = TWinControl::ControlOf(msg.hwnd);
  if (!c || msg.hwnd == handle_) return false;
  TCustomForm* form = c->ParentForm();
  if (!form) return false;
  if (msg.message == WM_KEYDOWN) {
    UINT key = static_cast<UINT>(msg.wParam);
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_LEFT &&
        key != VK_RIGHT && key != VK_UP && key != VK_DOWN)
      return false;
    LRESULT code = c->Perform(WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & DLGC_WANTALLKEYS) return false;
    if (key == VK_TAB && (code & DLGC_WANTTAB)) return false;
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && (code & DLGC_WANTARROWS))
      return false;
    return form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
  }
  if (msg.message == WM_CHAR) {
    LRESULT code = c->Perform(WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
    return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
  }
  if (msg.message == WM_SYSCHAR) return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
  return false;
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  CallHooks(message_hooks_, [&](const TMessageEvent& fn) {
    fn(msg, handled);
    return false;
  });
  if (!handled && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  CheckSynchronize();
  if (!ProcessMessage()) WaitMessage();
}

void TApplication::Run() {
  if (main_form_) main_form_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

}  // namespace forms
