#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "paint/engine/EngineResources.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

// The grey values of the test grains: image 80 is 4 x 4, the named grain 3 x 2, and the image
// the resource file and a file both hold under one name 2 x 2 (in the resource file) or 5 x 1
// (in the file).
inline uint8_t DefaultGrainValue(int32_t x, int32_t y) { return uint8_t(16 * (y * 4 + x) + 8); }
inline uint8_t NamedGrainValue(int32_t x, int32_t y) { return uint8_t(200 - 30 * (y * 3 + x)); }
inline uint8_t FileGrainValue(int32_t x, int32_t y) { return uint8_t(40 + 50 * x + y); }

inline constexpr char16_t kNamedGrain[] = u"Speckle";
inline constexpr char16_t kPresetHeaderText[] = u"Kostrel Canvas Preset";

// An application that records what it reports to the user.
class ReportingApp : public ScriptedApp {
public:
    tResult ReportError(tResult code, tCString text) override
    {
        reports.emplace_back(code, text.ToAnsi());
        return kResOk;
    }

    std::vector<std::pair<tResult, std::string>> reports;
};

// An 8-bit image of the given size filled by `value`.
inline void FillGrey(CImage8& image, uint8_t (*value)(int32_t, int32_t))
{
    CImNav8 view(&image);
    for (int32_t y = 0; y < view.GetHeight(); ++y)
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            view.Bytes(y)[x] = value(x, y);
}

// Writes an 8-bit grey PNG file of the given size filled by `value`.
inline void WriteGreyPng(const std::string& name, int32_t width, int32_t height, uint8_t (*value)(int32_t, int32_t))
{
    CImage8 image(width, height);
    ASSERT_TRUE(image.IsValid());
    FillGrey(image, value);
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(name)), tCFile::kAccessWrite), kResOk);
    ASSERT_EQ(EncodeImage8Stream(&file, &image, 5), kResOk);
}

// Whether the 8-bit image is `width` x `height` and holds `value` everywhere.
inline ::testing::AssertionResult HoldsGrey(CImage8* image, int32_t width, int32_t height,
                                            uint8_t (*value)(int32_t, int32_t))
{
    if (!image)
        return ::testing::AssertionFailure() << "no image";
    CImNav8 view(image);
    if (view.GetWidth() != width || view.GetHeight() != height)
        return ::testing::AssertionFailure() << view.GetWidth() << " x " << view.GetHeight();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (view.Bytes(y)[x] != value(x, y))
                return ::testing::AssertionFailure() << "at " << x << ", " << y << ": " << int(view.Bytes(y)[x]);
    return ::testing::AssertionSuccess();
}

// The same for a 32-bit image of opaque greys.
inline ::testing::AssertionResult HoldsGrey(CImage* image, int32_t width, int32_t height,
                                            uint8_t (*value)(int32_t, int32_t))
{
    if (!image)
        return ::testing::AssertionFailure() << "no image";
    CImNav view(image);
    if (view.GetWidth() != width || view.GetHeight() != height)
        return ::testing::AssertionFailure() << view.GetWidth() << " x " << view.GetHeight();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (view.Pixels(y)[x] != (value(x, y) * 0x010101u | 0xFF000000u))
                return ::testing::AssertionFailure() << "at " << x << ", " << y << ": " << std::hex << view.Pixels(y)[x];
    return ::testing::AssertionSuccess();
}

// An application started on a resource file and a string table of its own, in folders beside
// the test program: image 80, the named grain, and an image named by the full path of a file
// in the paper folder (`BothPath`) that holds another image; the preset header, and the paper
// folder text naming a folder of the test's own (all but the grains only `withTexts`).
class PaperApplication {
public:
    explicit PaperApplication(bool withTexts = true)
    {
        WriteGreyPng(resources.File("grain80.png"), 4, 4, DefaultGrainValue);
        WriteGreyPng(resources.File("named.png"), 3, 2, NamedGrainValue);
        WriteGreyPng(resources.File("both.png"), 2, 2, NamedGrainValue);
        WriteGreyPng(BothPath(), 5, 1, FileGrainValue);
        const std::string source = "vers 2\n"
                                   "imag 80 \"PP_FinePaper\" png \"grain80.png\"\n"
                                   "imag 81 \"" + tCString(kNamedGrain).ToAnsi() + "\" png \"named.png\"\n"
                                   "imag 82 \"" + BothPath() + "\" png \"both.png\"\n";
        tCMemFile compiled;
        std::string error;
        EXPECT_EQ(CompileResourceSource(source, {resources.Path()}, compiled, &error), kResOk) << error;
        WriteWholeFile(resources.File("system.trf"), Bytes(compiled));

        tCMemFile table;
        EXPECT_EQ(tCStringTable::WriteRecord(table, 0xB2D05E00u, 0, u"product", u"Kostrel 2"), kResOk);
        if (withTexts) {
            EXPECT_EQ(tCStringTable::WriteRecord(table, kStrPresetHeader, 0, u"presets.header", kPresetHeaderText),
                      kResOk);
            EXPECT_EQ(tCStringTable::WriteRecord(table, kStrPapersFolder, 0, u"papers.folder",
                                                 tCString::FromAnsi(papers.Name() + ":")),
                      kResOk);
        }
        WriteWholeFile(resources.File("system.tsf"), Bytes(table));
        app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        EXPECT_EQ(app.StartUp(), kResOk);
    }

    // A file in the paper folder whose full path also names a resource image.
    std::string BothPath() const { return papers.File("Both.png"); }

    static std::string Bytes(const tCMemFile& stream)
    {
        return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
    }

    ProgramSubfolder resources;
    ProgramSubfolder papers;
    ReportingApp app;
};
