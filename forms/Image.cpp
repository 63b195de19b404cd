// TImage: geometry of the drawn picture and the picture's change notifications.
#include "forms/Image.h"

namespace forms {

RECT ImageDestRect(int pw, int ph, int bw, int bh, bool stretch, bool proportional, bool center) {
  if (pw < 0) pw = 0;
  if (ph < 0) ph = 0;
  if (bw < 0) bw = 0;
  if (bh < 0) bh = 0;
  int w = pw, h = ph;
  bool too_big = pw > bw || ph > bh;
  if (stretch || (proportional && too_big)) {
    if (proportional && pw > 0 && ph > 0) {
      // Fit the box's width first; if that makes the picture too tall, fit the height. The
      // products are taken in 64 bits: picture and box sides multiply past 32 bits.
      w = bw;
      h = static_cast<int>(static_cast<long long>(ph) * bw / pw);
      if (h > bh) {
        h = bh;
        w = static_cast<int>(static_cast<long long>(pw) * bh / ph);
      }
    } else {
      w = bw;
      h = bh;
    }
  }
  RECT r{0, 0, w, h};
  if (center) OffsetRect(&r, (bw - w) / 2, (bh - h) / 2);
  return r;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(new TPicture) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
  BeginDestroy();
  picture_->OnChange = nullptr;
}

RECT TImage::DestRect() const {
  return ImageDestRect(picture_->Width(), picture_->Height(), Width(), Height(), stretch_,
                       proportional_, center_);
}

void TImage::PictureChanged() {
  if (TGraphic* g = picture_->Graphic(); g && g->Transparent() != transparent_) {
    // The graphic's own change would come back here: take it without recursing.
    auto keep = picture_->OnChange;
    picture_->OnChange = nullptr;
    g->SetTransparent(transparent_);
    picture_->OnChange = keep;
  }
  if (auto_size_ && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  Invalidate();
}

void TImage::SetAutoSize(bool v) {
  if (v == auto_size_) return;
  auto_size_ = v;
  if (v) PictureChanged();
}

void TImage::SetStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  if (v == center_) return;
  center_ = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  if (v == proportional_) return;
  proportional_ = v;
  Invalidate();
}

void TImage::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  PictureChanged();
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  Canvas().StretchDraw(DestRect(), g);
}

}  // namespace forms
