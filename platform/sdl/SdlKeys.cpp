#include "platform/sdl/SdlKeys.h"

#include "platform/VirtualKeys.h"

namespace w32::sdl {

// The keys down are kept by scancode up to the main block's last, which the keypad's precede.
static_assert(SDL_SCANCODE_KP_PERIOD < std::tuple_size_v<tKeysDown>);

namespace {

int ByScancode(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_EQUALS:
        return VK_OEM_PLUS;
    case SDL_SCANCODE_MINUS:
        return VK_OEM_MINUS;
    case SDL_SCANCODE_GRAVE:
        return VK_OEM_3;
    case SDL_SCANCODE_SEMICOLON:
        return VK_OEM_1;
    case SDL_SCANCODE_SLASH:
        return VK_OEM_2;
    case SDL_SCANCODE_LEFTBRACKET:
        return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH:
        return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET:
        return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE:
        return VK_OEM_7;
    case SDL_SCANCODE_COMMA:
        return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD:
        return VK_OEM_PERIOD;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS:
        return VK_ADD;
    case SDL_SCANCODE_KP_MINUS:
        return VK_SUBTRACT;
    case SDL_SCANCODE_KP_DIVIDE:
        return VK_DIVIDE;
    case SDL_SCANCODE_KP_ENTER:
        return VK_RETURN;
    default:
        return 0;
    }
}

// The keypad's digit and decimal keys as X's keypad gives them: the digits and the decimal point
// with Num Lock on, the keys printed beside them with it off or with Shift held, which then make
// no character.
int KeypadKey(const SDL_Keysym& key)
{
    // SDL's order: 1 to 9, 0, the decimal key.
    constexpr int kNavigation[] = {VK_END,   VK_DOWN, VK_NEXT,  VK_LEFT,   VK_CLEAR, VK_RIGHT,
                                   VK_HOME,  VK_UP,   VK_PRIOR, VK_INSERT, VK_DELETE};
    if (key.scancode < SDL_SCANCODE_KP_1 || key.scancode > SDL_SCANCODE_KP_PERIOD)
        return 0;
    const int index = key.scancode - SDL_SCANCODE_KP_1;
    if (!(key.mod & KMOD_NUM) || (key.mod & KMOD_SHIFT))
        return kNavigation[index];
    if (key.scancode == SDL_SCANCODE_KP_PERIOD)
        return VK_DECIMAL;
    return key.scancode == SDL_SCANCODE_KP_0 ? VK_NUMPAD0 : VK_NUMPAD0 + 1 + index;
}

int ByKeycode(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + (key - SDLK_F1);
    switch (key) {
    case SDLK_RETURN:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_LSHIFT:
        return VK_LSHIFT;
    case SDLK_RSHIFT:
        return VK_RSHIFT;
    case SDLK_LCTRL:
        return VK_LCONTROL;
    case SDLK_RCTRL:
        return VK_RCONTROL;
    case SDLK_LALT:
        return VK_LMENU;
    case SDLK_RALT:
        return VK_RMENU;
    case SDLK_LGUI:
        return VK_LWIN;
    case SDLK_RGUI:
        return VK_RWIN;
    case SDLK_APPLICATION:
        return VK_APPS;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_NUMLOCKCLEAR:
        return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
        return VK_SCROLL;
    default:
        return 0;
    }
}

// A character beyond ASCII (a letter of another script, or an accented one), which names no
// virtual key.
bool BeyondAscii(SDL_Keycode key)
{
    return key >= 0x80 && !(key & SDLK_SCANCODE_MASK);
}

}  // namespace

tGroupKeys UnknownGroupKeys()
{
    tGroupKeys keys;
    keys.fill(-1);
    return keys;
}

int UsLetterAt(SDL_Scancode scancode)
{
    return scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z ? 'A' + (scancode - SDL_SCANCODE_A) : 0;
}

int VirtualKeyFor(const SDL_Keysym& key, bool rightAltIsAltGr, const tGroupKeys& groupKeys)
{
    // AltGr is no key for the program: what it makes comes as text.
    if (rightAltIsAltGr && key.scancode == SDL_SCANCODE_RALT)
        return 0;
    // SDL names a key by its symbol in the group its keymap was read in, whichever is in effect,
    // and the digit row by its place.
    if (size_t(key.scancode) < groupKeys.size() && groupKeys[size_t(key.scancode)] >= 0)
        return groupKeys[size_t(key.scancode)];
    if (const int byPlace = ByScancode(key.scancode))
        return byPlace;
    if (const int keypad = KeypadKey(key))
        return keypad;
    if (const int byName = ByKeycode(key.sym))
        return byName;
    return BeyondAscii(key.sym) ? UsLetterAt(key.scancode) : 0;
}

int KeyAsWentDown(const SDL_KeyboardEvent& key, int virtualKey, tKeysDown* down)
{
    if (size_t(key.keysym.scancode) >= down->size())
        return virtualKey;
    int& wentDown = (*down)[size_t(key.keysym.scancode)];
    // A press that is no repeat is the key's meaning now: the release of its last press may have
    // gone unseen (a dialog's hold drops it).
    const int named = wentDown && (key.type == SDL_KEYUP || key.repeat) ? wentDown : virtualKey;
    wentDown = key.type == SDL_KEYDOWN ? named : 0;
    return named;
}

}  // namespace w32::sdl
