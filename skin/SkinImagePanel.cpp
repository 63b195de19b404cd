// The image panel: picture, tiles and caption composed in one back buffer.
#include "skin/SkinImagePanel.h"

#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

TSkinCustomPanel::TSkinCustomPanel(TComponent* owner)
    : TCustomPanel(owner), picture_(new TPicture) {
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
  SetBevelInner(TBevelCut::bvNone);
  SetBevelOuter(TBevelCut::bvNone);
  Invalidate();
}

TSkinCustomPanel::~TSkinCustomPanel() {
  BeginDestroy();
  picture_->OnChange = nullptr;
  delete picture_;
  picture_ = nullptr;
}

void TSkinCustomPanel::FillBackground() {
  // Only a panel hosted in a window that is not one of our controls fills its client area
  // here; every other panel is painted whole by Paint. This layer never hosts one that way.
  Canvas().Brush.Color = Color();
}

void TSkinCustomPanel::ApplyAutoSize() {
  if (!auto_size_) return;
  switch (Align()) {
    case TAlign::alNone:
    case TAlign::alCustom:
      SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
      break;
    case TAlign::alLeft:
    case TAlign::alRight:
      SetWidth(picture_->Width());
      break;
    case TAlign::alTop:
    case TAlign::alBottom:
      SetHeight(picture_->Height());
      break;
    case TAlign::alClient:
      break;
  }
}

void TSkinCustomPanel::PictureChanged() {
  if (!picture_) return;
  if (TGraphic* g = picture_->Graphic()) {
    ApplyAutoSize();
    if (g->Transparent() != transparent_) {
      // Changing the graphic's transparency notifies again; take it without recursing.
      auto keep = picture_->OnChange;
      picture_->OnChange = nullptr;
      g->SetTransparent(transparent_);
      picture_->OnChange = keep;
    }
  }
  FillBackground();
  Invalidate();
}

void TSkinCustomPanel::SetPicture(const TPicture* p) {
  picture_->Assign(p);
  FillBackground();
  Invalidate();
}

void TSkinCustomPanel::SetDrawStyle(TSkinDrawStyle s) {
  draw_style_ = s;
  FillBackground();
  Invalidate();
}

void TSkinCustomPanel::SetAutoSize(bool v) {
  auto_size_ = v;
  if (picture_->HasGraphic()) ApplyAutoSize();
}

void TSkinCustomPanel::SetTransparent(bool v) {
  transparent_ = v;
  if (picture_->HasGraphic()) PictureChanged();
  Invalidate();
}

void TSkinCustomPanel::BoundsChanged() {
  TCustomPanel::BoundsChanged();
  Invalidate();
}

void TSkinCustomPanel::CMTextChanged(TMessage&) {
  CaptionChanged(caption_rect_);
  Invalidate();
}

void TSkinCustomPanel::Paint() {
  TBitmap buffer(Width(), Height());
  if (buffer.Empty()) return;
  TCanvas& c = buffer.Canvas();
  RECT client{0, 0, Width(), Height()};
  if (transparent_) {
    PaintParentBackground(c, this);
  } else {
    // A picture smaller than the panel leaves the rest in the panel's colour.
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = Color();
    c.FillRect(client);
  }
  if (TGraphic* g = picture_->Graphic(); g && !g->Empty()) {
    switch (draw_style_) {
      case TSkinDrawStyle::skNormal: c.Draw(0, 0, g); break;
      case TSkinDrawStyle::skStretch: c.StretchDraw(client, g); break;
      case TSkinDrawStyle::skTile: TileDraw(c, *picture_, client); break;
    }
  }
  c.Brush.Style = TBrushStyle::bsClear;
  if (Text().find_first_not_of(" \t\r\n") != std::string::npos) {
    c.Font().Assign(Font());
    RECT r = client;
    c.DrawText(Text(), r, DT_SINGLELINE | DT_VCENTER | AlignmentToDrawText(Alignment()));
    caption_rect_ = client;
  }
  BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), c.Handle(), 0, 0, SRCCOPY);
}

}  // namespace skin
