#include "app/shell/IPreferences.h"

namespace {

class CNoPreferencesFile final : public IPreferences {
public:
    tResult ReadPreferences(CHMRBackdrop&) override { return kResHandled; }
    tResult WritePreferences(CHMRBackdrop&) override { return kResOk; }
};

}  // namespace

IPreferences& NoPreferencesFile()
{
    static CNoPreferencesFile none;
    return none;
}
