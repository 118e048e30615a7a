#pragma once

#include <string>

// The fonts installed on the system, as the registry's machine font list shows them.
namespace w32::fonts {

// The file of the regular face of a family whose name matches `family` exactly (ASCII case
// aside); false when no installed family has that name.
bool FindFamilyFile(const std::u16string& family, std::u16string* path);
// Lets go of the font library's state; the platform does so when it stops.
void CloseFontLibrary();

}  // namespace w32::fonts
