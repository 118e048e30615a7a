#include "platform/sdl/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>

#include "platform/VirtualKeys.h"

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

// The keys of the main block by their key names: the digit row, the letter and punctuation keys
// and the key between left Shift and Z.
constexpr tKeyPlace kKeyPlaces[] = {
    {"TLDE", SDL_SCANCODE_GRAVE}, {"AE01", SDL_SCANCODE_1}, {"AE02", SDL_SCANCODE_2}, {"AE03", SDL_SCANCODE_3},
    {"AE04", SDL_SCANCODE_4}, {"AE05", SDL_SCANCODE_5}, {"AE06", SDL_SCANCODE_6}, {"AE07", SDL_SCANCODE_7},
    {"AE08", SDL_SCANCODE_8}, {"AE09", SDL_SCANCODE_9}, {"AE10", SDL_SCANCODE_0}, {"AE11", SDL_SCANCODE_MINUS},
    {"AE12", SDL_SCANCODE_EQUALS},
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

// The place of the key named `name`, SDL_SCANCODE_UNKNOWN for a key outside the main block.
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

// A letter of a script other than Latin: the older character sets of Katakana, Arabic, Cyrillic,
// Greek, Hebrew, Thai and Korean, and the Unicode symbols of the scripts from Greek on, less the
// Latin letters, punctuation and symbols among them.
bool OtherScript(KeySym symbol)
{
    if ((symbol & 0xFF000000) != 0x01000000) {
        const KeySym set = symbol >> 8;
        return (set >= 0x4 && set <= 0x7) || (set >= 0xC && set <= 0xE);
    }
    const KeySym code = symbol & 0xFFFFFF;
    return (code >= 0x370 && code < 0x1E00) || (code >= 0x1F00 && code < 0x2000) || (code >= 0x2E80 && code < 0xA720) ||
           (code >= 0xA800 && code < 0xAB30) || (code >= 0xAB70 && code < 0xD800);
}

// The virtual key a digit or a punctuation character names, as a Windows layout gives the
// punctuation keys theirs by what they show (the US layout's characters, and '+'); 0 for any
// other symbol.
int CharacterKey(KeySym symbol)
{
    // The Unicode symbols of ASCII are its characters.
    if ((symbol & 0xFFFFFF80) == 0x01000000)
        symbol &= 0x7F;
    if (symbol >= XK_0 && symbol <= XK_9)
        return int('0' + (symbol - XK_0));
    switch (symbol) {
    case XK_semicolon:
        return VK_OEM_1;
    case XK_equal:
    case XK_plus:
        return VK_OEM_PLUS;
    case XK_comma:
        return VK_OEM_COMMA;
    case XK_minus:
        return VK_OEM_MINUS;
    case XK_period:
        return VK_OEM_PERIOD;
    case XK_slash:
        return VK_OEM_2;
    case XK_grave:
        return VK_OEM_3;
    case XK_bracketleft:
        return VK_OEM_4;
    case XK_backslash:
        return VK_OEM_5;
    case XK_bracketright:
        return VK_OEM_6;
    case XK_apostrophe:
        return VK_OEM_7;
    default:
        return 0;
    }
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

// What a key stands for in a group, from its symbols there unshifted and shifted: the Latin letter
// it shows; for a letter of another script the letter of the key in the first group that gives it
// a Latin one, else the US letter at its place (`letter`), else its place; the digit or
// punctuation it shows unshifted, else the digit it shows shifted (AZERTY's digit row). An accented
// letter, a dead key or another symbol stands for no key.
int KeyShown(KeySym unshifted, KeySym shifted, int letter)
{
    if (const char latin = LatinLetter(unshifted))
        return latin;
    if (OtherScript(unshifted))
        return letter ? letter : -1;
    if (const int key = CharacterKey(unshifted))
        return key;
    const int digit = CharacterKey(shifted);
    return digit >= '0' && digit <= '9' ? digit : 0;
}

// A key of the digit row that stands for no key stands for the digit of its place, unless another
// key shows that digit: some layouts put letters there unshifted and shifted (Lithuanian), others
// move the digits (Programmer Dvorak).
void GiveDigitsTheirPlaces(tGroupKeys* keys)
{
    for (int scancode = SDL_SCANCODE_1; scancode <= SDL_SCANCODE_0; ++scancode) {
        const int digit = scancode == SDL_SCANCODE_0 ? '0' : '1' + (scancode - SDL_SCANCODE_1);
        int16_t& key = (*keys)[size_t(scancode)];
        if (key == 0 && std::find(keys->begin(), keys->end(), digit) == keys->end())
            key = int16_t(digit);
    }
}

void ReadGroupKeys(XkbDescRec& keyboard, tX11KeyboardLayout* layout)
{
    for (int code = keyboard.min_key_code; code <= keyboard.max_key_code; ++code) {
        const SDL_Scancode place = PlaceOf(keyboard.names->keys[code].name);
        const int groups = XkbKeyNumGroups(&keyboard, code);
        if (place == SDL_SCANCODE_UNKNOWN || groups == 0)
            continue;
        const char first = FirstLatinLetter(keyboard, code);
        const int letter = first ? first : UsLetterAt(place);
        for (size_t group = 0; group < layout->groupKeys.size(); ++group) {
            // A group past the key's own wraps round, as for the right Alt key.
            const int wrapped = int(group) % groups;
            const KeySym unshifted = XkbKeySymEntry(&keyboard, code, 0, wrapped);
            const KeySym shifted =
                XkbKeyGroupWidth(&keyboard, code, wrapped) > 1 ? XkbKeySymEntry(&keyboard, code, 1, wrapped) : NoSymbol;
            layout->groupKeys[group][size_t(place)] = int16_t(KeyShown(unshifted, shifted, letter));
        }
    }
    for (tGroupKeys& keys : layout->groupKeys)
        GiveDigitsTheirPlaces(&keys);
}

}  // namespace

bool ReadX11KeyboardLayout(Display* display, tX11KeyboardLayout* layout)
{
    bool read = false;
    if (XkbDescPtr keyboard = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd)) {
        tX11KeyboardLayout fresh;
        if (XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success && keyboard->names && keyboard->names->keys &&
            ReadX11KeyboardGroup(display, &fresh.group)) {
            ReadRightAlt(*keyboard, &fresh);
            ReadGroupKeys(*keyboard, &fresh);
            fresh.numLockMask = XkbKeysymToModifiers(display, XK_Num_Lock);
            *layout = fresh;
            read = true;
        }
        XkbFreeKeyboard(keyboard, 0, True);
    }
    return read;
}

bool ReadX11KeyboardGroup(Display* display, int* group)
{
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return false;
    *group = state.group;
    return true;
}

}  // namespace w32::sdl
