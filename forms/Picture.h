// TPicture: holds at most one graphic (a bitmap here) and reports any change to it.
#pragma once

#include <memory>

#include "forms/Bitmap.h"

namespace forms {

class TPicture : public TObject {
 public:
  TPicture() = default;

  TGraphic* Graphic() const { return graphic_.get(); }
  // Takes a copy of `g` (nil clears the picture).
  void SetGraphic(const TGraphic* g);
  // The picture's bitmap, made (empty) when the picture holds none.
  TBitmap* Bitmap();
  void Assign(const TPicture* other) { SetGraphic(other ? other->Graphic() : nullptr); }

  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  bool HasGraphic() const { return graphic_ != nullptr; }

  TNotifyEvent OnChange;

 private:
  void Adopt(std::unique_ptr<TGraphic> g);
  void Changed() {
    if (OnChange) OnChange(this);
  }
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace forms
