#include "toolkit/core/tCString.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "toolkit/core/Memory.h"
#include "toolkit/core/TextCodec.h"
#include "toolkit/core/tCArray.h"

namespace {

int32_t UnitCount(const char16_t* text)
{
    int32_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

bool InSet(char16_t unit, const void* set)
{
    return static_cast<const tCString*>(set)->View().find(unit) != std::u16string_view::npos;
}

bool IsUnit(char16_t unit, const void* target)
{
    return unit == *static_cast<const char16_t*>(target);
}

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

}  // namespace

tCString::tCString(const char16_t* text)
{
    SetText(text);
}

tCString::tCString(std::u16string_view text)
{
    SetText(text.data(), int32_t(text.size()));
}

tCString::tCString(const tCString& other)
{
    SetText(other.GetTextOrEmpty(), other.m_length);
}

tCString::tCString(tCString&& other) noexcept
    : m_text(other.m_text), m_capacity(other.m_capacity), m_length(other.m_length)
{
    other.m_text = nullptr;
    other.m_capacity = other.m_length = 0;
}

tCString& tCString::operator=(const tCString& other)
{
    Assign(other);
    return *this;
}

tCString& tCString::operator=(tCString&& other) noexcept
{
    if (this != &other) {
        Free();
        m_text = other.m_text;
        m_capacity = other.m_capacity;
        m_length = other.m_length;
        other.m_text = nullptr;
        other.m_capacity = other.m_length = 0;
    }
    return *this;
}

tCString& tCString::operator=(const char16_t* text)
{
    SetText(text);
    return *this;
}

tCString tCString::FromAnsi(const char* text)
{
    tCString s;
    s.AssignFromAnsi(text);
    return s;
}

tCString tCString::FromAnsi(std::string_view text)
{
    tCString s;
    s.AssignFromAnsi(text.data(), text.size());
    return s;
}

tResult tCString::Reserve(int32_t units)
{
    if (units <= m_capacity)
        return kResOk;
    if (units < 1 || units > INT32_MAX - 16)
        return kResNoMemory;
    const int32_t capacity = CapacityFor(units - 1);
    void* grown = ToolkitRealloc(m_text, size_t(capacity) * sizeof(char16_t));
    if (!grown)
        return kResNoMemory;
    m_text = static_cast<char16_t*>(grown);
    if (m_capacity == 0)
        m_text[0] = 0;
    m_capacity = capacity;
    return kResOk;
}

tResult tCString::SetText(const char16_t* text)
{
    return SetText(text ? text : u"", UnitCount(text));
}

tResult tCString::SetText(const char16_t* text, int32_t length)
{
    if (length < 0 || (!text && length > 0))
        return kResBadParam;
    if (text == m_text && m_text)
        return kResOk;
    if (m_text && text >= m_text && text < m_text + m_capacity) {
        // Assigning a piece of this very text: the source survives a regrow only as a copy.
        tCString copy(std::u16string_view(text, size_t(length)));
        *this = std::move(copy);
        return m_text ? kResOk : kResNoMemory;
    }
    TK_TRY(Reserve(length + 1));
    if (length > 0)
        std::memcpy(m_text, text, size_t(length) * sizeof(char16_t));
    m_text[length] = 0;
    m_length = length;
    return kResOk;
}

tResult tCString::Assign(const tCString& other)
{
    if (this == &other)
        return m_text ? kResOk : SetText(u"");
    return SetText(other.GetTextOrEmpty(), other.m_length);
}

tCString tCString::FromFileName(std::string_view bytes)
{
    tCString s;
    s.AssignFromFileName(bytes);
    return s;
}

tResult tCString::AssignFromFileName(std::string_view bytes)
{
    const std::u16string wide = FileNameToWide(bytes);
    if (wide.size() >= size_t(INT32_MAX - 16))
        return kResNoMemory;
    return SetText(wide.data(), int32_t(wide.size()));
}

bool tCString::ToFileName(std::string* bytes) const
{
    return WideToFileName(View(), bytes);
}

tResult tCString::AssignFromAnsi(const char* text)
{
    return AssignFromAnsi(text, text ? std::strlen(text) : 0);
}

tResult tCString::AssignFromAnsi(const char* text, size_t bytes)
{
    if (!text || bytes == 0)
        return SetText(u"");
    const size_t units = AnsiToWide(text, bytes, nullptr);
    if (units >= size_t(INT32_MAX - 16))
        return kResNoMemory;
    TK_TRY(Reserve(int32_t(units) + 1));
    AnsiToWide(text, bytes, m_text);
    m_length = int32_t(units);
    m_text[m_length] = 0;
    return kResOk;
}

void tCString::Free()
{
    ToolkitFree(m_text);
    m_text = nullptr;
    m_capacity = m_length = 0;
}

std::string tCString::ToAnsi() const
{
    return WideToAnsi(GetTextOrEmpty(), size_t(m_length));
}

char16_t tCString::GetAt(int32_t index) const
{
    return (index >= 0 && index < m_length) ? m_text[index] : 0;
}

tCString tCString::Concat(const tCString& other) const
{
    if (!m_text)
        return tCString(other.View());
    tCString result(*this);
    if (other.m_length == 0 || !result.m_text)
        return result;
    if (result.Reserve(m_length + other.m_length + 1) != kResOk)
        return tCString();
    std::memcpy(result.m_text + m_length, other.m_text, size_t(other.m_length) * sizeof(char16_t));
    result.m_length = m_length + other.m_length;
    result.m_text[result.m_length] = 0;
    return result;
}

tCString tCString::Concat(const char16_t* first, const tCString& second)
{
    return tCString(first ? first : u"").Concat(second);
}

tCString tCString::Concat(const char* ansiFirst, const tCString& second)
{
    return FromAnsi(ansiFirst).Concat(second);
}

tCString tCString::Left(int32_t n) const
{
    if (n < 0 || n >= m_length)
        return tCString(View());
    return tCString(View().substr(0, size_t(n)));
}

tCString tCString::Right(int32_t n) const
{
    if (n <= 0)
        return tCString(u"");
    if (n >= m_length)
        return tCString(View());
    return tCString(View().substr(size_t(m_length - n)));
}

tCString tCString::Mid(int32_t index, int32_t count) const
{
    if (index < 0 || index >= m_length || count <= 0)
        return tCString(u"");
    return tCString(View().substr(size_t(index), size_t(count)));
}

tCString tCString::Substring(int32_t first, int32_t last) const
{
    if (!m_text)
        return tCString(u"");
    first = first < 0 ? 0 : first;
    last = last >= m_length ? m_length - 1 : last;
    if (first > last)
        return tCString(u"");
    return tCString(View().substr(size_t(first), size_t(last - first + 1)));
}

tResult tCString::InsertChar(char16_t unit, int32_t index)
{
    const char16_t one[2] = {unit, 0};
    return Insert(tCString(one), index);
}

tResult tCString::Insert(const tCString& other, int32_t index)
{
    if (other.m_length == 0)
        return kResOk;
    if (!m_text)
        return Assign(other);
    if (&other == this)
        return Insert(tCString(other), index);
    if (other.m_length > INT32_MAX - 17 - m_length)
        return kResNoMemory;
    index = index < 0 ? 0 : (index > m_length ? m_length : index);
    TK_TRY(Reserve(m_length + other.m_length + 1));
    std::memmove(m_text + index + other.m_length, m_text + index, size_t(m_length - index + 1) * sizeof(char16_t));
    std::memcpy(m_text + index, other.m_text, size_t(other.m_length) * sizeof(char16_t));
    m_length += other.m_length;
    return kResOk;
}

void tCString::Erase(int32_t index, int32_t count)
{
    if (!m_text || m_length == 0 || index < 0 || index > m_length || count <= 0)
        return;
    if (count > m_length - index)
        count = m_length - index;
    std::memmove(m_text + index, m_text + index + count, size_t(m_length - index - count + 1) * sizeof(char16_t));
    m_length -= count;
}

void tCString::ReplaceChar(char16_t from, char16_t to)
{
    for (int32_t i = 0; i < m_length; ++i)
        if (m_text[i] == from)
            m_text[i] = to;
}

int32_t tCString::ReplaceAll(const tCString& find, const tCString& replacement)
{
    if (!m_text || find.m_length == 0)
        return 0;
    const tCString what(find);
    const tCString with(replacement);
    int32_t count = 0;
    size_t start = 0;
    while (start < size_t(m_length)) {
        const size_t at = View().find(what.View(), start);
        if (at == std::u16string_view::npos)
            break;
        std::u16string rebuilt(View().substr(0, at));
        rebuilt += with.View();
        rebuilt += View().substr(at + size_t(what.m_length));
        if (SetText(rebuilt.data(), int32_t(rebuilt.size())) != kResOk)
            break;
        ++count;
        start = at + size_t(with.m_length);
    }
    return count;
}

void tCString::TrimWhere(bool (*test)(char16_t, const void*), const void* context)
{
    if (!m_text)
        return;
    int32_t first = 0;
    while (first < m_length && test(m_text[first], context))
        ++first;
    int32_t end = m_length;
    while (end > first && test(m_text[end - 1], context))
        --end;
    std::memmove(m_text, m_text + first, size_t(end - first) * sizeof(char16_t));
    m_length = end - first;
    m_text[m_length] = 0;
}

void tCString::TrimChar(char16_t unit)
{
    TrimWhere(IsUnit, &unit);
}

void tCString::TrimStart(char16_t unit)
{
    if (!m_text)
        return;
    int32_t first = 0;
    while (first < m_length && m_text[first] == unit)
        ++first;
    Erase(0, first);
}

void tCString::Trim(const tCString& set)
{
    if (set.m_length == 0)
        return;
    const tCString copy(set);
    TrimWhere(InSet, &copy);
}

tCString tCString::Trimmed(const tCString& set) const
{
    tCString copy(*this);
    copy.Trim(set);
    return copy;
}

bool tCString::Contains(char16_t unit) const
{
    return View().find(unit) != std::u16string_view::npos;
}

int32_t tCString::FindFirstOf(const tCString& set) const
{
    if (set.m_length == 0 || m_length == 0)
        return -1;
    const size_t at = View().find_first_of(set.View());
    return at == std::u16string_view::npos ? -1 : int32_t(at);
}

int32_t tCString::SplitAtFirstOf(tCString& head, tCString& tail, const tCString& delimiters, bool dropLast) const
{
    if (m_length == 0)
        return 1;
    const tCString self(*this);
    const int32_t n = self.FindFirstOf(delimiters);
    if (n < 0) {
        head = self;
        tail = u"";
        return 2;
    }
    head = self.Left(n);
    const int32_t tailEnd = dropLast ? self.m_length - 1 : self.m_length;
    tail = tailEnd > n + 1 ? tCString(self.View().substr(size_t(n + 1), size_t(tailEnd - n - 1))) : tCString(u"");
    return 0;
}

int32_t tCString::Split(tCStringArray& array, char16_t separator) const
{
    if (m_length == 0)
        return 0;
    const std::u16string_view text = View();
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            if (array.Add(tCString(text.substr(start, i - start))) != kResOk)
                break;
            start = i + 1;
        }
    }
    return array.GetCount();
}

bool tCString::IsInteger() const
{
    if (m_length == 0)
        return false;
    if (!IsDigit(m_text[0]) && m_text[0] != u'-')
        return false;
    for (int32_t i = 1; i < m_length; ++i)
        if (!IsDigit(m_text[i]))
            return false;
    return true;
}

bool tCString::IsNumber() const
{
    if (m_length == 0)
        return false;
    if (!Contains(u'.'))
        return IsInteger();
    tCString before, after;
    SplitAtFirstOf(before, after, u".", false);
    if (!before.IsInteger() && m_text[0] != u'.')
        return false;
    return after.IsInteger();
}

int32_t tCString::ToInteger() const
{
    if (!m_text)
        return 0;
    tCString copy = Trimmed(u"\t \n\r");
    int32_t start = 0;
    const int32_t minus = copy.FindFirstOf(u"-");
    if (minus >= 0)
        start = minus + 1;
    uint32_t base = 10;
    const int32_t x = copy.FindFirstOf(u"xX");
    if (x >= 0) {
        for (int32_t i = 0; i < copy.m_length; ++i)
            if (copy.m_text[i] >= u'a' && copy.m_text[i] <= u'z')
                copy.m_text[i] = char16_t(copy.m_text[i] - u'a' + u'A');
        base = 16;
        start = x + 1;
    }
    // Accumulated in u32 with wrap-around: callers read ids such as 0xB2D05E00 as u32.
    uint32_t value = 0;
    for (int32_t i = start; i < copy.m_length; ++i) {
        const char16_t c = copy.m_text[i];
        uint32_t digit;
        if (IsDigit(c))
            digit = c - u'0';
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        value = value * base + digit;
    }
    if (minus >= 0)
        value = 0u - value;
    return int32_t(value);
}

int32_t tCString::ToSaturatedInteger() const
{
    const tCString copy = Trimmed(u"\t \n\r");
    const bool negative = copy.m_length > 0 && copy.m_text[0] == u'-';
    // The magnitude stops growing one past the limit, so it can never overflow.
    const int64_t limit = negative ? -int64_t(INT32_MIN) : int64_t(INT32_MAX);
    int64_t magnitude = 0;
    for (int32_t i = negative ? 1 : 0; i < copy.m_length && IsDigit(copy.m_text[i]); ++i)
        magnitude = std::min(magnitude * 10 + (copy.m_text[i] - u'0'), limit);
    return int32_t(negative ? -magnitude : magnitude);
}

unsigned char* LengthPrefixedToCString(unsigned char* buffer)
{
    if (!buffer || buffer[0] == 0)
        return buffer;
    const size_t n = buffer[0];
    std::memmove(buffer, buffer + 1, n);
    buffer[n] = 0;
    return buffer;
}
