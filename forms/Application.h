// TApplication: the hidden application window, the main form, the message loop with its key
// routing (dialog keys and characters to the focused control's form), hooks on the
// application window and on the message loop, and restoring the program as a whole.
#pragma once

#include <functional>
#include <vector>

#include "forms/Types.h"

namespace forms {

class TCustomForm;

class TApplication : public TObject {
 public:
  TApplication();
  ~TApplication() override;

  // The hidden window that stands for the program as a whole (a second start sends it its
  // restore); nil when no window system is available.
  HWND Handle() const { return handle_; }
  // The main form is a top-level window with its own task-bar button; every other form is
  // owned by it, and follows when another form becomes the main form.
  TCustomForm* MainForm() const { return main_form_; }
  void SetMainForm(TCustomForm* f);

  // Restores the main form when it is minimised (and with it the forms it owns that were
  // minimised) and brings the program's last active window forward.
  void Restore();
  void Minimize();

  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles one message if one is waiting; false when the queue was empty.
  bool ProcessMessage();
  void ProcessMessages();
  // Handles one message, waiting for one when the queue is empty.
  void HandleMessage();
  // The program's icon: the executable's "MAINICON" resource, or the system's application
  // icon when it has none. Shared: not to be destroyed.
  HICON Icon() const;

  // True when a window of this process is the foreground window.
  bool Active() const;

  // Hooks see every message of the application window first; a hook returning true has
  // handled it.
  using THookFunction = std::function<bool(TMessage&)>;
  int HookMainWindow(THookFunction hook);
  void UnhookMainWindow(int id);

  using TMessageEvent = std::function<void(MSG&, bool& handled)>;
  TMessageEvent OnMessage;
  // Message-loop hooks of several owners (frames, menus, forms): each sees every message taken
  // from the queue, after OnMessage and in the order added, whether or not an earlier one set
  // `handled`; a handled message is not dispatched. A hook removed while a message is being
  // offered is not called again, not even for that message.
  int AddMessageHook(TMessageEvent hook);
  void RemoveMessageHook(int id);

 private:
  static LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  bool IsKeyMsg(MSG& msg);
  bool WndProc(TMessage& m);
  HWND handle_ = nullptr;
  TCustomForm* main_form_ = nullptr;
  bool terminated_ = false;
  template <typename Fn>
  struct Hook {
    int id;
    Fn fn;
  };
  std::vector<Hook<THookFunction>> hooks_;
  std::vector<Hook<TMessageEvent>> message_hooks_;
  int next_hook_ = 1;
};

// The one application object of the process, made on first use.
TApplication* Application();

}  // namespace forms
