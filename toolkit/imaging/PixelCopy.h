#pragma once

#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CImNav.h"

// Copies and conversions between views of equal size. Each answers 6 for a null or unlocked
// view, 0 at once when the destination is empty, and 6 when the sizes or pixel sizes differ.

// Copies row by row, top to bottom.
tResult CopyNavRows(CImNavBase* dest, const CImNavBase* source);
// As CopyNavRows, and safe when both views lie on the same image and overlap.
tResult CopyNavPixels(CImNavBase* dest, const CImNavBase* source);
// pixel = v x 0x010101 | 0xFF000000
tResult ConvertGrey8ToArgb(CImNav* dest, const CImNav8* source);
// byte = (blue + green + red) / 3
tResult ConvertArgbToGrey8(CImNav8* dest, const CImNav* source);

// Unpacks the rows of a packed CImage (into a 4-byte view) or CImage8 (into a 1-byte view), as
// far as both reach. 6 for an unusable view or a source that is not packed; 0 for other pixel
// sizes, writing nothing.
tResult ExpandRleToNav(CImNavBase* dest, CImageBase* source);
// Copies the overlap of both images at (0, 0), either of them packed or not; a packed
// destination is unpacked for the copy and packed again. 5 when an image cannot be viewed.
tResult CopyImageToImage(CImageBase* dest, CImageBase* source);
