#include "toolkit/imaging/PixelTile.h"

#include <algorithm>
#include <cstring>

#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelScale.h"

namespace {

// The phase of the pattern at the destination's top-left corner along one axis; C++ division
// and remainder, so the remainder takes the sign of the dividend.
void Phases(uint32_t mode, int32_t dw, int32_t dh, int32_t sw, int32_t sh, int32_t* ox, int32_t* oy)
{
    const int32_t right = sw - dw % sw - 1, bottom = sh - dh % sh - 1;
    switch (mode) {
    case kTileTopRight:
        *ox = right, *oy = 0;
        break;
    case kTileBottomLeft:
        *ox = 0, *oy = bottom;
        break;
    case kTileBottomRight:
        *ox = right, *oy = bottom;
        break;
    case kTileCentre:
        *ox = sw - ((dw - sw) / 2) % sw - 1;
        *oy = sh - ((dh - sh) / 2) % sh - 1;
        break;
    default:
        *ox = 0, *oy = 0;
        break;
    }
}

int32_t Wrap(int32_t phase, int32_t size)
{
    const int32_t start = phase % size;
    return start < 0 ? start + size : start;
}

bool HasNegative(const tCRect& r)
{
    return r.left < 0 || r.top < 0 || r.right < 0 || r.bottom < 0;
}

// One edge or centre piece of a frame: scaled, or tiled from phase (0, 0).
tResult DrawPiece(CImage* dest, const tCRect& to, CImage* source, const tCRect& from, uint32_t repeat, uint32_t box)
{
    if (HasNegative(to))
        return kResOk;
    CImNav d(dest, to);
    CImNav s(source, from);
    if (repeat)
        return TileBlit(&d, &s, kTileTopLeft);
    return ScaleBlit(&d, &s, box);
}

tResult CopyCorner(CImage* dest, const tCRect& to, CImage* source, const tCRect& from)
{
    if (HasNegative(to))
        return kResOk;
    CImNav d(dest, to);
    CImNav s(source, from);
    return CopyNavPixels(&d, &s);
}

}  // namespace

tResult TileBlit(CImNav* dest, const CImNav* source, uint32_t mode)
{
    for (const CImNav* view : {static_cast<const CImNav*>(dest), source})
        if (!view || !view->IsLocked() || view->GetBytesPerPixel() != 4)
            return kResBadParam;
    const int32_t dw = dest->GetWidth(), dh = dest->GetHeight();
    const int32_t sw = source->GetWidth(), sh = source->GetHeight();
    if (dest->IsEmpty() || source->IsEmpty())
        return kResOk;
    int32_t ox, oy;
    Phases(mode, dw, dh, sw, sh, &ox, &oy);
    const int32_t startColumn = Wrap(ox, sw);
    int32_t row = Wrap(oy, sh);
    for (int32_t y = 0; y < dh; ++y) {
        CPixel* out = dest->Pixels(y);
        const CPixel* in = source->Pixels(row);
        for (int32_t x = 0, column = startColumn; x < dw; column = 0) {
            const int32_t n = std::min(sw - column, dw - x);
            std::memmove(out + x, in + column, size_t(n) * sizeof(CPixel));
            x += n;
        }
        if (++row == sh)
            row = 0;
    }
    return kResOk;
}

tResult TileImage(CImage* dest, CImage* source, uint32_t mode)
{
    CImNav d(dest);
    CImNav s(source);
    if (!d.IsLocked() || !s.IsLocked())
        return kResNoMemory;
    return TileBlit(&d, &s, mode);
}

tResult NineSliceBlit(CImage* dest, CImage* source, uint32_t repeat)
{
    if (!dest || !source)
        return kResBadParam;
    const int32_t sw = source->GetWidth(), sh = source->GetHeight();
    const int32_t dw = dest->GetWidth(), dh = dest->GetHeight();
    const int32_t cw = std::min(sw / 3, dw / 2), ch = std::min(sh / 3, dh / 2);

    TK_TRY(CopyCorner(dest, {0, 0, cw, ch}, source, {0, 0, cw, ch}));
    TK_TRY(CopyCorner(dest, {dw - cw, 0, dw, ch}, source, {sw - cw, 0, sw, ch}));
    TK_TRY(CopyCorner(dest, {0, dh - ch, cw, dh}, source, {0, sh - ch, cw, sh}));
    TK_TRY(CopyCorner(dest, {dw - cw, dh - ch, dw, dh}, source, {sw - cw, sh - ch, sw, sh}));

    TK_TRY(DrawPiece(dest, {cw, 0, dw - cw, ch}, source, {cw, 0, sw - cw, ch}, repeat, 0));
    TK_TRY(DrawPiece(dest, {cw, dh - ch, dw - cw, dh}, source, {cw, sh - ch, sw - cw, sh}, repeat, 0));
    TK_TRY(DrawPiece(dest, {dw - cw, ch, dw, dh - ch}, source, {sw - cw, ch, sw, sh - ch}, repeat, 0));
    TK_TRY(DrawPiece(dest, {0, ch, cw, dh - ch}, source, {0, ch, cw, sh - ch}, repeat, 0));
    // The centre always takes the source's middle third, whatever the corners were clamped to.
    return DrawPiece(dest, {cw, ch, dw - cw, dh - ch}, source, {sw / 3, sh / 3, sw - sw / 3, sh - sh / 3}, repeat, 0);
}

tResult NineSliceScaleBlit(CImage* dest, CImage* source, uint32_t horizontal, uint32_t repeat)
{
    if (!dest || !source)
        return kResBadParam;
    const int32_t sw = source->GetWidth(), sh = source->GetHeight();
    const int32_t dw = dest->GetWidth(), dh = dest->GetHeight();
    const int32_t cw = std::min(sw / 3, dw / 2), ch = std::min(sh / 3, dh / 2);
    struct tPiece {
        tCRect to, from;
        bool middle;
    };
    const tPiece across[3] = {{{0, 0, cw, dh}, {0, 0, cw, dh}, false},
                              {{dw - cw, 0, dw, dh}, {sw - cw, 0, sw, dh}, false},
                              {{cw, 0, dw - cw, dh}, {cw, 0, sw - cw, dh}, true}};
    const tPiece down[3] = {{{0, 0, dw, ch}, {0, 0, dw, ch}, false},
                            {{0, dh - ch, dw, dh}, {0, sh - ch, dw, sh}, false},
                            {{0, ch, dw, dh - ch}, {0, ch, dw, sh - ch}, true}};
    for (const tPiece& piece : horizontal ? across : down) {
        if (piece.middle && HasNegative(piece.to))
            continue;
        CImNav d(dest, piece.to);
        CImNav s(source, piece.from);
        if (!d.IsLocked() || !s.IsLocked())
            return kResCreateFailed;
        TK_TRY(piece.middle && repeat ? TileBlit(&d, &s, kTileTopLeft) : ScaleBlit(&d, &s, 1));
    }
    return kResOk;
}
