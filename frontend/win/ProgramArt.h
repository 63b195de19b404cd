// The program's own pictures, compiled in as bitmap resources by tools/program_art (one name
// per picture; a button has four, the name followed by _N, _H, _D and _X for normal, under the
// pointer, pressed and disabled), and the helpers that put them on controls.
#pragma once

#include "forms/Forms.h"
#include "skin/SkinButton.h"

namespace vardeck {

namespace art {
// Shared by every window.
inline constexpr const char* kTitleIcon = "ART_TITLE_ICON";            // 20 x 18
inline constexpr const char* kSizeGrip = "ART_SIZE_GRIP";              // 11 x 11
inline constexpr const char* kDialogButton = "ART_BTN_DIALOG";         // 73 x 24
// The start window.
inline constexpr const char* kHeaderLeft = "ART_HEADER_LEFT";          // 138 x 87
inline constexpr const char* kHeaderBand = "ART_HEADER_BAND";          // 586 x 87, stretched
inline constexpr const char* kQuickScanButton = "ART_BTN_QUICK";       // 173 x 51
inline constexpr const char* kFullScanButton = "ART_BTN_FULL";
inline constexpr const char* kFindFileButton = "ART_BTN_FIND";
inline constexpr const char* kRefreshButton = "ART_BTN_REFRESH";
inline constexpr const char* kHomePageButton = "ART_BTN_HOME";         // 193 x 24
inline constexpr const char* kSeparator = "ART_SEPARATOR";             // 173 x 5
inline constexpr const char* kHintPanel = "ART_HINT_PANEL";            // 173 x 67
inline constexpr const char* kDriveRows = "ART_DRIVE_ROWS";            // three 48 x 48 side by side
inline constexpr const char* kAboutLink = "ART_LINK_ABOUT";            // 16 x 16
inline constexpr const char* kHelpLink = "ART_LINK_HELP";              // 16 x 16
// The message box and the About window.
inline constexpr const char* kBoxPicture = "ART_BOX_PICTURE";          // 49 x 41
inline constexpr const char* kAboutSide = "ART_ABOUT_SIDE";            // 119 x 177
inline constexpr const char* kAboutLogo = "ART_ABOUT_LOGO";            // 22 x 29
inline constexpr const char* kWarningMark = "ART_WARNING_MARK";        // 18 x 15
// The results window.
inline constexpr const char* kItemPictures = "ART_ITEM_PICTURES";      // three 16 x 16
inline constexpr const char* kCheckStates = "ART_CHECK_STATES";        // four 16 x 16
inline constexpr const char* kSortArrows = "ART_SORT_ARROWS";          // three 16 x 16
inline constexpr const char* kListHeader = "ART_LIST_HEADER";          // 8 x 22, stretched
inline constexpr const char* kListHeaderLine = "ART_LIST_HEADER_LINE"; // 2 x 22
inline constexpr const char* kBackButton = "ART_BTN_BACK";             // 100 x 28
inline constexpr const char* kFilterButton = "ART_BTN_FILTER";
inline constexpr const char* kRecoverButton = "ART_BTN_RECOVER";
}  // namespace art

// Loads the named picture of the running program into `bitmap`; false (bitmap unchanged) when
// the program has no such picture.
bool LoadArtBitmap(forms::TBitmap& bitmap, const char* name);
// The picture into `picture`; a missing picture leaves it empty.
bool LoadArt(forms::TPicture& picture, const char* name);
// The four pictures of a button, stretched over it, and its caption's font (Tahoma, bold, the
// given size, white on the pictures' blue).
void WearButtonArt(skin::TSkinImageButton* button, const char* name, int font_size);

}  // namespace vardeck
