#include "toolkit/core/CApp.h"

#include <new>

#include "toolkit/core/CSoundMixer.h"
#include "toolkit/core/CTabletInput.h"

CApp::CApp()
{
    // Without memory for the mixer the application stays silent.
    SetSoundMixer(new (std::nothrow) CSoundMixer);
    SetTabletInputFactory(MakeTabletInput);
}
