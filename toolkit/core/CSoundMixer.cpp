#include "toolkit/core/CSoundMixer.h"

#include "platform/Kernel.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/CWindowBase.h"

namespace {

constexpr w32::DWORD kStopWaitMs = 2000;

}  // namespace

CSoundMixer* ApplicationSoundMixer()
{
    CAppBase* application = GetApplication();
    return application ? dynamic_cast<CSoundMixer*>(application->GetSoundMixer()) : nullptr;
}

CSoundMixer::CSoundMixer()
{
    if (w32::FAILED(w32::DirectSoundCreate(nullptr, &m_device, nullptr)))
        m_device = nullptr;
}

CSoundMixer::~CSoundMixer()
{
    if (m_device)
        m_device->Release();
}

int32_t CSoundMixer::Play(CSound* sound, float)
{
    if (!m_device || !sound || !sound->GetBuffer())
        return 0;
    CWindowBase* window = GetMainWindow();
    if (w32::FAILED(m_device->SetCooperativeLevel(window ? window->GetHandle() : nullptr, w32::DSSCL_NORMAL)))
        return -1;
    return w32::FAILED(sound->GetBuffer()->Play(0, 0, 0)) ? -1 : 0;
}

void CSoundMixer::StopSound(CSound* sound)
{
    w32::IDirectSoundBuffer* buffer = sound ? sound->GetBuffer() : nullptr;
    if (!buffer)
        return;
    if (w32::FAILED(buffer->Stop()))
        return;
    const w32::DWORD start = w32::timeGetTime();
    w32::DWORD status = 0;
    while (w32::timeGetTime() - start < kStopWaitMs && !w32::FAILED(buffer->GetStatus(&status)) &&
           status == w32::DSBSTATUS_PLAYING)
        w32::Sleep(0);
}
