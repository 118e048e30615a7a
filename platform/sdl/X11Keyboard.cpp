#include "platform/sdl/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstring>


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

struct tKeyPlace {
    const char* name;
    SDL_Scancode scancode;
};

// The keys that may stand for letters, by their key names: the letter and punctuation keys of
// the main block and the key between left Shift and Z. The digits stay digits.
constexpr tKeyPlace kKeyPlaces[] = {
    {"TLDE", SDL_SCANCODE_GRAVE}, {"AE11", SDL_SCANCODE_MINUS}, {"AE12", SDL_SCANCODE_EQUALS},
    {"AD01", SDL_SCANCODE_Q}, {"AD02", SDL_SCANCODE_W}, {"AD03", SDL_SCANCODE_E}, {"AD04", SDL_SCANCODE_R},
    {"AD05", SDL_SCANCODE_T}, {"AD06", SDL_SCANCODE_Y}, {"AD07", SDL_SCANCODE_U}, {"AD08", SDL_SCANCODE_I},
    {"AD09", SDL_SCANCODE_O}, {"AD10", SDL_SCANCODE_P}, {"AD11", SDL_SCANCODE_LEFTBRACKET},
    {"AD12", SDL_SCANCODE_RIGHTBRACKET}, {"BKSL", SDL_SCANCODE_BACKSLASH},
    {"AC01", SDL_SCANCODE_A}, {"AC02", SDL_SCANCODE_S}, {"AC03", SDL_SCANCODE_D}, {"AC04", SDL_SCANCODE_F},
    {"AC05", SDL_SCANCODE_G}, {"AC06", SDL_SCANCODE_H}, {"AC07", SDL_SCANCODE_J}, {"AC08", SDL_SCANCODE_K},
    {"AC09", SDL_SCANCODE_L}, {"AC10", SDL_SCANCODE_SEMICOLON}, {"AC11", SDL_SCANCODE_APOSTROPHE},
    {"LSGT", SDL_SCANCODE_NONUSBACKSLASH}, {"AB01", SDL_SCANCODE_Z}, {"AB02", SDL_SCANCODE_X},
    {"AB03", SDL_SCANCODE_C}, {"AB04", SDL_SCANCODE_V}, {"AB05", SDL_SCANCODE_B}, {"AB06", SDL_SCANCODE_N},
    {"AB07", SDL_SCANCODE_M}, {"AB08", SDL_SCANCODE_COMMA}, {"AB09", SDL_SCANCODE_PERIOD},
    {"AB10", SDL_SCANCODE_SLASH},
};

// The place of the key named `name`, SDL_SCANCODE_UNKNOWN for a key that stands for no letter.
SDL_Scancode PlaceOf(const char (&name)[XkbKeyNameLength])
{
    for (const tKeyPlace& place : kKeyPlaces)
        if (std::strncmp(name, place.name, XkbKeyNameLength) == 0)
            return place.scancode;
    return SDL_SCANCODE_UNKNOWN;
}

// 'A' to 'Z' for a Latin letter, 0 for any other symbol.
char LatinLetter(KeySym symbol)
{
    if (symbol >= XK_a && symbol <= XK_z)
        return char('A' + (symbol - XK_a));
    if (symbol >= XK_A && symbol <= XK_Z)
        return char('A' + (symbol - XK_A));
    return 0;
}

// A symbol that types a character beyond ASCII, as a letter of another script does: Latin-1's
// upper half, the older character sets below the dead and function keys, and the Unicode symbols.
bool TypesBeyondAscii(KeySym symbol)
{
    if ((symbol & 0xFF000000) == 0x01000000)
        return (symbol & 0xFFFFFF) >= 0x80;
    return symbol >= 0xA0 && symbol < 0xFE00;
}

// The Latin letter of the key's first level in the first of its groups that gives one, 0 where
// none does.
char FirstLatinLetter(XkbDescRec& keyboard, int code)
{
    for (int group = 0; group < XkbKeyNumGroups(&keyboard, code); ++group)
        if (const char letter = LatinLetter(XkbKeySymEntry(&keyboard, code, 0, group)))
            return letter;
    return 0;
}

void ReadLetters(XkbDescRec& keyboard, tX11KeyboardLayout* layout)
{
    layout->letters = UsShortcutLetters();
    for (int code = keyboard.min_key_code; code <= keyboard.max_key_code; ++code) {
        const SDL_Scancode place = PlaceOf(keyboard.names->keys[code].name);
        const int groups = XkbKeyNumGroups(&keyboard, code);
        if (place == SDL_SCANCODE_UNKNOWN || groups == 0)
            continue;
        char& first = layout->letters[size_t(place)];
        if (const char letter = FirstLatinLetter(keyboard, code))
            first = letter;
        for (size_t group = 0; group < layout->groupLetters.size(); ++group) {
            // A group past the key's own wraps round, as for the right Alt key.
            const KeySym symbol = XkbKeySymEntry(&keyboard, code, 0, int(group) % groups);
            const char letter = LatinLetter(symbol);
            layout->groupLetters[group][size_t(place)] = letter ? letter : TypesBeyondAscii(symbol) ? first : 0;
        }
    }
}

}  // namespace

bool ReadX11KeyboardLayout(Display* display, tX11KeyboardLayout* layout)
{
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
    return read;
}

}  // namespace w32::sdl
