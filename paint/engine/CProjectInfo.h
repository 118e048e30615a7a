#pragma once

#include <cstdint>

#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCString.h"

class CCanvasInfo;

// A painting to create or to open: its size in cells, its name, its file and whether it has
// unsaved changes, with the tracing image to lay over a new painting and the paper settings
// to make it on. The record owns its texts and its file reference; no copy is made of it.
class CProjectInfo {
public:
    CProjectInfo() = default;
    // The file empty and not modified; a null text reads as "".
    CProjectInfo(int32_t width, int32_t height, const tCString& name, const tCString& tracingPath,
                 CCanvasInfo* canvasInfo);
    virtual ~CProjectInfo() = default;
    CProjectInfo(const CProjectInfo&) = delete;
    CProjectInfo& operator=(const CProjectInfo&) = delete;

    int32_t width = 800;
    int32_t height = 600;
    tCString name{u"%%%"};
    tCFRef file;
    uint32_t modified = 0;
    // The image file to trace over a new painting; empty for none.
    tCString tracingPath;
    // The paper of a new painting, not owned; null for the default paper.
    CCanvasInfo* canvasInfo = nullptr;
};
