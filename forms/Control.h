// TControl: anything placed on a parent: bounds, alignment, visibility, colour and font
// (optionally the parent's), a caption and hint, an optional action, mouse events and cursor,
// and the message path Perform -> WindowProc (replaceable) -> WndProc -> Dispatch -> the
// handler -> DefaultHandler. Mouse messages run the mouse events and then go on down that
// path, so that a wrapped system control still gets its own clicks.
#pragma once

#include <memory>
#include <string>

#include "forms/BiDi.h"
#include "forms/Component.h"
#include "forms/Font.h"

namespace forms {

class TBasicAction;
class TControlActionLink;
class TCustomForm;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }
  int ClientWidth() const { RECT r = ClientRect(); return r.right - r.left; }
  int ClientHeight() const { RECT r = ClientRect(); return r.bottom - r.top; }
  // Resizes the control so that its client area gets the width or height given (a form's
  // borders and caption come on top).
  void SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
  void SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors a) { anchors_ = a; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool v);
  TFont& Font() { return font_; }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v);

  // Caption and Text are one string, as in the framework the forms were written for.
  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& text);
  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& text) { SetText(text); }

  // The reading and layout direction: the parent's while ParentBiDiMode is set (the default);
  // setting a mode clears ParentBiDiMode. The Use* questions add the system's locale.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode mode);
  bool ParentBiDiMode() const { return parent_bidi_mode_; }
  void SetParentBiDiMode(bool v);
  bool UseRightToLeftAlignment() const { return forms::UseRightToLeftAlignment(BiDiMode()); }
  bool UseRightToLeftReading() const { return forms::UseRightToLeftReading(BiDiMode()); }
  bool UseRightToLeftScrollBar() const { return forms::UseRightToLeftScrollBar(BiDiMode()); }

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }

  // The action whose caption, enabled state, visibility and hint the control shows and which
  // a click runs. Freeing the action unlinks it.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* action);

  unsigned ControlStyle() const { return control_style_; }
  void SetControlStyle(unsigned s) { control_style_ = s; }

  // The mouse pointer over this control; crDefault leaves it to the window (for a graphic
  // control, to its parent).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);

  virtual void Invalidate();
  virtual void Repaint();
  LRESULT Perform(UINT msg, WPARAM w = 0, LPARAM l = 0);

  // The message entry of the control. Replace it to watch or change messages; call the
  // saved previous value for everything not handled.
  TWndMethod WindowProc;

  TNotifyEvent OnClick;
  // A second left press in the double-click time; only for controls with csDoubleClicks.
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The form this control sits on (through parents), or nil.
  TCustomForm* ParentForm() const;
  // Screen coordinates of a client point, and back. A control with a window asks the system,
  // which knows where the client area starts inside the borders.
  virtual POINT ClientToScreen(POINT p) const;
  virtual POINT ScreenToClient(POINT p) const;
  virtual bool IsWindowed() const { return false; }

  // Runs the action's OnExecute when the linked action has one, else OnClick.
  virtual void Click();
  virtual void DblClick();

 protected:
  friend class TWinControl;
  // Takes the action's properties. With `check_defaults` (an action set while loading) only
  // those the control still has at their defaults are taken.
  virtual void ActionChange(TObject* sender, bool check_defaults);
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  virtual void WndProc(TMessage& m);
  virtual void Dispatch(TMessage& m);
  virtual void DefaultHandler(TMessage& m) {}

  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // The release of the left button: a click when it was pressed here and is released inside,
  // then MouseUp. For controls whose system procedure takes the release off the queue itself.
  void LeftButtonReleased(WPARAM keys, int x, int y);
  virtual void BoundsChanged() {}
  // The direction in force changed (its own or, through ParentBiDiMode, its parent's).
  virtual void BiDiModeChanged() { Invalidate(); }

  virtual void CMMouseEnter(TMessage& m) {}
  virtual void CMMouseLeave(TMessage& m) {}
  virtual void CMTextChanged(TMessage& m) {}
  virtual void CMFontChanged(TMessage& m) { Invalidate(); }
  virtual void CMColorChanged(TMessage& m) { Invalidate(); }
  virtual void CMVisibleChanged(TMessage& m) {}
  virtual void CMEnabledChanged(TMessage& m) { Invalidate(); }
  virtual void CMCancelMode(TMessage& m) {}
  virtual void CMFocusChanged(TMessage& m) {}
  virtual void CMDialogKey(TMessage& m) {}
  virtual void CMDialogChar(TMessage& m) {}
  virtual void CMParentFontChanged(TMessage& m);
  virtual void CMParentColorChanged(TMessage& m);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool clicked_ = false;  // left button went down on this control

 private:
  void FontChanged();
  TAlign align_ = TAlign::alNone;
  TAnchors anchors_ = akLeft | akTop;
  TColor color_ = clBtnFace;
  bool parent_color_ = false;
  TFont font_;
  bool parent_font_ = true;
  TBiDiMode bidi_mode_ = TBiDiMode::bdLeftToRight;
  bool parent_bidi_mode_ = true;
  bool font_from_parent_ = false;
  std::string text_;
  std::string hint_;
  std::unique_ptr<TControlActionLink> action_link_;
  unsigned control_style_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  TCursor cursor_ = crDefault;
};

// True when `c` is the accelerator character of `caption` (the letter after a single '&').
bool IsAccel(unsigned c, const std::string& caption);

}  // namespace forms
