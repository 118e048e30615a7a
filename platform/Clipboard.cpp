#include "platform/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/Kernel.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

struct tGlobal {
    std::vector<BYTE> bytes;
};

struct tClipboard {
    std::mutex lock;
    DWORD openBy = 0;
    HGLOBAL pending = nullptr;
    UINT pendingFormat = 0;
    bool emptied = false;
    std::vector<HGLOBAL> handedOut;
};

tClipboard& Clipboard()
{
    static tClipboard* clipboard = new tClipboard;
    return *clipboard;
}

tGlobal* GlobalOf(HGLOBAL memory)
{
    return reinterpret_cast<tGlobal*>(memory);
}

HGLOBAL MakeGlobal(const void* data, size_t bytes)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalOf(memory)->bytes.data(), data, bytes);
    return memory;
}

std::u16string TextOf(HGLOBAL memory, UINT format)
{
    const std::vector<BYTE>& bytes = GlobalOf(memory)->bytes;
    if (format == CF_UNICODETEXT) {
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return text.substr(0, text.find(u'\0'));
    }
    const std::string narrow(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ToWide(narrow.substr(0, narrow.find('\0')));
}

bool IsOpenHere(const tClipboard& c)
{
    return c.openBy != 0 && c.openBy == GetCurrentThreadId();
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes)
{
    auto* memory = new tGlobal;
    memory->bytes.assign(std::max<size_t>(bytes, 1), 0);
    return reinterpret_cast<HGLOBAL>(memory);
}

void* GlobalLock(HGLOBAL memory)
{
    return memory ? GlobalOf(memory)->bytes.data() : nullptr;
}

BOOL GlobalUnlock(HGLOBAL)
{
    return 0;
}

size_t GlobalSize(HGLOBAL memory)
{
    return memory ? GlobalOf(memory)->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    delete GlobalOf(memory);
    return nullptr;
}

BOOL OpenClipboard(HWND)
{
    tClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.openBy != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    c.openBy = GetCurrentThreadId();
    c.emptied = false;
    return 1;
}

BOOL EmptyClipboard()
{
    tClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!IsOpenHere(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    GlobalFree(c.pending);
    c.pending = nullptr;
    c.emptied = true;
    return 1;
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL memory)
{
    tClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!IsOpenHere(c) || !c.emptied || !memory || (format != CF_TEXT && format != CF_UNICODETEXT)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    GlobalFree(c.pending);
    c.pending = memory;
    c.pendingFormat = format;
    return memory;
}

HGLOBAL GetClipboardData(UINT format)
{
    tClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    CBackend* backend = GetBackend();
    std::u16string text;
    if (!IsOpenHere(c) || !backend || (format != CF_TEXT && format != CF_UNICODETEXT) ||
        !backend->GetClipboardText(&text))
        return nullptr;
    HGLOBAL memory;
    if (format == CF_UNICODETEXT) {
        memory = MakeGlobal(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    } else {
        const std::string narrow = ToAnsi(text);
        memory = MakeGlobal(narrow.c_str(), narrow.size() + 1);
    }
    c.handedOut.push_back(memory);
    return memory;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    CBackend* backend = GetBackend();
    std::u16string text;
    return backend && (format == CF_TEXT || format == CF_UNICODETEXT) && backend->GetClipboardText(&text) ? 1 : 0;
}

BOOL CloseClipboard()
{
    tClipboard& c = Clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!IsOpenHere(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    CBackend* backend = GetBackend();
    if (c.emptied && backend)
        backend->SetClipboardText(c.pending ? TextOf(c.pending, c.pendingFormat) : std::u16string());
    GlobalFree(c.pending);
    c.pending = nullptr;
    for (HGLOBAL memory : c.handedOut)
        GlobalFree(memory);
    c.handedOut.clear();
    c.openBy = 0;
    return 1;
}

}  // namespace w32
