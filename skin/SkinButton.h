// Skinned push buttons. TSkinCustomButton keeps the visual state (normal, mouse over,
// pressed, disabled, focused), paints through a back buffer and behaves as a dialog button
// (Default and Cancel keys, accelerators, ModalResult, auto-repeat while held).
// TSkinButton draws the style's three-frame button picture by nine-slice with an optional
// glyph; TSkinImageButton draws four user pictures.
#pragma once

#include <memory>

#include "forms/Forms.h"
#include "skin/SkinLook.h"

namespace skin {

// Every skinned button answers this private message with 1; a bare accelerator letter clicks
// a button only while the focused window is such a button.
constexpr UINT WM_SKINBUTTON_QUERY = WM_APP + 3000;

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Where the glyph and the caption go (all halvings toward zero).
struct TGlyphPlacement {
  POINT Glyph;
  POINT Caption;
};
TGlyphPlacement PlaceGlyph(TButtonLayout layout, int width, int height, int glyphWidth,
                           int glyphHeight, int textWidth, int textHeight, int spacing);

class TSkinCustomButton : public forms::TCustomControl {
 public:
  explicit TSkinCustomButton(forms::TComponent* owner);
  ~TSkinCustomButton() override;
  const char* ClassName() const override { return "TSkinCustomButton"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool ActiveDefault() const { return active_default_; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  forms::TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(forms::TModalResult r) { modal_result_ = r; }
  virtual TSkinUIStyle UIStyle() const { return look_.Style(); }
  void SetUIStyle(TSkinUIStyle s);
  int MouseContinuouslyDownInterval() const { return repeat_interval_; }
  void SetMouseContinuouslyDownInterval(int ms) { repeat_interval_ = ms; }
  int FocusedRectMargin() const { return focus_margin_; }
  void SetFocusedRectMargin(int m);
  void SetEnabled(bool v) override;

  bool MouseOver() const { return mouse_over_; }
  bool Pressed() const { return pressed_; }
  bool Repeating() const { return repeat_timer_ != nullptr; }

  forms::TNotifyEvent OnMouseEnter;
  forms::TNotifyEvent OnMouseExit;
  forms::TNotifyEvent OnMouseContinuouslyDown;

  void Click() override;

  // Action, published by both buttons.
  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  virtual void AutoSizeChanged();
  virtual void CaptionChanged() {}
  virtual void FontChanged();
  virtual void TransparentChanged();
  virtual void EnabledChanged() {}
  virtual void UIStyleChanged() {}
  virtual void DrawPicture(forms::TCanvas& canvas, forms::TBitmap& state);
  virtual void DrawCaption(forms::TCanvas& canvas, const std::string& caption);
  virtual void DrawFocus(forms::TCanvas& canvas);
  virtual void GetPicNormal(forms::TBitmap& b);
  virtual void GetPicMouseOn(forms::TBitmap& b);
  virtual void GetPicMouseDown(forms::TBitmap& b);
  virtual void GetPicDisabled(forms::TBitmap& b);

  TSkinFileTheme* FileThemeRef() const { return look_.Theme(); }
  void SetFileThemeRef(TSkinFileTheme* theme);
  // The look drawn with: the theme and the style this button answers (UIStyle).
  TSkinLook Look() const { return look_.WithStyle(UIStyle()); }

  void Notification(forms::TComponent* c, forms::TOperation op) override;
  void ActionChange(forms::TObject* sender, bool check_defaults) override;
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(forms::TMouseButton b, forms::TShiftState s, int x, int y) override;
  void MouseMove(forms::TShiftState s, int x, int y) override;
  void MouseUp(forms::TMouseButton b, forms::TShiftState s, int x, int y) override;
  void Dispatch(forms::TMessage& m) override;

  void CMMouseEnter(forms::TMessage& m) override;
  void CMMouseLeave(forms::TMessage& m) override;
  void CMCancelMode(forms::TMessage& m) override;
  void CMFocusChanged(forms::TMessage& m) override;
  void CMDialogKey(forms::TMessage& m) override;
  void CMDialogChar(forms::TMessage& m) override;
  void CMFontChanged(forms::TMessage& m) override { FontChanged(); }
  void CMTextChanged(forms::TMessage& m) override { SetCaption(Text()); }
  void WMKeyDown(forms::TMessage& m) override;
  void WMKeyUp(forms::TMessage& m) override;
  void WMSetFocus(forms::TMessage& m) override;
  void WMKillFocus(forms::TMessage& m) override;
  void WMEraseBkgnd(forms::TMessage& m) override { m.Result = 1; }

  // Draws the caption centred in the client rectangle (the base caption drawing).
  void DrawCenteredCaption(forms::TCanvas& canvas, const std::string& caption);
  void DrawFocusRectangle(forms::TCanvas& canvas);

  bool picture_transparent_ = false;
  bool bold_caption_ = false;

 private:
  void StopRepeat();
  void ResetMouseState();

  std::string caption_;
  bool auto_size_ = false;
  bool cancel_ = false;
  bool default_ = false;
  bool active_default_ = false;
  bool transparent_ = false;
  forms::TModalResult modal_result_ = forms::mrNone;
  TSkinLook look_;
  forms::TTimer* repeat_timer_ = nullptr;
  int repeat_interval_ = 100;
  int focus_margin_ = 2;
  bool mouse_over_ = false;
  bool pressed_ = false;
};

class TSkinButton : public TSkinCustomButton {
 public:
  explicit TSkinButton(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinButton"; }

  TSkinFileTheme* FileTheme() const { return FileThemeRef(); }
  void SetFileTheme(TSkinFileTheme* theme) { SetFileThemeRef(theme); }
  forms::TBitmap& Glyph() { return glyph_; }
  void SetGlyph(const forms::TBitmap* g);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l);
  int Spacing() const { return spacing_; }
  void SetSpacing(int s);
  unsigned ResHandle() const { return 0; }
  void SetResHandle(unsigned) {}

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void UIStyleChanged() override;
  void ActionChange(forms::TObject* sender, bool check_defaults) override;
  void DrawPicture(forms::TCanvas& canvas, forms::TBitmap& state) override;
  void DrawCaption(forms::TCanvas& canvas, const std::string& caption) override;
  void DrawFocus(forms::TCanvas& canvas) override;

 private:
  forms::TBitmap glyph_;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int spacing_ = 4;
  POINT caption_pos_{0, 0};
};

class TSkinImageButton : public TSkinCustomButton {
 public:
  explicit TSkinImageButton(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinImageButton"; }

  TSkinUIStyle UIStyle() const override { return TSkinUIStyle::FromThemeFile; }
  forms::TPicture& PicNormal() { return pic_normal_; }
  forms::TPicture& PicMouseOn() { return pic_mouse_on_; }
  forms::TPicture& PicMouseDown() { return pic_mouse_down_; }
  forms::TPicture& PicDisabled() { return pic_disabled_; }
  void SetPicNormal(const forms::TPicture* p) { SetPic(pic_normal_, p); }
  void SetPicMouseOn(const forms::TPicture* p) { SetPic(pic_mouse_on_, p); }
  void SetPicMouseDown(const forms::TPicture* p) { SetPic(pic_mouse_down_, p); }
  void SetPicDisabled(const forms::TPicture* p) { SetPic(pic_disabled_, p); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Invalidate(); }
  bool DrawFocused() const { return draw_focused_; }
  void SetDrawFocused(bool v) { draw_focused_ = v; Invalidate(); }

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void AutoSizeChanged() override;
  void DrawPicture(forms::TCanvas& canvas, forms::TBitmap& state) override;
  void DrawFocus(forms::TCanvas& canvas) override;
  void GetPicNormal(forms::TBitmap& b) override;
  void GetPicMouseOn(forms::TBitmap& b) override;
  void GetPicMouseDown(forms::TBitmap& b) override;
  void GetPicDisabled(forms::TBitmap& b) override;

 private:
  void SetPic(forms::TPicture& pic, const forms::TPicture* p);
  void FromPicture(forms::TPicture& pic, forms::TBitmap& b);
  forms::TPicture pic_normal_, pic_mouse_on_, pic_mouse_down_, pic_disabled_;
  bool stretch_ = false;
  bool draw_focused_ = false;
};

}  // namespace skin
