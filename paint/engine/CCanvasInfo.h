#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

class CImage;
class CImage8;
class tCFPath;
class tCStream;

// Preset records: tag 0 the flag, 1 the name, 2 the paper's name, 3 its colour, 4 its opacity,
// 5 to 9 grain scale, paper spare, grain depth, paper shine and paper extra.
enum : uint32_t {
    kPresetFlag = 0,
    kPresetName = 1,
    kPresetPaperName = 2,
    kPresetPaperColour = 3,
    kPresetPaperOpacity = 4,
    kPresetGrainScale = 5,
    kPresetPaperSpare = 6,
    kPresetGrainDepth = 7,
    kPresetPaperShine = 8,
    kPresetPaperExtra = 9,
};

// The paper settings of a new painting: what the new-painting dialog and the paper panels fill
// in, what a preset stores, and what a layer takes its paper from and reports into.
//
// A preset file is the string-table text kStrPresetHeader as a UTF-16 line ended by CR LF, then
// the ten records as tagged chunks in the order of their tags; texts are UTF-16 with CR LF.
class CCanvasInfo : public tCBaseObject {
public:
    // Writes a preset from the stream's start; 24 when the string table lacks the header.
    tResult WritePreset(tCStream* stream) const;
    // Writes a preset through a temporary file that replaces the file only once all was
    // written, asking for a path when the given one is empty (2 when the user cancels).
    tResult SavePresetFile(tCFPath& path) const;
    // Reads a preset from the stream's start, in any order of records, skipping unknown tags:
    // 6 without a stream or for another first line (nothing then changes), 17 for a record that
    // is empty, runs past the end or is shorter than its value. The fields of the records read
    // before a failure keep what they read. A value that is not finite is not taken; fractions
    // are clamped to 0..1 (paperSpare excepted) and the paper opacity to 0..255.
    tResult ReadPreset(tCStream* stream);
    tResult LoadPreset(tCStream* stream) { return ReadPreset(stream); }
    // Reads the payload of one record at the stream's position into the field of `tag`.
    tResult ApplyPresetRecord(tCStream* stream, uint32_t tag, int64_t length);

    // The paper texture as a new opaque 32-bit grey image owned by the caller, or null when it
    // cannot be had: the paperImage when paperName is empty; else the resource image of that
    // name, the image file of that path, or the file of that name in the paper folder
    // (kStrPapersFolder), the first that exists. A file is decoded only when the size its header
    // gives fits in the memory left.
    CImage* LoadPaperTexture() const;
    // The paper texture as a new 8-bit grain image owned by the caller, or null when it cannot
    // be had: a copy of paperImage when paperName is empty, else the grey of LoadPaperTexture.
    // No copy is made that would not fit in the memory left.
    CImage8* BuildPaperGrain() const;
    // Whether a layer takes the paper it took from `other` from this info too: the same colour,
    // opacity, grain settings and texture (the same name, or without one the same image). The
    // name and the flag are the preset's, not the paper's.
    bool GivesPaperOf(const CCanvasInfo& other) const;

    tCString name;
    // A resource image name, a file path or a file name in the paper folder; empty means that
    // paperImage is the texture.
    tCString paperName;
    uint32_t paperColour = 0xFFFFFFFAu;
    int32_t paperOpacity = 255;
    float grainScale = 0.5f;
    float paperSpare = 0.0f;
    float grainDepth = 0.5f;
    float paperShine = 0.3f;
    float paperExtra = 0.0f;
    // An 8-bit grey paper texture; not owned by the info.
    CImage8* paperImage = nullptr;
    uint32_t flag = 1;

private:
    // LoadPaperTexture, decoding a file only when `besideBytes` more a pixel fit beside it.
    CImage* LoadTexture(int32_t besideBytes) const;
};
