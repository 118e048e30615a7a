#include "platform/sdl/SentReleases.h"

namespace w32::sdl {

CSentReleases::tButton* CSentReleases::Find(int button)
{
    return button >= SDL_BUTTON_LEFT && button <= SDL_BUTTON_RIGHT ? &m_buttons[size_t(button - 1)] : nullptr;
}

void CSentReleases::PressDelivered(int button)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (tButton* b = Find(button))
        ++b->pressesDelivered;
}

void CSentReleases::ReleaseSent(int button)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (tButton* b = Find(button)) {
        b->endedPresses = b->pressesDelivered;
        ++b->releasesOnTheWay;
    }
}

bool CSentReleases::Admit(const SDL_MouseButtonEvent& event)
{
    std::lock_guard<std::mutex> guard(m_lock);
    tButton* b = Find(event.button);
    if (!b)
        return true;
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        ++b->pressesRead;
        b->releaseOwed = false;
        b->window = event.windowID;
        return true;
    }
    const bool drop = b->dropRelease;
    b->dropRelease = false;
    return !drop;
}

void CSentReleases::Read(const tX11Event& event)
{
    SDL_Event release{};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        tButton* b = Find(event.button);
        if (!b)
            return;
        const bool heldForSdl = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(event.button)) != 0;
        if (event.sent) {
            // Another client's release is none of ours.
            if (b->releasesOnTheWay == 0)
                return;
            --b->releasesOnTheWay;
            if (heldForSdl && b->pressesRead > b->endedPresses) {
                b->dropRelease = true;
                b->releaseOwed = true;
            }
            return;
        }
        if (!b->releaseOwed || heldForSdl)
            return;
        b->releaseOwed = false;
        release.button.type = SDL_MOUSEBUTTONUP;
        release.button.windowID = b->window;
        release.button.button = Uint8(event.button);
        release.button.state = SDL_RELEASED;
        release.button.clicks = 1;
        release.button.x = event.x;
        release.button.y = event.y;
    }
    // Outside the lock: the pushed release passes the filter again.
    SDL_PushEvent(&release);
}

}  // namespace w32::sdl
