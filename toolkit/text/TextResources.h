#pragma once

#include "toolkit/core/ResourceUse.h"
#include "toolkit/text/tCFont.h"

// The faces that the text renderer asks the resource file for: its default face and the faces
// its bold and italic styles pick by name.
inline constexpr char kFontDefault[] = "Helvetica";
inline constexpr char kFontDefaultBold[] = "Helvetica Bold";
inline constexpr char kFontDefaultItalic[] = "Helvetica Italic";
inline constexpr char kFontDefaultBoldItalic[] = "Helvetica Bold Italic";

inline constexpr tResourceUse kTextResources[] = {
    {tCFont::kType, 0, 1, kFontDefault},
    {tCFont::kType, 0, 1, kFontDefaultBold},
    {tCFont::kType, 0, 1, kFontDefaultItalic},
    {tCFont::kType, 0, 1, kFontDefaultBoldItalic},
};
