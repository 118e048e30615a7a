#pragma once

#include <cstdint>
#include <memory>

#include "paint/engine/CPaintCellMap.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/core/tCString.h"
#include "toolkit/imaging/CImage.h"

class CCanvasInfo;
class CChunkImage;
class CImage8;
class ILayerImageView;
class IPaperGrainBuilder;
class tCProgress;
class tCStream;

// Message: exchange canvas settings with a layer; a = CCanvasInfo*, the flag applies or reports.
inline constexpr uint32_t kMsgLayerCanvasInfo = 0xFF001006u;
// Told to the controller when a layer's look changed.
inline constexpr uint32_t kMsgLayersChanged = 0xFF001001u;

// What UpdateImage brings up to date: the widget that shows the layer, the index of the layer
// the canvas passes it to, whether the whole view is to be refreshed, and (out) the rectangle
// of widget pixels that changed.
struct LayerViewUpdate {
    ILayerImageView* view = nullptr;
    int32_t layerIndex = -1;
    uint32_t wholeView = 0;
    tCRect rect;
};

// One layer of a painting: paint cells on a paper (colour, shine, grain image, grain depth and
// scale, opacity, visibility), the layer's own opacity, visibility and name, and a view image
// into which the layer draws its cells over a checkerboard for panels that show one layer.
class CLayer : public tCCmdTarget {
public:
    CLayer();
    ~CLayer() override;
    CLayer(const CLayer&) = delete;
    CLayer& operator=(const CLayer&) = delete;

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // The setters of paper colour, paper opacity, opacity and visibility also raise the
    // layers-changed flag shared by all layers.
    void SetPaperColour(uint32_t colour);
    void GetPaperColour(uint32_t* colour) const { *colour = m_paperColour; }
    void SetPaperShine(float value) { m_paperShine = value; }
    float GetPaperShine() const { return m_paperShine; }
    void SetPaperExtra(float value) { m_paperExtra = value; }
    float GetPaperExtra() const { return m_paperExtra; }
    void SetGrainDepth(float value) { m_grainDepth = value; }
    float GetGrainDepth() const { return m_grainDepth; }
    void SetGrainScale(float value) { m_grainScale = value; }
    float GetGrainScale() const { return m_grainScale; }
    void SetPaperSpare(float value) { m_paperSpare = value; }
    float GetPaperSpare() const { return m_paperSpare; }
    void SetPaperVisible(uint32_t value) { m_paperVisible = value; }
    uint32_t GetPaperVisible() const { return m_paperVisible; }
    void SetPaperOpacity(float value);
    float GetPaperOpacity() const { return m_paperOpacity; }
    tCString GetName() const { return m_name; }
    void SetName(const tCString& name) { m_name = name; }
    void SetOpacity(float value);
    float GetOpacity() const { return m_opacity; }
    void SetVisible(uint32_t value);
    uint32_t GetVisible() const { return m_visible; }
    CPaintCellMap& GetCellMap() { return m_cellMap; }
    CImage& GetImage() { return m_viewImage; }
    CImage8* GetGrainImage() const { return m_grainImage; }
    int32_t GetWidth() const { return m_cellMap.GetWidth(); }
    int32_t GetHeight() const { return m_cellMap.GetHeight(); }
    const tCRect& GetDirtyRect() const { return m_dirtyRect; }

    // Sizes the cells (all zero) and, when the shared view-image size is set, the view image.
    tResult SetSize(int32_t width, int32_t height);
    // The layer takes the image (null is allowed) and deletes the one it had, unless the
    // application's resource pool holds that one or it was lent.
    void SetGrainImage(CImage8* image);
    // The layer draws on the image as its grain without taking it: its owner keeps it while the
    // layer holds it. A preview of another layer's paper shares that layer's grain so.
    void ShareGrainImage(CImage8* image);
    tResult Clear();
    tResult DryAll();
    tResult WetAll();
    // Makes this layer a copy of `other`: size, cells and paper settings; both then share the
    // grain image, which the application's image pool takes over (1 without an application,
    // the pool's answer when it cannot; this layer is then unchanged).
    tResult CopyFrom(CLayer* other);
    // Lays `source` over this layer in linear light; 6 when the sizes differ.
    tResult MergeFrom(CLayer* source);
    tResult ResizeCells(const CellMapResize& record) { return m_cellMap.Resize(record); }
    // Turns opaque cells into wet paint at least `minimumThickness` thick, following the grain
    // when the layer has one and every cell is opaque.
    tResult ConvertToPaint(int32_t minimumThickness);
    tResult SetImageSize(int32_t width, int32_t height);
    tResult UpdateImage(LayerViewUpdate* update);
    void AddDirtyRect(const tCRect& rect);
    tResult RedrawImage();
    // Takes the info's paper settings and a grain built from its texture; a texture without a
    // name that is already this layer's grain stays as it is, without a copy.
    tResult ApplyCanvasInfo(const CCanvasInfo* info);
    // Draws the cells under `rect` (view-image pixels) over the paper and the checkerboard.
    tResult DrawIntoImage(const tCRect& rect);
    tResult ExchangeCanvasInfo(CCanvasInfo* info, uint32_t apply);

    // The layer as one record (LayerRecordTags.h), its cells and, unless `withGrain` is 0, its
    // grain image included; the progress, when given, hears kLayerRecordProgressUnits units. 16
    // when the bytes written differ from the length announced, else the first failure.
    tResult WriteRecord(tCStream* stream, tCProgress* progress, uint32_t withGrain = 1);
    // Reads the record whose payload starts at the stream's position and is `length` bytes long;
    // the layer must already have the record's size. Only a whole record changes the layer: on
    // any failure it stays as it was. A record without a grain image, or with one that does not
    // decode, leaves the layer's grain as it was. 17 for a chunk that is empty, runs past its
    // parent or lacks its planes, 16 for a plane that is cut short or of another size, 5 when
    // the cells, or the grain as its header gives it, would not fit in the memory the system
    // has. With `storedGrain` the grain is not decoded but measured and handed there (null when
    // the record has none; unmeasured when it is damaged), the layer's grain left as it was, for
    // a caller that decodes it once it knows that all it reads fits. Its bytes are read from the
    // stream where they lie: the stream must outlive it.
    tResult ReadRecord(tCStream* stream, int64_t length, tCProgress* progress,
                       std::unique_ptr<CChunkImage>* storedGrain = nullptr);

    // The texture zoom of a grain scale v: 2v^2 + 0.5 up to v = 0.5, then rising to 4 at v = 1.
    static float GrainZoom(float scale);

    // Shared by all layers: raised by the marked setters, cleared by the canvas; while raised,
    // UpdateImage redraws every cell.
    static uint32_t GetLayersChanged();
    static void SetLayersChanged(uint32_t value);
    // The view-image size the canvas gives every layer; SetSize applies it when both are >= 1.
    static tCPoint GetViewImageSize();
    static void SetViewImageSize(tCPoint size);
    // Where ApplyCanvasInfo gets grain images from; without a builder no grain is built.
    static void SetPaperGrainBuilder(IPaperGrainBuilder* builder);

private:
    void ReleaseGrainImage();
    tResult WritePropertyBlock(tCStream& stream) const;
    void TakePropertyBlock(const uint32_t words[10]);

    CPaintCellMap m_cellMap;
    uint32_t m_paperColour = 0xFFFFFFFAu;
    float m_paperShine = 0.2f;
    float m_grainDepth = 0.5f;
    float m_paperExtra = 0.0f;
    float m_grainScale = 0.5f;
    float m_paperSpare = 0.0f;
    CImage8* m_grainImage = nullptr;
    bool m_grainLent = false;
    float m_opacity = 1.0f;
    float m_paperOpacity = 1.0f;
    uint32_t m_visible = 1;
    uint32_t m_paperVisible = 1;
    tCString m_name;
    CImage m_viewImage;
    tCRect m_dirtyRect;
};
