// Component ownership, free notification across owners, loading, published properties,
// alignment and anchors, and the in-order hand-over of thread calls. No window needed.
#include <gtest/gtest.h>

#include <vector>

#include "forms/Forms.h"

using namespace forms;

namespace {

class Watcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* target = nullptr;
  std::vector<std::string>* log = nullptr;
  void SetTarget(TComponent* t) {
    if (target) RemoveFreeNotification(target);
    target = t;
    if (t) FreeNotification(t);
  }
  void Loaded() override {
    if (log) log->push_back("loaded " + Name());
  }
  bool GetPublished(std::string_view name, TPropValue* out) const override {
    if (name != "Target") return false;
    if (out) *out = target;
    return true;
  }
  bool SetPublished(std::string_view name, const TPropValue& v) override {
    if (name != "Target") return false;
    SetTarget(std::get<TComponent*>(v));
    return true;
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == target) target = nullptr;
  }
};

}  // namespace

TEST(Component, OwnerFreesOwnedComponentsAndKeepsTheirOrder) {
  auto* owner = new TComponent(nullptr);
  auto* a = new TComponent(owner);
  a->SetName("A");
  auto* b = new TComponent(owner);
  b->SetName("B");
  ASSERT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components()[0], a);
  EXPECT_EQ(owner->FindComponent("B"), b);
  delete a;
  EXPECT_EQ(owner->ComponentCount(), 1);
  delete owner;  // frees b; a sanitizer or Wine's heap check catches a double free
}

TEST(Component, FreeNotificationAcrossOwnersDropsTheReference) {
  auto* ownerA = new TComponent(nullptr);
  auto* ownerB = new TComponent(nullptr);
  auto* w = new Watcher(ownerA);
  auto* t = new TComponent(ownerB);
  w->SetTarget(t);
  delete ownerB;
  EXPECT_EQ(w->target, nullptr);
  delete ownerA;
}

TEST(Component, WatcherDestroyedFirstIsNotNotifiedLater) {
  auto* t = new TComponent(nullptr);
  auto* w = new Watcher(nullptr);
  w->SetTarget(t);
  delete w;
  delete t;  // must not call into the freed watcher
}

TEST(Component, EndLoadingCallsLoadedForOwnerThenOwnedInOrder) {
  std::vector<std::string> log;
  Watcher owner(nullptr);
  owner.SetName("form");
  owner.log = &log;
  auto* a = new Watcher(&owner);
  a->SetName("a");
  a->log = &log;
  auto* b = new Watcher(&owner);
  b->SetName("b");
  b->log = &log;
  owner.BeginLoading();
  EXPECT_TRUE(a->IsLoading());
  owner.EndLoading();
  EXPECT_FALSE(b->IsLoading());
  EXPECT_EQ(log, (std::vector<std::string>{"loaded form", "loaded a", "loaded b"}));
}

TEST(Component, PublishedPropertyIsFoundAndSetByName) {
  Watcher w(nullptr);
  TComponent t(nullptr);
  EXPECT_TRUE(HasPublishedProperty(&w, "Target"));
  EXPECT_FALSE(HasPublishedProperty(&w, "Other"));
  EXPECT_FALSE(HasPublishedProperty(&t, "Target"));
  EXPECT_TRUE(SetPublishedProperty(&w, "Target", TPropValue{&t}));
  EXPECT_EQ(w.target, &t);
  w.SetTarget(nullptr);
}

TEST(Layout, AlignedChildrenShareTheClientAreaInAlignOrder) {
  TPanel host(nullptr);
  host.SetBounds(0, 0, 200, 100);
  auto* client = new TPanel(&host);
  client->SetAlign(TAlign::alClient);
  client->SetParent(&host);
  auto* top = new TPanel(&host);
  top->SetHeight(20);
  top->SetAlign(TAlign::alTop);
  top->SetParent(&host);
  auto* left = new TPanel(&host);
  left->SetWidth(30);
  left->SetAlign(TAlign::alLeft);
  left->SetParent(&host);
  EXPECT_EQ(top->BoundsRect().bottom, 20);
  EXPECT_EQ(top->Width(), 200);
  EXPECT_EQ(left->Top(), 20);
  EXPECT_EQ(left->Height(), 80);
  EXPECT_EQ(client->Left(), 30);
  EXPECT_EQ(client->Top(), 20);
  EXPECT_EQ(client->Width(), 170);
  EXPECT_EQ(client->Height(), 80);
}

TEST(Layout, RightAnchoredChildMovesAndBothAnchoredStretches) {
  TPanel host(nullptr);
  host.SetBounds(0, 0, 200, 100);
  auto* moving = new TPanel(&host);
  moving->SetBounds(150, 10, 40, 20);
  moving->SetAnchors(akRight | akTop);
  moving->SetParent(&host);
  auto* stretching = new TPanel(&host);
  stretching->SetBounds(10, 40, 180, 20);
  stretching->SetAnchors(akLeft | akRight | akTop);
  stretching->SetParent(&host);
  host.Realign();
  host.SetWidth(260);
  EXPECT_EQ(moving->Left(), 210);
  EXPECT_EQ(moving->Width(), 40);
  EXPECT_EQ(stretching->Width(), 240);
}

TEST(Layout, ParentFontAndParentColorFollowTheParent) {
  TPanel host(nullptr);
  auto* child = new TPanel(&host);
  child->SetParentColor(true);
  child->SetParent(&host);
  host.Font().SetHeight(-20);
  host.SetColor(0x123456);
  EXPECT_EQ(child->Font().Height(), -20);
  EXPECT_EQ(child->Color(), 0x123456);
  child->Font().SetHeight(-9);  // its own font ends the following
  host.Font().SetHeight(-30);
  EXPECT_EQ(child->Font().Height(), -9);
}

TEST(Accelerator, LetterAfterSingleAmpersandIsTheAccelerator) {
  EXPECT_TRUE(IsAccel('s', "&Save"));
  EXPECT_TRUE(IsAccel('A', "S&ave"));
  EXPECT_FALSE(IsAccel('a', "Fish && &Chips"));
  EXPECT_TRUE(IsAccel('c', "Fish && &Chips"));
  EXPECT_FALSE(IsAccel('s', "Save"));
  EXPECT_FALSE(IsAccel('x', "end&"));
}

namespace {

class Worker : public TThread {
 public:
  std::vector<int>* out;
  explicit Worker(std::vector<int>* o) : out(o) {}
  void Execute() override {
    for (int i = 0; i < 20; ++i) {
      if (i % 2) Synchronize([this, i] { out->push_back(i); });
      else Queue([this, i] { out->push_back(i); });
    }
  }
};

}  // namespace

TEST(Thread, HandedOverCallsRunOnTheGuiThreadInOrder) {
  Application();  // the GUI thread is the one that made the application
  std::vector<int> got;
  Worker w(&got);
  w.Start();
  w.WaitFor();
  CheckSynchronize();
  ASSERT_EQ(got.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(got[i], i);
}

TEST(Bitmap, LoadFromStreamRejectsTruncatedAndOversizedData) {
  TBitmap b(4, 4);
  b.SetPixel(1, 2, 0x00FF00);
  std::vector<std::uint8_t> data = b.SaveToStream();
  TBitmap c;
  ASSERT_TRUE(c.LoadFromStream(data));
  EXPECT_EQ(c.Width(), 4);
  EXPECT_EQ(c.GetPixel(1, 2), 0x00FF00);
  EXPECT_EQ(c.GetPixel(0, 0), 0xFFFFFF);
  std::vector<std::uint8_t> cut(data.begin(), data.end() - 5);
  EXPECT_FALSE(c.LoadFromStream(cut));
  std::vector<std::uint8_t> big = data;
  big[22] = 0xFF;  // height 255 with the bits of 4 rows
  EXPECT_FALSE(c.LoadFromStream(big));
  EXPECT_EQ(c.Height(), 4);  // unchanged after a refused load
  EXPECT_FALSE(c.LoadFromStream({}));
}

TEST(Bitmap, TransparentDrawLeavesKeyedPixelsAlone) {
  TBitmap src(2, 1);
  src.SetPixel(0, 0, clFuchsia);
  src.SetPixel(1, 0, 0x0000FF);
  src.SetTransparent(true);
  src.SetTransparentColor(clFuchsia);
  TBitmap dst(2, 1);
  dst.Canvas().Brush.Color = 0x00FF00;
  dst.Canvas().FillRect(RECT{0, 0, 2, 1});
  dst.Canvas().Draw(0, 0, &src);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x00FF00);
  EXPECT_EQ(dst.GetPixel(1, 0), 0x0000FF);
}

TEST(ImageList, CutsEqualImagesAndDrawsMaskedAndGreyed) {
  TBitmap strip(6, 2);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 2; ++y) strip.SetPixel(x, y, x < 3 ? 0x0000FF : 0xFF0000);
  strip.SetPixel(0, 0, clFuchsia);
  TImageList list(3, 2);
  EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);
  TBitmap dst(3, 2);
  dst.Canvas().Brush.Color = clBlack;
  dst.Canvas().FillRect(RECT{0, 0, 3, 2});
  list.Draw(dst.Canvas(), 0, 0, 0);
  EXPECT_EQ(dst.GetPixel(0, 0), clBlack);
  EXPECT_EQ(dst.GetPixel(1, 0), 0x0000FF);
  list.Draw(dst.Canvas(), 0, 0, 1, false);
  COLORREF g = static_cast<COLORREF>(dst.GetPixel(1, 1));
  EXPECT_EQ(GetRValue(g), GetGValue(g));
  EXPECT_EQ(GetGValue(g), GetBValue(g));
}

namespace {

class Swatch : public TGraphicControl {
 public:
  explicit Swatch(TComponent* owner) : TGraphicControl(owner) { SetBounds(5, 4, 6, 3); }

 protected:
  void Paint() override {
    Canvas().Brush.Color = 0x00FF00;
    Canvas().FillRect(RECT{0, 0, Width(), Height()});
  }
};

}  // namespace

TEST(GraphicControl, ParentPaintsItAtItsPlaceOnlyWhileVisible) {
  TPanel host(nullptr);
  host.SetBevelOuter(TBevelCut::bvNone);
  host.SetBounds(0, 0, 20, 10);
  host.SetColor(0x0000FF);
  auto* swatch = new Swatch(&host);
  swatch->SetParent(&host);
  TBitmap b(20, 10);
  host.Perform(WM_PAINT, reinterpret_cast<WPARAM>(b.Canvas().Handle()), 0);
  EXPECT_EQ(b.GetPixel(5, 4), 0x00FF00);
  EXPECT_EQ(b.GetPixel(10, 6), 0x00FF00);
  EXPECT_EQ(b.GetPixel(11, 6), 0x0000FF);
  EXPECT_EQ(b.GetPixel(4, 4), 0x0000FF);
  swatch->SetVisible(false);
  host.Perform(WM_PAINT, reinterpret_cast<WPARAM>(b.Canvas().Handle()), 0);
  EXPECT_EQ(b.GetPixel(5, 4), 0x0000FF);
}

TEST(GraphicControl, MouseOnItIsHandedOverInItsOwnCoordinates) {
  TPanel host(nullptr);
  host.SetBounds(0, 0, 20, 10);
  auto* swatch = new Swatch(&host);
  swatch->SetParent(&host);
  int clicks = 0, gx = -1, gy = -1;
  swatch->OnClick = [&](TObject*) { ++clicks; };
  swatch->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { gx = x; gy = y; };
  host.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 5));
  host.Perform(WM_LBUTTONUP, 0, MAKELPARAM(7, 5));
  EXPECT_EQ(gx, 2);
  EXPECT_EQ(gy, 1);
  EXPECT_EQ(clicks, 1);
}

TEST(Bitmap, DamagedHeadersAreRefusedWithoutReadingOutside) {
  // A 3 x 2 24-bit image written by SaveToStream, then every header byte set to a few
  // troublesome values; each load either succeeds within the buffer or refuses.
  TBitmap b(3, 2);
  const std::vector<std::uint8_t> good = b.SaveToStream();
  const std::uint8_t values[] = {0x00, 0x01, 0x08, 0x20, 0x7F, 0x80, 0xFF};
  for (size_t at = 0; at < 54; ++at)
    for (std::uint8_t v : values) {
      std::vector<std::uint8_t> bad = good;
      bad[at] = v;
      TBitmap c;
      if (c.LoadFromStream(bad)) {
        EXPECT_LE(static_cast<size_t>(c.Width()) * c.Height(), bad.size());
      }
    }
  for (size_t n = 0; n < good.size(); ++n) {
    TBitmap c;
    EXPECT_FALSE(c.LoadFromStream(std::span<const std::uint8_t>(good.data(), n)));
  }
}

TEST(Messages, ReplacedWindowProcSeesMessagesAndCanPassThemOn) {
  TPanel p(nullptr);
  int seen = 0;
  TWndMethod old = p.WindowProc;
  p.WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED) ++seen;
    old(m);
  };
  p.SetCaption("one");
  p.SetCaption("two");
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(p.Perform(WM_USER + 1), 0);
  p.WindowProc = old;
}
