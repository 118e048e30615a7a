#pragma once

#include "toolkit/core/ResourceUse.h"
#include "toolkit/core/tCString.h"
#include "toolkit/imaging/CImageBase.h"

// The resources and string-table texts that the painting engine loads.

// The 8-bit paper grain of a new painting, used whenever a named texture cannot be had.
inline constexpr uint32_t kImgDefaultGrain = 80;
// An 8-bit image the lighting renderer holds.
inline constexpr uint32_t kImgRendererTexture = 10;

// The product's name, the creator line of project files.
inline constexpr uint32_t kStrProductName = 0xB2D05E00;
// The titles of the progress of opening and of saving a project.
inline constexpr uint32_t kStrOpeningProject = 0xB2D05EDC;
inline constexpr uint32_t kStrSavingProject = 0xB2D05EDD;
// The first line of a canvas preset file.
inline constexpr uint32_t kStrPresetHeader = 0xB2D05E40;
// The first line of a colour-list file.
inline constexpr uint32_t kStrColourListHeader = 0xB2D05E45;
// The folder of paper textures, relative to the program's folder (":" separated, ending in ":").
inline constexpr uint32_t kStrPapersFolder = 0xB2D05E46;
// The title of the progress of a save or an image export.
inline constexpr uint32_t kStrSavingProgress = 0xB2D05EDD;
// Reported when the painting cannot be exported as an image of the chosen type.
inline constexpr uint32_t kStrExportFailed = 0xB2D05E28;
// An image export's progress: the render, the encoding, the view's render again.
inline constexpr int32_t kExportProgressSteps = 3;

inline constexpr tResourceUse kEngineResources[] = {
    {CImageBase::kType, kImgDefaultGrain},
    {CImageBase::kType, kImgRendererTexture},
    {kStringTableText, kStrProductName},
    {kStringTableText, kStrOpeningProject},
    {kStringTableText, kStrSavingProject},
    {kStringTableText, kStrPresetHeader},
    {kStringTableText, kStrColourListHeader},
    {kStringTableText, kStrPapersFolder},
    {kStringTableText, kStrSavingProgress},
    {kStringTableText, kStrExportFailed},
};

// The application's string-table text of `id` in `text`; false without an application or when
// the table lacks the text (its text then begins with '%').
bool GetEngineText(uint32_t id, tCString& text);
// The text of `id`, or an empty text when there is none.
tCString GetEngineTextOrEmpty(uint32_t id);
