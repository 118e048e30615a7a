#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/core/ResultCodes.h"

template <typename T>
class tCArray;
class tCString;
using tCStringArray = tCArray<tCString>;

// The toolkit's wide string: NUL-terminated UTF-16 units with a capacity that grows in steps of
// 16 units and never shrinks. A null text reads as "" everywhere. Index arguments out of range
// are clamped, never followed outside the text.
class tCString {
public:
    tCString() = default;
    tCString(const char16_t* text);  // NOLINT: wide literals convert implicitly, as texts do everywhere
    tCString(std::u16string_view text);
    tCString(const tCString& other);
    tCString(tCString&& other) noexcept;
    ~tCString() { Free(); }

    tCString& operator=(const tCString& other);
    tCString& operator=(tCString&& other) noexcept;
    tCString& operator=(const char16_t* text);

    // Builds a string from narrow (UTF-8) text; an empty string when memory runs out.
    static tCString FromAnsi(const char* text);
    static tCString FromAnsi(std::string_view text);

    // Builds a string from a file name's bytes, which ToFileName gives back unchanged (bytes
    // that are not UTF-8 are carried as lone surrogates); an empty string when memory runs out.
    static tCString FromFileName(std::string_view bytes);

    tResult SetText(const char16_t* text);
    tResult SetText(const char16_t* text, int32_t length);
    tResult Assign(const tCString& other);
    tResult AssignFromAnsi(const char* text);
    tResult AssignFromAnsi(const char* text, size_t bytes);
    tResult AssignFromFileName(std::string_view bytes);
    void Free();

    // The text as UTF-8, owned by the caller.
    std::string ToAnsi() const;
    // The bytes of the file the text names; false when it names none (see w32::WideToFileName).
    bool ToFileName(std::string* bytes) const;

    const char16_t* GetText() const { return m_text; }
    // The text, or "" when it is null: never null.
    const char16_t* GetTextOrEmpty() const { return m_text ? m_text : u""; }
    std::u16string_view View() const { return {GetTextOrEmpty(), size_t(m_length)}; }
    int32_t GetLength() const { return m_length; }
    int32_t GetCapacity() const { return m_capacity; }
    bool IsNull() const { return m_text == nullptr; }
    bool IsEmpty() const { return m_length == 0; }
    // The unit at `index`, or 0 outside the text.
    char16_t GetAt(int32_t index) const;

    bool operator==(const tCString& other) const { return View() == other.View(); }
    bool operator==(const char16_t* other) const { return View() == std::u16string_view(other ? other : u""); }

    tCString Concat(const tCString& other) const;
    static tCString Concat(const char16_t* first, const tCString& second);
    static tCString Concat(const char* ansiFirst, const tCString& second);

    tCString Left(int32_t n) const;
    tCString Right(int32_t n) const;
    tCString Mid(int32_t index, int32_t count) const;
    tCString Substring(int32_t first, int32_t last) const;

    tResult InsertChar(char16_t unit, int32_t index);
    tResult Insert(const tCString& other, int32_t index);
    void Erase(int32_t index, int32_t count);
    void ReplaceChar(char16_t from, char16_t to);
    int32_t ReplaceAll(const tCString& find, const tCString& replacement);

    void TrimChar(char16_t unit);
    void TrimStart(char16_t unit);
    void Trim(const tCString& set);
    tCString Trimmed(const tCString& set) const;

    int32_t FindFirstOf(const tCString& set) const;
    // Splits at the first unit found in `delimiters`: 0 when one was found, 2 when none was
    // (head is the whole text), 1 for an empty text (head and tail untouched).
    int32_t SplitAtFirstOf(tCString& head, tCString& tail, const tCString& delimiters, bool dropLast) const;
    // Appends the pieces between separators to `array`; answers its new count (0 for an empty text).
    int32_t Split(tCStringArray& array, char16_t separator) const;

    bool IsInteger() const;
    bool IsNumber() const;
    int32_t ToInteger() const;
    // A typed decimal whole number (blanks around it, an optional leading "-"), held at the
    // int32 limits when it lies beyond them; reading stops at the first other character. Unlike
    // ToInteger it never wraps, so a long number typed by a user stays a large one.
    int32_t ToSaturatedInteger() const;

private:
    static int32_t CapacityFor(int32_t units) { return (units + 16) & ~15; }
    // Makes room for `units` units (NUL included), keeping the text; 5 when memory runs out.
    tResult Reserve(int32_t units);
    bool Contains(char16_t unit) const;
    void TrimWhere(bool (*test)(char16_t, const void*), const void* context);

    char16_t* m_text = nullptr;
    int32_t m_capacity = 0;
    int32_t m_length = 0;
};

// Turns a length-prefixed byte string into a NUL-terminated one in place; answers the buffer.
unsigned char* LengthPrefixedToCString(unsigned char* buffer);
