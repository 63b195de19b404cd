// TPicture: copies graphics in and relays their change notifications.
#include "forms/Picture.h"

namespace forms {

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
  graphic_ = std::move(g);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
}

void TPicture::SetGraphic(const TGraphic* g) {
  if (!g) {
    graphic_.reset();
  } else {
    auto b = std::make_unique<TBitmap>();
    b->Assign(g);
    Adopt(std::move(b));
  }
  Changed();
}

TBitmap* TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(graphic_.get());
  if (!b) {
    Adopt(std::make_unique<TBitmap>());
    b = static_cast<TBitmap*>(graphic_.get());
    Changed();
  }
  return b;
}

}  // namespace forms
