// The product's fixed texts: window captions, the message-box title and the addresses shown
// in the About window and opened by the home-page buttons.
#pragma once

#include <string_view>

namespace vardeck {

// Captions are the title followed by the version: " Tolvane  2.4"; the About window trims.
inline constexpr std::string_view ProductTitle = " Tolvane ";
inline constexpr std::string_view ProductVersion = " 2.4";
inline constexpr std::string_view MessageBoxTitle = "Attention";
inline constexpr std::string_view HomePageAddress = "https://tolvane.example/";
inline constexpr std::string_view SupportAddress = "support@tolvane.example";

}  // namespace vardeck
