#include "platform/PdfDocument.h"

#include <cairo-pdf.h>

#include <cstdint>
#include <new>

namespace w32::printing {

CPdfDocument::~CPdfDocument()
{
    if (m_cairo)
        cairo_destroy(m_cairo);
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

cairo_status_t CPdfDocument::Append(void* document, const unsigned char* data, unsigned int length)
{
    // Called from C: nothing may be thrown through it.
    try {
        static_cast<CPdfDocument*>(document)->m_bytes.append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool CPdfDocument::IsHealthy() const
{
    return m_cairo && cairo_status(m_cairo) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS;
}

bool CPdfDocument::Begin(double width, double height)
{
    if (m_surface)
        return false;
    m_surface = cairo_pdf_surface_create_for_stream(&CPdfDocument::Append, this, width, height);
    m_cairo = cairo_create(m_surface);
    return IsHealthy();
}

bool CPdfDocument::StartPage(double width, double height)
{
    if (!IsHealthy())
        return false;
    cairo_pdf_surface_set_size(m_surface, width, height);
    return IsHealthy();
}

bool CPdfDocument::DrawImage(const uint8_t* pixels, int32_t width, int32_t height, size_t stride, double x, double y,
                             double drawnWidth, double drawnHeight)
{
    if (!IsHealthy())
        return false;
    // Drawn from the caller's rows: cairo keeps its own copy of what the page needs once the
    // image surface is finished below, while the rows are still there.
    if (stride > size_t(INT32_MAX) || stride % 4 != 0)
        return false;
    cairo_surface_t* image = cairo_image_surface_create_for_data(const_cast<uint8_t*>(pixels), CAIRO_FORMAT_RGB24,
                                                                 width, height, int(stride));
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return false;
    }

    cairo_save(m_cairo);
    cairo_translate(m_cairo, x, y);
    cairo_scale(m_cairo, drawnWidth / width, drawnHeight / height);
    cairo_set_source_surface(m_cairo, image, 0, 0);
    cairo_paint(m_cairo);
    cairo_restore(m_cairo);
    cairo_surface_finish(image);
    cairo_surface_destroy(image);
    return IsHealthy();
}

bool CPdfDocument::EndPage()
{
    if (!IsHealthy())
        return false;
    cairo_show_page(m_cairo);
    return IsHealthy();
}

bool CPdfDocument::Finish()
{
    const bool healthy = IsHealthy();
    if (!m_surface)
        return false;
    cairo_destroy(m_cairo);
    m_cairo = nullptr;
    cairo_surface_finish(m_surface);
    const bool written = cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(m_surface);
    m_surface = nullptr;
    return healthy && written;
}

}  // namespace w32::printing
