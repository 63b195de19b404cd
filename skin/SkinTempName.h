// Names of the temporary files that skin archives are extracted to.
#pragma once

#include <string>

namespace skin {

// The temporary folder (with its trailing separator) followed by a new GUID in braced text
// form, no extension.
std::string NewSkinTempName();

}  // namespace skin
