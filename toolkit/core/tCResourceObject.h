#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

class CResourceDirectory;
class tCStream;

// An object that loads itself from the resource file by id or by name. A null stream means the
// application's resource file.
class tCResourceObject : public tCCmdTarget {
public:
    explicit tCResourceObject(uint32_t type) : m_type(type) {}

    uint32_t GetType() const { return m_type; }
    uint32_t GetId() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }
    const tCString& GetName() const { return m_name; }
    void SetName(const tCString& name) { m_name = name; }

    // Set once a resource pool owns the object: only the pool deletes it then.
    bool IsPoolOwned() const { return m_poolOwned; }
    void MarkPoolOwned() { m_poolOwned = true; }

    // Scan the chunks from the stream's position, wrapping once to the start, for a resource
    // of the type with that id or exact name. On success the object takes the resource's id
    // and name and the stream stands at the resource's data. 17 when the stream is not open or
    // a chunk runs past the end of the file, 22 when there is no such resource.
    tResult ReadResHeaderById(uint32_t type, uint32_t id, tCStream* stream);
    tResult ReadResHeaderByName(uint32_t type, const tCString& name, tCStream* stream);

    // Where the data of the resource found by the last header scan ends; readers of the data
    // stay within it.
    int64_t GetDataEnd() const { return m_dataEnd; }

protected:
    // The common first steps of every load: choose the stream (the application's resource
    // file and its directory when none or that file is given), move to the directory's entry,
    // and read the header of this object's type. `used` receives the stream, and `version`
    // the file version of the directory used (1 without one).
    tResult LocateById(uint32_t id, tCStream* stream, CResourceDirectory* directory, tCStream** used,
                       uint32_t* version = nullptr);
    tResult LocateByName(const tCString& name, tCStream* stream, CResourceDirectory* directory, tCStream** used,
                         uint32_t* version = nullptr);

private:
    struct tKey {
        uint32_t id;
        const tCString* name;
    };
    tResult ScanHeaders(uint32_t type, const tKey& key, tCStream* stream);
    tResult Locate(const tKey& key, tCStream* stream, CResourceDirectory* directory, tCStream** used,
                   uint32_t* version);

    uint32_t m_id = 0;
    uint32_t m_type;
    bool m_poolOwned = false;
    tCString m_name;
    int64_t m_dataEnd = 0;
};
