#include "toolkit/core/tCResourceObject.h"

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"

namespace {

tCStream* AppResourceFile()
{
    CAppBase* application = GetApplication();
    return application ? application->GetResourceFile() : nullptr;
}

}  // namespace

tResult tCResourceObject::ReadResHeaderById(uint32_t type, uint32_t id, tCStream* stream)
{
    return ScanHeaders(type, tKey{id, nullptr}, stream);
}

tResult tCResourceObject::ReadResHeaderByName(uint32_t type, const tCString& name, tCStream* stream)
{
    if (name.IsNull())
        return kResResourceNotFound;
    return ScanHeaders(type, tKey{0, &name}, stream);
}

tResult tCResourceObject::ScanHeaders(uint32_t type, const tKey& key, tCStream* stream)
{
    if (!stream)
        stream = AppResourceFile();
    if (!stream || !stream->IsOpen())
        return kResFileInvalid;
    const int64_t start = stream->GetPosition();
    if (start < 0)
        return kResFileIO;
    bool wrapped = false;
    // Every chunk moves the scan forward by at least its header, so one pass ends.
    for (;;) {
        const int64_t position = stream->GetPosition();
        if (wrapped && position >= start)
            return kResResourceNotFound;
        if (stream->IsAtEnd()) {
            TK_TRY(stream->Rewind());
            wrapped = true;
            continue;
        }
        tResourceChunk chunk;
        TK_TRY(ReadResourceChunkHeader(*stream, &chunk));
        if (chunk.tag == type) {
            uint32_t id;
            TK_TRY(ReadResourcePreamble(*stream, chunk.payloadEnd, &id, nullptr));
            if (key.name || id == key.id) {
                tCString name;
                TK_TRY(ReadResourceName(*stream, chunk.payloadEnd, &name));
                if (!key.name || name == *key.name) {
                    m_id = id;
                    m_name = name;
                    m_dataEnd = chunk.payloadEnd;
                    return kResOk;
                }
            }
        }
        TK_TRY(stream->SetPosition(chunk.payloadEnd));
    }
}

tResult tCResourceObject::Locate(const tKey& key, tCStream* stream, CResourceDirectory* directory, tCStream** used,
                                 uint32_t* version)
{
    tCStream* appFile = AppResourceFile();
    if (!stream || stream == appFile) {
        stream = appFile;
        CAppBase* application = GetApplication();
        directory = application ? application->GetResourceDirectory() : nullptr;
        if (directory && directory->GetCount() == 0)
            directory = nullptr;
    }
    if (!stream)
        return kResBadParam;
    if (directory) {
        // The entry may belong to another type with the same key: the scan then goes on from it.
        const int64_t position = key.name ? directory->FindResourceByName(*key.name) : directory->FindResourceById(key.id);
        if (position >= 0 && position != stream->GetPosition())
            TK_TRY(stream->SetPosition(position));
    }
    if (version)
        *version = directory ? directory->GetVersion() : 1;
    *used = stream;
    return key.name ? ReadResHeaderByName(m_type, *key.name, stream) : ReadResHeaderById(m_type, key.id, stream);
}

tResult tCResourceObject::LocateById(uint32_t id, tCStream* stream, CResourceDirectory* directory, tCStream** used,
                                     uint32_t* version)
{
    return Locate(tKey{id, nullptr}, stream, directory, used, version);
}

tResult tCResourceObject::LocateByName(const tCString& name, tCStream* stream, CResourceDirectory* directory,
                                       tCStream** used, uint32_t* version)
{
    return Locate(tKey{0, &name}, stream, directory, used, version);
}
