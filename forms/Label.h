// TCustomLabel / TLabel: a windowless caption drawn with DrawText: aligned, laid out top,
// centre or bottom, wrapped or not, over its parent or on its own colour, sized to its text
// when AutoSize is on, and with an accelerator that gives the focus to FocusControl.
#pragma once

#include "forms/GraphicControl.h"

namespace forms {

enum class TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);
  const char* ClassName() const override { return "TCustomLabel"; }

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  // A transparent label leaves its parent's painting under the text.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // With ShowAccelChar a single '&' underlines the next letter and "&&" shows one '&'.
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* c);

  // The DrawText flags the label paints and measures with.
  UINT DrawTextFlags() const;
  // The size the caption needs: wrapped at the current width when WordWrap is on.
  SIZE TextSize();
  // Applies AutoSize now (it is also applied on every change of text, font or wrapping).
  void AdjustBounds();

 protected:
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CMTextChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;

 private:
  // The caption as DrawText gets it: an empty one measures as one blank line.
  std::string DrawnText() const;
  bool auto_size_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool word_wrap_ = false;
  bool transparent_ = false;
  bool show_accel_char_ = true;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
  const char* ClassName() const override { return "TLabel"; }
};

}  // namespace forms
