#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/widgets/WidgetResources.h"

// A resource file compiled from source after the pictures it names were written beside it as PNG
// files: 32-bit pictures, or 8-bit ones for masks.
class PictureFiles {
public:
    void Add(const std::string& file, CImage* picture)
    {
        Write(file, [&](tCStream* stream) { return EncodeImageStream(stream, picture, 5); });
    }
    void Add(const std::string& file, CImage8* mask)
    {
        Write(file, [&](tCStream* stream) { return EncodeImage8Stream(stream, mask, 5); });
    }

    std::unique_ptr<CompiledFile> Compile(const std::string& source)
    {
        tCMemFile out;
        std::string error;
        EXPECT_EQ(CompileResourceSource(source, {m_folder.Path()}, out, &error), kResOk) << error;
        const std::string bytes(reinterpret_cast<const char*>(out.GetData()), size_t(out.GetSize()));
        return CompiledFile::FromBytes(bytes);
    }

private:
    template <typename Encode>
    void Write(const std::string& file, Encode encode)
    {
        tCFile stream;
        ASSERT_EQ(stream.Open(tCFRef(tCString::FromAnsi(m_folder.File(file))), tCFile::kAccessWrite), kResOk);
        ASSERT_EQ(encode(&stream), kResOk);
    }

    TempFolder m_folder;
};
