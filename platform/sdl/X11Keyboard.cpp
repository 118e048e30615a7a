#include "platform/sdl/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cctype>
#include <cstring>

#include "platform/sdl/X11Screen.h"

namespace w32::sdl {
namespace {

// The key the layout's key names call RALT (its alias ALGR names the same key), whatever its
// key code; 0 where none does.
int RightAltKeyCode(const XkbDescRec& keyboard)
{
    for (int code = keyboard.min_key_code; code <= keyboard.max_key_code; ++code)
        if (std::strncmp(keyboard.names->keys[code].name, "RALT", XkbKeyNameLength) == 0)
            return code;
    return 0;
}

void ReadRightAlt(XkbDescRec& keyboard, tX11KeyboardLayout* layout)
{
    const int code = RightAltKeyCode(keyboard);
    const int groups = code ? XkbKeyNumGroups(&keyboard, code) : 0;
    for (int group = 0; groups > 0 && group < int(layout->rightAltIsAltGr.size()); ++group) {
        // A group past the key's own wraps round, as the server takes it by default.
        const KeySym symbol = XkbKeySymEntry(&keyboard, code, 0, group % groups);
        layout->rightAltIsAltGr[size_t(group)] = symbol == XK_ISO_Level3_Shift || symbol == XK_Mode_switch;
    }
}

struct tLetterRow {
    const char* place;
    const char* letters;
};

// The US letters of the letter keys, row by row, as the key names give their places.
constexpr tLetterRow kLetterRows[] = {{"AD", "QWERTYUIOP"}, {"AC", "ASDFGHJKL"}, {"AB", "ZXCVBNM"}};

// The index of the US letter of the key named `name` (AD01 the first of the top letter row), -1
// for a key at no letter's place.
int UsLetterIndex(const char (&name)[XkbKeyNameLength + 1])
{
    if (!std::isdigit(static_cast<unsigned char>(name[2])) || !std::isdigit(static_cast<unsigned char>(name[3])))
        return -1;
    const size_t column = size_t((name[2] - '0') * 10 + (name[3] - '0'));
    for (const tLetterRow& row : kLetterRows) {
        if (std::strncmp(name, row.place, 2) == 0 && column >= 1 && column <= std::strlen(row.letters))
            return row.letters[column - 1] - 'A';
    }
    return -1;
}

// The Latin letter ('A' to 'Z') of the key's first level in the group, 0 for any other symbol.
char LatinLetter(XkbDescRec& keyboard, int code, int group)
{
    const KeySym symbol = XkbKeySymEntry(&keyboard, code, 0, group);
    if (symbol >= XK_a && symbol <= XK_z)
        return char('A' + (symbol - XK_a));
    if (symbol >= XK_A && symbol <= XK_Z)
        return char('A' + (symbol - XK_A));
    return 0;
}

void ReadLetters(XkbDescRec& keyboard, tX11KeyboardLayout* layout)
{
    layout->letters = UsShortcutLetters();
    for (int code = keyboard.min_key_code; code <= keyboard.max_key_code; ++code) {
        char name[XkbKeyNameLength + 1] = {};
        std::memcpy(name, keyboard.names->keys[code].name, XkbKeyNameLength);
        const int index = UsLetterIndex(name);
        const int groups = XkbKeyNumGroups(&keyboard, code);
        if (index < 0 || groups == 0)
            continue;
        char first = 0;
        for (size_t group = 0; group < layout->groupLetters.size(); ++group) {
            // A group past the key's own wraps round, as for the right Alt key.
            const char letter = LatinLetter(keyboard, code, int(group) % groups);
            layout->groupLetters[group][size_t(index)] = letter;
            first = first ? first : letter;
        }
        if (first)
            layout->letters[size_t(index)] = first;
    }
}

}  // namespace

bool ReadX11KeyboardLayout(tX11KeyboardLayout* layout)
{
    if (!OnX11())
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    bool read = false;
    if (XkbDescPtr keyboard = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd)) {
        XkbStateRec state{};
        if (XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success && keyboard->names && keyboard->names->keys &&
            XkbGetState(display, XkbUseCoreKbd, &state) == Success) {
            tX11KeyboardLayout fresh;
            fresh.group = state.group;
            ReadRightAlt(*keyboard, &fresh);
            ReadLetters(*keyboard, &fresh);
            *layout = fresh;
            read = true;
        }
        XkbFreeKeyboard(keyboard, 0, True);
    }
    XCloseDisplay(display);
    return read;
}

}  // namespace w32::sdl
