// TApplication: the hidden application window, the main form, the message loop with its key
// routing (dialog keys and characters to the focused control's form) and window hooks.
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

  // The hidden window that owns every form; nil when no window system is available.
  HWND Handle() const { return handle_; }
  TCustomForm* MainForm() const { return main_form_; }
  void SetMainForm(TCustomForm* f) { main_form_ = f; }

  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles one message if one is waiting; false when the queue was empty.
  bool ProcessMessage();
  void ProcessMessages();
  // Handles one message, waiting for one when the queue is empty.
  void HandleMessage();
  // True when a window of this process is the foreground window.
  bool Active() const;

  // Hooks see every message of the application window first; a hook returning true has
  // handled it.
  using THookFunction = std::function<bool(TMessage&)>;
  int HookMainWindow(THookFunction hook);
  void UnhookMainWindow(int id);

  using TMessageEvent = std::function<void(MSG&, bool& handled)>;
  TMessageEvent OnMessage;

 private:
  static LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  bool IsKeyMsg(MSG& msg);
  HWND handle_ = nullptr;
  TCustomForm* main_form_ = nullptr;
  bool terminated_ = false;
  struct Hook {
    int id;
    THookFunction fn;
  };
  std::vector<Hook> hooks_;
  int next_hook_ = 1;
};

// The one application object of the process, made on first use.
TApplication* Application();

}  // namespace forms
