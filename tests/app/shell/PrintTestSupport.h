#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "platform/headless/ScriptedDesktop.h"
#include "tests/platform/NoCupsServer.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageFixtures.h"

// Printing tests run on the headless platform, whose print dialog answers from a script and
// which keeps every document; the PDF files are read back with poppler's tools.

// A colourful image with no white and no grey pixel, different at every position.
inline void Paint(CImage& image, uint32_t seed = 0)
{
    CImNav view(&image);
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const uint32_t red = (uint32_t(x) * 7 + seed) & 0xFF;
            const uint32_t green = (uint32_t(y) * 13 + seed * 3) & 0x7F;
            const uint32_t blue = 0x80 | ((uint32_t(x + y) * 5) & 0x7F);
            view.Pixels(y)[x] = 0xFF000000u | red << 16 | green << 8 | blue;
        }
    }
}

// A binary PPM (P6, 0x00RRGGBB pixels) or PGM (P5, grey levels) as poppler writes them.
struct tRaster {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

inline tRaster ReadNetpbm(const std::string& bytes)
{
    tRaster raster;
    std::istringstream in(bytes);
    std::string magic;
    int32_t maximum = 0;
    in >> magic >> raster.width >> raster.height >> maximum;
    in.get();
    const int channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    if (!in || channels == 0 || maximum != 255 || raster.width <= 0 || raster.height <= 0)
        return tRaster{};
    const size_t count = size_t(raster.width) * size_t(raster.height);
    const size_t start = size_t(in.tellg());
    if (bytes.size() < start + count * channels)
        return tRaster{};
    raster.pixels.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const auto byte = [&](int c) { return uint32_t(uint8_t(bytes[start + i * channels + c])); };
        raster.pixels[i] = channels == 3 ? byte(0) << 16 | byte(1) << 8 | byte(2) : byte(0);
    }
    return raster;
}

// Runs a tool of poppler-utils; its standard output, or "" when it failed.
inline std::string RunPoppler(const std::vector<std::string>& arguments)
{
    const w32::process::tProcessResult run = w32::process::RunForOutput(arguments);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << arguments[0] << " failed";
    return run.exitCode == 0 ? run.output : std::string();
}

// The page size pdfinfo gives, in points.
inline void PageSizeOf(const std::string& pdfFile, double* width, double* height)
{
    const std::string info = RunPoppler({"pdfinfo", pdfFile});
    const size_t at = info.find("Page size:");
    ASSERT_NE(at, std::string::npos) << info;
    std::istringstream line(info.substr(at + 10));
    std::string cross;
    line >> *width >> cross >> *height;
    ASSERT_EQ(cross, "x") << info;
}

// "Save as PDF" into `file`, on a page given in dots per inch and tenths of a millimetre.
inline void ScriptSaveAsPdf(const std::string& file, int32_t dotsPerInch = 0, int32_t paperWidth = 0,
                            int32_t paperLength = 0)
{
    w32::printing::tPrintDialogAnswer answer;
    answer.outcome = w32::printing::tPrintDialogAnswer::kChosen;
    answer.entry = w32::printing::kSaveAsPdf;
    answer.dotsPerInch = dotsPerInch;
    answer.paperWidth = paperWidth;
    answer.paperLength = paperLength;
    w32::headless::ScriptPrintDialog(answer);
    w32::headless::ScriptFileDialog(
        w32::desktop::tFileDialogAnswer{w32::desktop::tFileDialogAnswer::kChosen, w32::ToWide(file), 0});
}
