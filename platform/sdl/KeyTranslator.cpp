#include "platform/sdl/KeyTranslator.h"

namespace w32::sdl {

tX11KeyboardLayout CKeyTranslator::Layout()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_onX11 && m_stale.exchange(false))
        (void)m_connection.Run([&](_XDisplay* display) { return ReadX11KeyboardLayout(display, &m_layout); });
    return m_layout;
}

void CKeyTranslator::X11KeyRead(eReader reader, int group, unsigned state)
{
    m_readers[reader].state = state;
    m_readers[reader].group = group;
}

int CKeyTranslator::VirtualKeyOf(eReader reader, const SDL_KeyboardEvent& key)
{
    tReader& read = m_readers[reader];
    const tX11KeyboardLayout layout = Layout();
    const int group = read.group.exchange(-1);
    const size_t keyGroup = size_t(group >= 0 ? group : GroupInEffect(layout)) & 3;
    const bool altGr = key.type == SDL_KEYDOWN && layout.rightAltIsAltGr[keyGroup];
    SDL_Keysym keysym = key.keysym;
    if (group >= 0 && layout.numLockMask) {
        const bool numLock = (read.state & layout.numLockMask) != 0;
        keysym.mod = Uint16(numLock ? (keysym.mod | KMOD_NUM) : (keysym.mod & ~KMOD_NUM));
    }
    return KeyAsWentDown(key, VirtualKeyFor(keysym, altGr, layout.groupKeys[keyGroup]), &read.down);
}

int CKeyTranslator::GroupInEffect(const tX11KeyboardLayout& layout)
{
    int group = layout.group;
    if (m_onX11)
        (void)m_connection.Run([&](_XDisplay* display) { return ReadX11KeyboardGroup(display, &group); });
    return group;
}

}  // namespace w32::sdl
