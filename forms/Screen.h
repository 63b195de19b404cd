// TScreen: the forms of the program, the active one, monitor work areas, and the cursor that
// overrides every control's while it is not crDefault (an hourglass during a long step).
#pragma once

#include <vector>

#include "forms/Types.h"

namespace forms {

class TCustomForm;

class TScreen : public TObject {
 public:
  const std::vector<TCustomForm*>& Forms() const { return forms_; }
  TCustomForm* ActiveForm() const { return active_form_; }
  void SetActiveForm(TCustomForm* f) { active_form_ = f; }
  // Work area of the monitor nearest to `wnd`; with no window, the primary work area.
  RECT WorkAreaRect(HWND wnd) const;

  TCursor Cursor() const { return cursor_; }
  // Takes effect at once: the pointer changes shape without waiting for the mouse to move.
  void SetCursor(TCursor c);
  // The system cursor for a shape (the arrow for unknown ones; nil for crNone).
  HCURSOR CursorHandle(TCursor c) const;
  // Has the window under the pointer, when it is one of this thread's, set its shape again
  // (after a cursor property changed, without waiting for the mouse to move).
  void UpdateCursorShape() const;

  void AddForm(TCustomForm* f);
  void RemoveForm(TCustomForm* f);

 private:
  std::vector<TCustomForm*> forms_;
  TCustomForm* active_form_ = nullptr;
  TCursor cursor_ = crDefault;
};

TScreen* Screen();

}  // namespace forms
