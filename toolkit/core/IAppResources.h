#pragma once

class CResourceDirectory;
class tCStream;

// The application's resource file and its directory, which resource loads use when they are
// given no stream. The application object implements this and registers itself.
class IAppResources {
public:
    // Null while no resource file is open.
    virtual tCStream* GetResourceFile() = 0;
    virtual CResourceDirectory* GetResourceDirectory() = 0;

protected:
    ~IAppResources() = default;
};

IAppResources* GetAppResources();
void SetAppResources(IAppResources* resources);
