#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/WidgetDataText.h"

namespace {

// The smallest 'hier' entry: an empty name (its dropped unit and the NUL) and a tag.
constexpr int64_t kMinHierarchyEntryBytes = 8;

tResult ReadReported(tCStream* block, uint32_t* value, const char* failure)
{
    const tResult result = block->ReadU32(value);
    if (result != kResOk)
        ReportResult(kResResourceRead, failure);
    return result;
}

tResult ReadReported(tCStream* block, float* value, const char* failure)
{
    const tResult result = block->ReadFloat(value);
    if (result != kResOk)
        ReportResult(kResResourceRead, failure);
    return result;
}

// The index read as tCString::ToInteger reads numbers (blanks trimmed, a "-" makes it negative,
// an "x" switches to hexadecimal), but without its 32-bit wrap-around, so that "4294967299" is
// not taken for slot 3. Magnitudes beyond any slot are held at a bound.
int64_t UserDataIndex(const tCString& text)
{
    constexpr int64_t kBound = int64_t(1) << 40;
    const std::string digits = text.Trimmed(u"\t \n\r").ToAnsi();
    const size_t minus = digits.find('-');
    const size_t x = digits.find_first_of("xX");
    const int64_t base = x != std::string::npos ? 16 : 10;
    size_t at = x != std::string::npos ? x + 1 : (minus != std::string::npos ? minus + 1 : 0);
    int64_t value = 0;
    for (; at < digits.size(); ++at) {
        const char c = char(std::toupper(static_cast<unsigned char>(digits[at])));
        int64_t digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = std::min(value * base + digit, kBound);
    }
    return minus != std::string::npos ? -value : value;
}

// "index|type|value", type "int" or "real"; a real is kept as its 32 bits.
tResult ApplyUserData(CWidget* widget, const tCString& text)
{
    tCString index, rest, type, value;
    tResult split = tResult(text.SplitAtFirstOf(index, rest, u"|", false));
    if (split == kResOk)
        split = tResult(rest.SplitAtFirstOf(type, value, u"|", false));
    if (split != kResOk) {
        ReportResult(kResResourceRead, "Widget usrd.");
        return split;
    }
    const int64_t number = UserDataIndex(index);
    if (number > 7) {
        ReportResult(kResResourceRead, "Widget usrd index too high.");
        return kResBadParam;
    }
    // Below 0 the index passes and SetUserData ignores it.
    const int32_t slot = number < 0 ? -1 : int32_t(number);
    if (type == u"int") {
        widget->SetUserData(slot, uint32_t(value.ToInteger()));
    } else if (type == u"real") {
        const float real = float(std::strtod(value.ToAnsi().c_str(), nullptr));
        uint32_t bits;
        std::memcpy(&bits, &real, sizeof bits);
        widget->SetUserData(slot, bits);
    } else {
        ReportResult(kResResourceRead, "Widget usrd.");
        return kResBadParam;
    }
    return kResOk;
}

tResult ReadHierarchy(tCStream* block, CWidget::CWidgetDataHolder* holder)
{
    uint32_t count = 0;
    TK_TRY(ReadReported(block, &count, "Widget hierarchy entries."));
    // Every entry takes bytes of the block, so the count cannot be larger than they allow.
    if (int64_t(count) > (block->GetLength() - block->GetPosition()) / kMinHierarchyEntryBytes) {
        ReportResult(kResResourceRead, "Widget hierarchy entries.");
        return kResFileInvalid;
    }
    for (uint32_t i = 0; i < count; ++i) {
        tCString name;
        tResult result = ReadWidgetText(block, &name);
        if (result != kResOk) {
            ReportResult(kResResourceRead, "Widget hierarchy names.");
            return result;
        }
        uint32_t type = 0;
        TK_TRY(ReadReported(block, &type, "Widget hierarchy type."));
        TK_TRY(holder->childNames.Add(std::move(name)));
        TK_TRY(holder->childTypes.Add(type));
    }
    return kResOk;
}

}  // namespace

tResult CWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    // Flags are set by the value 1 only.
    struct tFlagRule {
        uint32_t tag;
        uint32_t CWidget::*field;
        const char* failure;
    };
    static const tFlagRule kFlags[] = {
        {MakeFourCC("actv"), &CWidget::m_active, "Widget actv."},
        {MakeFourCC("focs"), &CWidget::m_canGetFocus, "Widget focs."},
        {MakeFourCC("vsbl"), &CWidget::m_visible, "Widget vsbl."},
        {MakeFourCC("prop"), &CWidget::m_propOpacity, "Widget prop."},
        {MakeFourCC("oblt"), &CWidget::m_opaqueBlit, "Widget oblt."},
        {MakeFourCC("sipr"), &CWidget::m_stayInParent, "Widget sipr."},
    };
    struct tEventRule {
        uint32_t tag;
        uint32_t bits;
        const char* failure;
    };
    static const tEventRule kEvents[] = {
        {MakeFourCC("kydn"), eKeyEvent, "Widget kydn."},         {MakeFourCC("kyup"), eKeyEvent, "Widget kyup."},
        {MakeFourCC("timr"), eTimerEvent, "Widget timr."},       {MakeFourCC("hrtb"), eHeartbeatEvent, "Widget hrtb."},
        {MakeFourCC("msmv"), eMouseMoveEvent, "Widget msmv."},   {MakeFourCC("lbdn"), eLButtonEvent, "Widget lbdn."},
        {MakeFourCC("lbup"), eLButtonEvent, "Widget lbup."},     {MakeFourCC("mbdn"), eMButtonEvent, "Widget mbdn."},
        {MakeFourCC("mbup"), eMButtonEvent, "Widget mbup."},     {MakeFourCC("rbdn"), eRButtonEvent, "Widget rbdn."},
        {MakeFourCC("rbup"), eRButtonEvent, "Widget rbup."},     {MakeFourCC("mswh"), eMouseWheelEvent, "Widget mswh."},
    };
    struct tNumberRule {
        uint32_t tag;
        float CWidgetLayout::*field;
        const char* failure;
    };
    static const tNumberRule kNumbers[] = {
        {MakeFourCC("xpos"), &CWidgetLayout::x, "Widget xpsp."},
        {MakeFourCC("ypos"), &CWidgetLayout::y, "Widget ypsp."},
        {MakeFourCC("xsiz"), &CWidgetLayout::width, "Widget xszp."},
        {MakeFourCC("ysiz"), &CWidgetLayout::height, "Widget yszp."},
    };
    struct tLayoutFlagRule {
        uint32_t tag;
        uint32_t CWidgetLayout::*field;
        const char* failure;
    };
    static const tLayoutFlagRule kLayoutFlags[] = {
        {MakeFourCC("xpsr"), &CWidgetLayout::xRelative, "Widget xpsr."},
        {MakeFourCC("ypsr"), &CWidgetLayout::yRelative, "Widget ypsr."},
        {MakeFourCC("xpsd"), &CWidgetLayout::xFromRight, "Widget xpsd."},
        {MakeFourCC("ypsd"), &CWidgetLayout::yFromBottom, "Widget ypsd."},
        {MakeFourCC("xgrd"), &CWidgetLayout::xIsRightEdge, "Widget xgrd."},
        {MakeFourCC("ygrd"), &CWidgetLayout::yIsBottomEdge, "Widget ygrd."},
        {MakeFourCC("xcnt"), &CWidgetLayout::xCentred, "Widget xcnt."},
        {MakeFourCC("ycnt"), &CWidgetLayout::yCentred, "Widget ycnt."},
    };
    struct tSizeModeRule {
        uint32_t tag;
        uint32_t CWidgetLayout::*relative;
        uint32_t CWidgetLayout::*inset;
        const char* failure;
    };
    static const tSizeModeRule kSizeModes[] = {
        {MakeFourCC("xszr"), &CWidgetLayout::widthRelative, &CWidgetLayout::widthInset, "Widget xszr."},
        {MakeFourCC("yszr"), &CWidgetLayout::heightRelative, &CWidgetLayout::heightInset, "Widget yszr."},
    };
    static const uint32_t kIgnored[] = {MakeFourCC("autt"), MakeFourCC("ttrg"), MakeFourCC("ttrt"),
                                        MakeFourCC("tfpt")};

    uint32_t value = 0;
    for (const tFlagRule& rule : kFlags) {
        if (rule.tag != tag)
            continue;
        TK_TRY(ReadReported(block, &value, rule.failure));
        this->*rule.field = value == 1;
        return kResOk;
    }
    if (tag == MakeFourCC("opac")) {
        TK_TRY(ReadReported(block, &value, "Widget opac."));
        // An opacity beyond 255 would overflow every combination of opacities.
        m_opacity = std::min(value, 255u);
        return kResOk;
    }
    if (tag == MakeFourCC("opct")) {
        TK_TRY(ReadReported(block, &value, "Widget opct."));
        m_opaqueThreshold = value;
        return kResOk;
    }
    for (const tEventRule& rule : kEvents) {
        if (rule.tag != tag)
            continue;
        TK_TRY(ReadReported(block, &value, rule.failure));
        if (value == 1)
            EnableEvents(rule.bits, 0);
        else
            DisableEvents(rule.bits);
        return kResOk;
    }
    for (const tNumberRule& rule : kNumbers) {
        if (rule.tag != tag)
            continue;
        float number = 0.0f;
        TK_TRY(ReadReported(block, &number, rule.failure));
        m_layout.*rule.field = number;
        return kResOk;
    }
    for (const tLayoutFlagRule& rule : kLayoutFlags) {
        if (rule.tag != tag)
            continue;
        TK_TRY(ReadReported(block, &value, rule.failure));
        m_layout.*rule.field = value == 1;
        return kResOk;
    }
    for (const tSizeModeRule& rule : kSizeModes) {
        if (rule.tag != tag)
            continue;
        TK_TRY(ReadReported(block, &value, rule.failure));
        // 0 clears only the relative flag; 1 and 2 set theirs; anything else clears both.
        switch (value) {
        case 0: m_layout.*rule.relative = 0; break;
        case 1: m_layout.*rule.relative = 1; break;
        case 2: m_layout.*rule.inset = 1; break;
        default:
            m_layout.*rule.relative = 0;
            m_layout.*rule.inset = 0;
            break;
        }
        return kResOk;
    }
    if (std::find(std::begin(kIgnored), std::end(kIgnored), tag) != std::end(kIgnored)) {
        (void)block->ReadU32(&value);
        return kResOk;
    }
    if (tag == MakeFourCC("usrd")) {
        tCString text;
        const tResult result = ReadWidgetText(block, &text);
        if (result != kResOk) {
            ReportResult(kResResourceRead, "Widget usrd.");
            return result;
        }
        return ApplyUserData(this, text);
    }
    if (tag == MakeFourCC("hier"))
        return ReadHierarchy(block, holder);
    ReportResult(kResResourceRead, "Unrecognised chunk in widget.");
    return kResBadParam;
}
