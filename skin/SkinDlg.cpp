// The skinned dialog components: their look and published properties, and the message dialog's
// window put together for its buttons and picture.
#include "skin/SkinDlg.h"

#include <algorithm>
#include <memory>

#include "skin/FrmMsg.h"
#include "skin/SkinButton.h"
#include "skin/SkinKeys.h"
#include "skin/SkinPublic.h"

namespace skin {

using namespace forms;

namespace {

// The message pictures: four 42 x 42 pictures side by side (warning, stop, information, help).
constexpr const char* kPictures = "MSGDLG";
constexpr int kPictureCount = 4;

bool ReadInt(const TPropValue& v, std::int64_t& out) {
  if (!std::holds_alternative<std::int64_t>(v)) return false;
  out = std::get<std::int64_t>(v);
  return true;
}

}  // namespace

// ---- TSkinDialog ----------------------------------------------------------------------------

TSkinDialog::TSkinDialog(TComponent* owner) : TComponent(owner) {
  caption_font_.SetColor(clWhite);
  caption_font_.SetName("Tahoma");
  caption_font_.SetStyle(fsBold);
  SetUIStyle(OwnerFormUIStyle(owner));
}

TSkinDialog::~TSkinDialog() {
  BeginDestroy();
  look_.SetTheme(*this, nullptr);
}

void TSkinDialog::SetFileTheme(TSkinFileTheme* theme) {
  if (theme == look_.Theme()) return;
  look_.SetTheme(*this, theme);
  SetUIStyle(look_.Style());
}

void TSkinDialog::SetUIStyle(TSkinUIStyle s) {
  look_.SetStyle(s);
  if (look_.SkinMode()) {
    // A skin without one of the colours leaves that font as it is.
    if (auto title = look_.SkinColor(Skin2Color::TitleFontColor)) caption_font_.SetColor(*title);
    if (auto text = look_.SkinColor(Skin2Color::ControlFontColor)) font_.SetColor(*text);
    return;
  }
  font_.SetColor(clBlack);
  caption_font_.SetColor(s == TSkinUIStyle::MacOS ? clBlack : clWhite);
}

void TSkinDialog::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (look_.ThemeGone(c, op) && !IsDestroying()) SetUIStyle(TSkinUIStyle::DeepBlue);
}

bool TSkinDialog::GetPublished(std::string_view name, TPropValue* out) const {
  if (look_.GetPublished(name, out)) return true;
  if (name == "Position") {
    if (out) *out = static_cast<std::int64_t>(position_);
    return true;
  }
  if (name == "Caption") {
    if (out) *out = caption_;
    return true;
  }
  return TComponent::GetPublished(name, out);
}

bool TSkinDialog::SetPublished(std::string_view name, const TPropValue& v) {
  if (auto done = TSkinLook::SetPublished(*this, name, v)) return *done;
  std::int64_t n;
  if (name == "Position" && ReadInt(v, n)) {
    if (n < 0 || n > static_cast<std::int64_t>(TPosition::poOwnerFormCenter)) return false;
    position_ = static_cast<TPosition>(n);
    return true;
  }
  if (name == "Caption" && std::holds_alternative<std::string>(v)) {
    caption_ = std::get<std::string>(v);
    return true;
  }
  return TComponent::SetPublished(name, v);
}

// ---- TSkinMessageDialog ---------------------------------------------------------------------

TSkinMessageDialog::TSkinMessageDialog(TComponent* owner) : TSkinDialog(owner) {}

void TSkinMessageDialog::SetButtonCount(TSkinDialogButtonsCount n) {
  button_count_ = std::clamp(n, 1, 3);
}

std::string TSkinMessageDialog::ButtonCaption(int number) const {
  return number >= 1 && number <= 3 ? captions_[number - 1] : std::string();
}

void TSkinMessageDialog::SetButtonCaption(int number, const std::string& caption) {
  if (number >= 1 && number <= 3) captions_[number - 1] = caption;
}

TModalResult TSkinMessageDialog::ButtonModalResult(int number) const {
  return number >= 1 && number <= 3 ? results_[number - 1] : mrNone;
}

void TSkinMessageDialog::SetButtonModalResult(int number, TModalResult r) {
  if (number >= 1 && number <= 3) results_[number - 1] = r;
}

TfrmMsg* TSkinMessageDialog::BuildWindow() {
  // Owned by nobody: the caller frees it once it has closed.
  auto* w = new TfrmMsg(nullptr);
  w->Font().Assign(Font());
  w->lbl->Font().Assign(Font());
  w->lbl->SetCaption(Text());  // wraps at its width and grows downwards

  // Measured before the picture comes: the picture's place counts even when none is shown.
  const int b = std::max(w->Image1->Top() + w->Image1->Height(), w->lbl->Top() + w->lbl->Height());

  if (IconType() != TSkinIconType::skNone) {
    w->lbl->SetLeft(88);
    TBitmap strip;
    if (strip.LoadFromResourceName(GetModuleHandleA(nullptr), kPictures)) {
      TBitmap picture;
      ExtractFrame(strip, picture, kPictureCount, static_cast<int>(IconType()));
      w->Image1->Picture().SetGraphic(&picture);
    }
  } else {
    w->lbl->SetLeft(24);
    w->Image1->SetVisible(false);
    if (ButtonCount() < 3) w->SetWidth(w->Width() - 64);
  }

  const int width = w->Width();
  const int count = ButtonCount();
  for (int i = 0; i < count; ++i) {
    // Made right to left: the last one made is Button1, at the left, and keeps the focus.
    const int number = count - i;
    auto* button = new TSkinButton(w);
    button->SetParent(w->skForm1);
    button->SetBounds(width - 97 - 93 * i, b + 20, 73, 25);
    button->SetCursor(ButtonCursor());
    button->SetTabStop(true);
    button->SetTabOrder(1);
    button->SetCaption(ButtonCaption(number));
    const TModalResult result = ButtonModalResult(number);
    button->SetModalResult(result);
    button->SetCancel(result == mrCancel);
    button->SetDefault(result == mrOk);
    w->SetActiveControl(button);
  }

  w->SetHeight(b + 75);
  w->SetPosition(Position());
  w->skForm1->Realign();
  w->skForm1->SetCaption(Caption());
  w->skForm1->SetUIStyle(UIStyle());
  w->skForm1->SetFileTheme(FileTheme());
  // The buttons were made in the frame's first look; they take the dialog's as well.
  ApplyThemeToChildren(w->skForm1, UIStyle(), FileTheme());
  if (TSkinTitleBar* bar = w->skForm1->TitleBar()) bar->Font().Assign(CaptionFont());
  return w;
}

TModalResult TSkinMessageDialog::ShowDialog() {
  std::unique_ptr<TfrmMsg> w(BuildWindow());
  return w->ShowModal();
}

bool TSkinMessageDialog::GetPublished(std::string_view name, TPropValue* out) const {
  auto put = [out](TPropValue v) {
    if (out) *out = std::move(v);
    return true;
  };
  if (name == "ButtonCursor") return put(static_cast<std::int64_t>(ButtonCursor()));
  if (name == "ButtonCount") return put(static_cast<std::int64_t>(button_count_));
  if (name == "IconType") return put(static_cast<std::int64_t>(icon_type_));
  if (name == "Text") return put(text_);
  for (int i = 1; i <= 3; ++i) {
    const std::string n = std::to_string(i);
    if (name == "Button" + n + "Caption") return put(ButtonCaption(i));
    if (name == "Button" + n + "ModalResult")
      return put(static_cast<std::int64_t>(ButtonModalResult(i)));
  }
  return TSkinDialog::GetPublished(name, out);
}

bool TSkinMessageDialog::SetPublished(std::string_view name, const TPropValue& v) {
  std::int64_t n;
  if (name == "ButtonCursor" && ReadInt(v, n)) {
    SetButtonCursor(static_cast<TCursor>(n));
    return true;
  }
  if (name == "ButtonCount" && ReadInt(v, n)) {
    if (n < 1 || n > 3) return false;
    SetButtonCount(static_cast<int>(n));
    return true;
  }
  if (name == "IconType" && ReadInt(v, n)) {
    if (n < 0 || n > static_cast<std::int64_t>(TSkinIconType::skHelp)) return false;
    SetIconType(static_cast<TSkinIconType>(n));
    return true;
  }
  if (name == "Text" && std::holds_alternative<std::string>(v)) {
    SetText(std::get<std::string>(v));
    return true;
  }
  for (int i = 1; i <= 3; ++i) {
    const std::string num = std::to_string(i);
    if (name == "Button" + num + "Caption" && std::holds_alternative<std::string>(v)) {
      SetButtonCaption(i, std::get<std::string>(v));
      return true;
    }
    if (name == "Button" + num + "ModalResult" && ReadInt(v, n)) {
      SetButtonModalResult(i, static_cast<TModalResult>(n));
      return true;
    }
  }
  return TSkinDialog::SetPublished(name, v);
}

}  // namespace skin
