// TCustomSysView: what the wrapped system list and tree views share — their two image lists,
// the canvas their custom-draw events paint on, the border and the style bits rewritten in
// place, the client rectangle the window itself reports, and colours sent again on a change.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "forms/ControlCanvas.h"
#include "forms/ViewImages.h"
#include "forms/ViewTypes.h"
#include "forms/WinControl.h"

namespace forms {

class TCustomSysView : public TWinControl {
 public:
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v) { read_only_ = v; ApplyStyle(); }
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool v) { hide_selection_ = v; ApplyStyle(); }
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v) { border_style_ = v; ApplyStyle(); }
  // A band of this many pixels in the control's Color inside the window edge.
  int BorderWidth() const { return NonClientBand(); }
  void SetBorderWidth(int v) { SetNonClientBand(v); }
  RECT ClientRect() const override;
  TImageList* StateImages() const { return images_.StateImages(); }
  void SetStateImages(TImageList* v);
  // The canvas the custom-draw events paint on (the view's paint DC while they run).
  TCanvas& Canvas() { return canvas_; }

 protected:
  TCustomSysView(TComponent* owner, int width, int height);

  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
  void Notification(TComponent* component, TOperation operation) override;
  void CMColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;

  // Sends the control's Color and its font's colour to the window.
  virtual void ApplyColors() = 0;
  // Hands the window one of its lists: the state pictures when `state`, else the items'.
  virtual void GiveImageList(bool state, HIMAGELIST list) = 0;
  // The window style bits that CreateParams decides from the view's options.
  virtual DWORD StyleMask() const = 0;

  // Sets the bits of StyleMask() and the client edge as CreateParams now has them, in place.
  void ApplyStyle();
  void ApplyImages();
  void SetItemImages(TImageList* v);

  TViewImages images_{this};
  TControlCanvas canvas_{this};
  bool read_only_ = false;
  bool hide_selection_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
};

}  // namespace forms
