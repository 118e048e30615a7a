#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/WidgetDataText.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// Each chunk's read failure names it: "Backdrop grop." and so on.
std::string FailureText(uint32_t tag)
{
    return "Backdrop " + FourCCText(tag) + ".";
}

tResult Reported(tResult result, uint32_t tag)
{
    if (result != kResOk)
        ReportResult(kResResourceRead, FailureText(tag).c_str());
    return result;
}

// The leading decimal number of a text, truncated toward zero (0 when there is none); false
// when it is beyond what a point can hold.
bool ReadCoordinate(const tCString& text, int32_t* value)
{
    const double number = std::strtod(text.ToAnsi().c_str(), nullptr);
    if (!std::isfinite(number) || number <= double(INT32_MIN) - 1.0 || number >= double(INT32_MAX) + 1.0)
        return false;
    *value = int32_t(number);
    return true;
}

// "name|x,y": the cursor's resource name and its hotspot.
tResult ReadCursor(const tCString& text, CBackdrop::CBWidgetDataHolder* holder)
{
    tCString name, rest, x, y;
    tResult split = tResult(text.SplitAtFirstOf(name, rest, u"|", false));
    if (split == kResOk)
        split = tResult(rest.SplitAtFirstOf(x, y, u",", false));
    if (split != kResOk)
        return split;
    tCPoint hotspot;
    if (!ReadCoordinate(x, &hotspot.x) || !ReadCoordinate(y, &hotspot.y))
        return kResBadParam;
    TK_TRY(holder->cursorNames.Add(name));
    return holder->hotspots.Add(hotspot);
}

tResult CheckFinite(float value)
{
    return std::isfinite(value) ? kResOk : kResBadParam;
}

}  // namespace

const CWidget::tDataBlockTexts CBackdrop::kBackdropBlockTexts = {
    "Error reading backdrop data block size.", "Error setting backdrop memfile size",
    "Error reading backdrop data block.",      "Error rewinding backdrop data block.",
    "Error reading backdrop data chunk type.", "Error parsing backdrop data chunk type.",
    "Error constructing backdrop hierarchy.",
};

tResult CBackdrop::ReadDataBlock(tCStream* stream)
{
    CBWidgetDataHolder holder;
    TK_TRY(ReadBlockWith(stream, &holder, kBackdropBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CBackdrop*>(widget)->ParseDataChunk(tag, block, h);
                         }));
    return ApplyHolder(holder, stream);
}

tResult CBackdrop::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    auto* own = static_cast<CBWidgetDataHolder*>(holder);
    uint32_t value = 0;
    float number = 0.0f;
    tCString text;
    switch (tag) {
    case MakeFourCC("imag"): return Reported(ReadWidgetText(block, &own->imageName), tag);
    case MakeFourCC("grad"): return Reported(ReadWidgetText(block, &own->gradientName), tag);
    case MakeFourCC("dcur"): return Reported(ReadWidgetText(block, &own->defaultCursorName), tag);
    case MakeFourCC("curs"): {
        tResult result = ReadWidgetText(block, &text);
        if (result == kResOk)
            result = ReadCursor(text, own);
        return Reported(result, tag);
    }
    case MakeFourCC("whsb"):
        TK_TRY(Reported(block->ReadU32(&value), tag));
        m_systemBar = value != 0;
        return kResOk;
    case MakeFourCC("grop"):
        TK_TRY(Reported(block->ReadU32(&value), tag));
        // Beyond 255 the alpha scaling would overflow its 32-bit product.
        m_background.opacity = std::min(value, 255u);
        return kResOk;
    case MakeFourCC("grac"):
        TK_TRY(Reported(block->ReadU32(&value), tag));
        m_background.radial = value == 1;
        return m_background.gradient ? Invalidate(0) : kResOk;
    case MakeFourCC("fscr"):
        TK_TRY(Reported(block->ReadU32(&value), tag));
        own->fullScreen = value == 1;
        return kResOk;
    case MakeFourCC("colr"): return Reported(block->ReadU32(&m_background.colour), tag);
    case MakeFourCC("gran"):
    case MakeFourCC("grcx"):
    case MakeFourCC("grcy"): {
        tResult result = block->ReadFloat(&number);
        if (result == kResOk)
            result = CheckFinite(number);
        TK_TRY(Reported(result, tag));
        if (tag == MakeFourCC("gran")) {
            m_background.angle = number;
            return kResOk;
        }
        (tag == MakeFourCC("grcx") ? m_background.centreX : m_background.centreY) = number;
        return m_background.gradient ? Invalidate(0) : kResOk;
    }
    default: return CWidget::ParseDataChunk(tag, block, holder);
    }
}

tResult CBackdrop::ApplyHolder(CBWidgetDataHolder& holder, tCStream* stream)
{
    if (!holder.imageName.IsEmpty()) {
        CImage* image = LoadResImageByName(holder.imageName, stream, nullptr);
        if (!image) {
            ReportResult(kResCreateFailed, "Backdrop image load failed!");
            return kResResourceRead;
        }
        TK_TRY(SetBackgroundImage(image, 0));
    }
    if (!holder.gradientName.IsEmpty()) {
        CGradient* gradient = CGradient::NewFromResourceName(holder.gradientName, stream, nullptr);
        if (!gradient) {
            ReportResult(kResCreateFailed, "Backdrop gradient load failed!");
            return kResResourceRead;
        }
        ReplaceGradient(gradient);
    }
    for (int32_t i = 0; i < holder.cursorNames.GetCount(); ++i) {
        CWidget* cursor = CreateWidgetByResourceName(holder.cursorNames[i], stream);
        if (!cursor) {
            ReportResult(kResCreateFailed, "Backdrop cursor create failed!");
            return kResResourceRead;
        }
        if (AddCursor(cursor, &holder.hotspots[i]) != kResOk) {
            delete cursor;
            ReportResult(kResCreateFailed, "Backdrop cursor store failed!");
            return kResResourceRead;
        }
    }
    if (!holder.defaultCursorName.IsEmpty() && SelectCursorByName(holder.defaultCursorName) != kResOk) {
        ReportResult(kResBadParam, "Backdrop default cursor init failed!");
        return kResResourceRead;
    }
    if (holder.fullScreen) {
        GetLayout()->width = 10000.0f;
        GetLayout()->height = 10000.0f;
    }
    return kResOk;
}
