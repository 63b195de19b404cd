// TfrmMsg: the message window's layout as its form describes it, copying the message with
// Ctrl+C, and the widening for frames with a thick border.
#include "skin/FrmMsg.h"

#include <cstring>

#include "skin/SkinButton.h"
#include "skin/SkinTitleBar.h"

namespace skin {

using namespace forms;

namespace {

constexpr const char* kRule = "---------------------------";  // 27 dashes
constexpr TColor kFrameColor = 15263976;                       // $E8E8E8
constexpr int kLabelWidth = 225;

}  // namespace

std::string MessageCopyText(const std::string& caption, const std::string& text,
                            const std::vector<std::string>& buttons) {
  std::string captions;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (i) captions += "   ";
    captions += buttons[i];
  }
  const std::string rule = kRule;
  return rule + "\r\n" + caption + "\r\n" + rule + "\r\n" + text + "\r\n" + rule + "\r\n" +
         captions + "\r\n" + rule;
}

bool PutClipboardText(HWND owner, const std::string& text) {
  if (!OpenClipboard(owner)) return false;
  bool ok = false;
  if (EmptyClipboard()) {
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
      if (void* p = GlobalLock(mem)) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(mem);
        // The clipboard owns the memory once it took it; otherwise it is still ours.
        ok = SetClipboardData(CF_TEXT, mem) != nullptr;
      }
      if (!ok) GlobalFree(mem);
    }
  }
  CloseClipboard();
  return ok;
}

TfrmMsg::TfrmMsg(TComponent* owner) : TForm(owner) {
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetClientWidth(336);
  SetClientHeight(140);
  Font().SetName("MS Sans Serif");
  Font().SetSize(8);
  SetKeyPreview(true);
  OnShow = [this](TObject* s) { FormShow(s); };
  OnKeyDown = [this](TObject* s, WORD& key, TShiftState shift) { FormKeyDown(s, key, shift); };

  skForm1 = new TSkinForm(this);
  skForm1->SetName("skForm1");
  skForm1->SetUIStyle(TSkinUIStyle::DeepBlue);
  skForm1->SetBorderColor(clBlack);
  skForm1->SetBorderWidth(1);
  skForm1->SetColor(kFrameColor);
  if (TSkinTitleBarButtons* buttons = skForm1->TitleBarButtons()) {
    buttons->Clear();
    buttons->Add()->SetButtonType(TSkinTitleBarBtnType::skClose);
  }
  skForm1->SetTitleBarDrawAppIcon(false);
  if (TSkinTitleBar* bar = skForm1->TitleBar()) {
    bar->Font().SetName("Tahoma");
    bar->Font().SetStyle(fsBold);
    bar->Font().SetColor(clWhite);
  }

  lbl = new TLabel(this);
  lbl->SetName("lbl");
  lbl->SetParent(skForm1);
  // A message is shown as it is written: an ampersand in it is no accelerator.
  lbl->SetShowAccelChar(false);
  lbl->SetTransparent(true);
  lbl->SetBounds(88, 64, kLabelWidth, 13);
  lbl->SetWordWrap(true);

  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetParent(skForm1);
  Image1->SetBounds(24, 64, 40, 40);
  Image1->SetAutoSize(true);
  // The pictures stand on the transparent key, so that they sit on any look's colour.
  Image1->SetTransparent(true);
}

std::string TfrmMsg::CopyText() const {
  std::vector<std::string> captions;
  for (TComponent* c : Components())
    if (auto* b = dynamic_cast<TSkinButton*>(c)) captions.push_back(b->Caption());
  return MessageCopyText(skForm1->Caption(), lbl->Caption(), captions);
}

void TfrmMsg::FormShow(TObject*) {
  if (!HandleAllocated()) return;
  const int side = static_cast<int>(SendMessageA(Handle(), kFrameSideQuery, 0, 0));
  if (side > 6) SetWidth(Width() + 2 * side);
}

void TfrmMsg::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
  if ((shift & ssCtrl) && key == 'C') PutClipboardText(Handle(), CopyText());
}

}  // namespace skin
