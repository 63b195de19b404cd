// The picture both skinned list views' tests write: a list in each of the five built-in looks
// and the skin archive's, two a row on one borderless form, with the same columns and rows, so
// that the two views can be compared look by look.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Forms.h"
#include "skin/SkinPublic.h"
#include "tests/support/WindowRobot.h"

namespace tolvane_test {

template <typename View, typename Bar>
class ListViewGallery {
 public:
  static constexpr int kW = 340, kH = 176, kGap = 8;
  static constexpr int kLooks = 6;  // the built-in looks 1 to 5, then the skin archive

  ListViewGallery() {
    form.SetBorderStyle(forms::TFormBorderStyle::bsNone);
    form.SetBounds(0, 0, 2 * kW + 3 * kGap, 3 * kH + 4 * kGap);
    form.SetColor(0xF3F4F4);
    theme = new skin::TSkinFileTheme(&form);
    theme->SetThemeFile("theme_fixtures\\theme.ssk");
  }

  // A list of look `style` in its place with its outside bars: `setup` gives it what only this
  // kind of view has before the look is set, `dressed` after the columns and rows are in;
  // `row(item, i)` adds to each row what only this kind of view shows. The first row names
  // the look.
  View* Add(int style, int first_column_image, const std::function<void(View*)>& setup,
            const std::function<void(View*)>& dressed,
            const std::function<void(forms::TListItem*, int)>& row) {
    static const char* const kNames[] = {"",        "MacOS",     "WinXP",       "DeepBlue",
                                         "Protein", "BlueGlass", "Skin archive"};
    const int x = kGap + ((style - 1) % 2) * (kW + kGap);
    const int y = kGap + ((style - 1) / 2) * (kH + kGap);
    auto* v = new Bar(&form);
    v->SetOrientation(skin::TSkinProgressBarOrientation::skVertical);
    v->SetBounds(0, 0, 18, 100);
    v->SetParent(&form);
    auto* h = new Bar(&form);
    h->SetBounds(0, 0, 100, 18);
    h->SetParent(&form);
    auto* l = new View(&form);
    l->SetBounds(x, y, kW, kH);
    l->SetRowSelect(true);
    l->SetReadOnly(true);
    l->SetHideSelection(false);
    setup(l);
    if (style == kLooks) {
      l->SetFileTheme(theme);
      l->SetUIStyle(skin::TSkinUIStyle::FromThemeFile);
    } else {
      l->SetUIStyle(static_cast<skin::TSkinUIStyle>(style));
    }
    struct Col { const char* caption; int width; forms::TAlignment align; int image; };
    for (Col c : {Col{"Filename", 140, forms::TAlignment::taLeftJustify, first_column_image},
                  Col{"Size", 80, forms::TAlignment::taRightJustify, -1},
                  Col{"Status of the file", 70, forms::TAlignment::taCenter, -1},
                  Col{"Date Modified", 120, forms::TAlignment::taLeftJustify, -1}}) {
      forms::TListColumn* col = l->Columns().Add();
      col->SetCaption(c.caption);
      col->SetWidth(c.width);
      col->SetAlignment(c.align);
      col->SetImageIndex(c.image);
    }
    for (int i = 0; i < 14; ++i) {
      forms::TListItem* it = l->Items().Add();
      it->SetCaption(i == 0 ? std::string(kNames[style]) : "file_" + std::to_string(i) + ".txt");
      it->SubItems() = {std::to_string(i * 37 % 900) + " KB", i % 3 ? "Good" : "Very good",
                        "2024-05-0" + std::to_string(i % 9 + 1)};
      row(it, i);
    }
    dressed(l);
    l->SetParent(&form);
    l->SetVScrollBar(v);
    l->SetHScrollBar(h);
    lists.push_back(l);
    return l;
  }

  // Shows the form, lets `shown` act on each list, and takes the form's picture as the screen
  // shows it into `shot`, written as tests/artifacts/<file>.
  void Shoot(const std::function<void(View*)>& shown, const std::string& file,
             forms::TBitmap& shot) {
    form.Show();
    Pump(80);
    for (View* l : lists) {
      shown(l);
      UpdateWindow(l->Handle());
    }
    Pump(80);
    GrabWindow(form.Handle(), shot);
    SavePicture(shot, file);
  }

  forms::TForm form{nullptr};
  skin::TSkinFileTheme* theme;
  std::vector<View*> lists;
};

}  // namespace tolvane_test
