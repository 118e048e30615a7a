#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "BackboneTestSupport.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolBase.h"
#include "platform/headless/Headless.h"
#include "toolkit/imaging/CImNav.h"

// Everything an undo step may change: every cell and the paper of every layer, the layer
// count, the current layer, the record's size and what can be undone and redone.
struct PaintingSnapshot {
    std::vector<std::string> cells;
    std::vector<uint32_t> paperColours;
    std::vector<float> opacities;
    int32_t layerCount = 0;
    int32_t currentLayer = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    bool canUndo = false;
    bool canRedo = false;

    bool operator==(const PaintingSnapshot&) const = default;

    // The same painting, whatever the history.
    bool SamePainting(PaintingSnapshot other) const
    {
        other.canUndo = canUndo;
        other.canRedo = canRedo;
        return *this == other;
    }
};

inline std::ostream& operator<<(std::ostream& out, const PaintingSnapshot& s)
{
    return out << s.layerCount << " layers, current " << s.currentLayer << ", " << s.width << " x " << s.height
               << " (canvas " << s.canvasWidth << " x " << s.canvasHeight << "), undo " << s.canUndo << ", redo "
               << s.canRedo;
}

inline std::string CellBytes(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    std::string bytes;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Cells(y)), size_t(nav.GetWidth()) * sizeof(PaintCell));
    return bytes;
}

inline std::string ImageBytes(CImage& image)
{
    CImNav nav(&image);
    std::string bytes;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Pixels(y)), size_t(nav.GetWidth()) * sizeof(CPixel));
    return bytes;
}

// A painting of three layers painted differently, with a fresh undo history.
class BackboneUndoTest : public BackboneTest {
public:
    void SetUp() override
    {
        BackboneTest::SetUp();
        ASSERT_EQ(NewPainting(64, 64), kResOk);
        ASSERT_EQ(Canvas().InsertNewLayer(1), kResOk);
        ASSERT_EQ(Canvas().InsertNewLayer(2), kResOk);
        std::mt19937 random(7);
        for (int32_t i = 0; i < 3; ++i) {
            CLayer& layer = *Canvas().GetLayer(i);
            CPaintCellNav nav(layer.GetCellMap());
            for (int32_t y = 0; y < nav.GetHeight(); ++y)
                for (int32_t x = 0; x < nav.GetWidth(); ++x)
                    if ((x + y + i) % (i + 2) == 0) {
                        PaintCell& cell = nav.Cells(y)[x];
                        cell.colour = uint32_t(random()) | 0xFF000000u;
                        cell.thickness = uint16_t(random() & 0x3FF);
                        cell.wetness = uint16_t(random() & 0x3FF);
                        cell.shine = uint8_t(random());
                        cell.extra = uint8_t(random());
                    }
            layer.SetPaperColour(0xFF101010u * uint32_t(i + 1));
        }
        Canvas().SetCurrentLayerIndex(1);
        ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
        ASSERT_EQ(controller->GetUndoStore().Initialise(64, 64), kResOk);
    }

    PaintingSnapshot Snapshot()
    {
        PaintingSnapshot s;
        s.layerCount = Canvas().GetLayerCount();
        for (int32_t i = 0; i < s.layerCount; ++i) {
            CLayer& layer = *Canvas().GetLayer(i);
            s.cells.push_back(CellBytes(layer.GetCellMap()));
            uint32_t paper = 0;
            layer.GetPaperColour(&paper);
            s.paperColours.push_back(paper);
            s.opacities.push_back(layer.GetPaperOpacity());
        }
        s.currentLayer = Canvas().GetCurrentLayerIndex();
        s.width = controller->GetProject().width;
        s.height = controller->GetProject().height;
        s.canvasWidth = Canvas().GetWidth();
        s.canvasHeight = Canvas().GetHeight();
        s.canUndo = controller->GetUndoStore().CanUndo();
        s.canRedo = controller->GetUndoStore().CanRedo();
        return s;
    }

    // A stroke of the oil brush across the current layer, as the canvas input makes one.
    void Stroke(float fromX, float fromY, float toX, float toY)
    {
        CCanvas& canvas = Canvas();
        CLayer& layer = *canvas.GetLayer(canvas.GetCurrentLayerIndex());
        CPaintCellNav cells(layer.GetCellMap());
        CImNav8 grain(canvas.GetGrainImageFor(canvas.GetCurrentLayerIndex()));
        const StrokeContext context = MakeStrokeContext(&cells, &grain, layer);
        CToolBase& tool = *controller->GetCurrentToolBase();
        ASSERT_EQ(canvas.BeginUndoStep(), kResOk);
        ASSERT_EQ(tool.BeginStroke(canvas, context, Pen(fromX, fromY)), kResOk);
        for (int i = 1; i <= 12; ++i) {
            w32::headless::AdvanceClock(8);
            const float t = float(i) / 12.0f;
            ASSERT_EQ(tool.ContinueStroke(canvas, context, Pen(fromX + (toX - fromX) * t, fromY + (toY - fromY) * t), 1),
                      kResOk);
        }
        ASSERT_EQ(tool.EndStroke(canvas, context, Pen(toX, toY)), kResOk);
        ASSERT_EQ(canvas.EndUndoStep(), kResOk);
    }

    static CPenSample Pen(float x, float y)
    {
        CPenSample pen;
        pen.x = x;
        pen.y = y;
        pen.pressure = 0.8f;
        pen.pen = 1;
        return pen;
    }

    tResult Undo() { return Send(kMsgUndo); }
    tResult Redo() { return Send(kMsgRedo); }

    tResult Pair(uint32_t message, uint32_t first, uint32_t second)
    {
        LayerIndexPair pair{first, second};
        return Send(message, ToMsgArg(&pair));
    }
    tResult Resize(int32_t width, int32_t height)
    {
        CellMapResize size;
        size.width = width;
        size.height = height;
        size.resample = 1;
        return Send(kMsgResizePainting, ToMsgArg(&size));
    }
};
