#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

// A PDF file drawn with cairo into memory, one page at a time. Sizes and positions are in
// points (1/72 inch); images are stored whole, Flate-compressed, and placed at a rectangle.
namespace w32::printing {

class CPdfDocument {
public:
    CPdfDocument() = default;
    ~CPdfDocument();
    CPdfDocument(const CPdfDocument&) = delete;
    CPdfDocument& operator=(const CPdfDocument&) = delete;

    bool Begin(double width, double height);
    bool StartPage(double width, double height);
    // Rows of 0x00RRGGBB pixels (the alpha byte is ignored), `stride` bytes apart.
    bool DrawImage(const uint8_t* pixels, int32_t width, int32_t height, size_t stride, double x, double y,
                   double drawnWidth, double drawnHeight);
    bool EndPage();
    // Writes the end of the file; false when anything failed on the way.
    bool Finish();
    const std::string& GetBytes() const { return m_bytes; }

private:
    static cairo_status_t Append(void* document, const unsigned char* data, unsigned int length);
    bool IsHealthy() const;

    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cairo = nullptr;
    std::string m_bytes;
};

}  // namespace w32::printing
