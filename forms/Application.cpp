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

LRESULT CALLBACK TApplication::AppWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self) {
    TMessage m{msg, w, l, 0};
    for (const Hook& h : std::vector<Hook>(self->hooks_))
      if (h.fn(m)) return m.Result;
    switch (msg) {
      case CM_SYNCHRONIZE:
        CheckSynchronize();
        return 0;
      case CM_RELEASE:
        delete reinterpret_cast<TCustomForm*>(l);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(wnd, msg, w, l);
}

int TApplication::HookMainWindow(THookFunction hook) {
  hooks_.push_back({next_hook_, std::move(hook)});
  return next_hook_++;
}

void TApplication::UnhookMainWindow(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const Hook& h) { return h.id == id; }),
               hooks_.end());
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
  TWinControl* c = TWinControl::FromHandle(msg.hwnd);
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
