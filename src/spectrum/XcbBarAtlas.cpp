#include "spectrum/XcbBarAtlas.h"

#include "spectrum/SpectrumLog.h"

#include <QGuiApplication>
#include <QImage>
#include <QSysInfo>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

// X's coordinates are 16-bit.
constexpr int kMaxExtent = 32767;

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

// Whether the window's pixels are the bytes of a premultiplied ARGB image
// of this machine, ignoring alpha: then Qt's pictures go to the server as
// they are.
bool takesArgbBytes(xcb_connection_t* connection, xcb_window_t window)
{
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!geometry || !attributes || geometry->depth != 24)
        return false;

    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto clientOrder =
        QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    if (setup->image_byte_order != clientOrder)
        return false;
    bool thirtyTwoBits = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format)) {
        if (format.data->depth == 24)
            thirtyTwoBits = format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
    }
    if (!thirtyTwoBits)
        return false;
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
            if (depth.data->depth != 24)
                continue;
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem; xcb_visualtype_next(&visual)) {
                if (visual.data->visual_id == attributes->visual)
                    return visual.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.data->red_mask == 0xff0000
                        && visual.data->green_mask == 0x00ff00 && visual.data->blue_mask == 0x0000ff;
            }
        }
    }
    return false;
}

} // namespace

std::unique_ptr<XcbBarAtlas> XcbBarAtlas::create(QWindow* window, QSize block, int blocks)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || block.isEmpty() || blocks <= 0)
        return nullptr;
    const auto target = static_cast<xcb_window_t>(window->winId());
    if (!takesArgbBytes(connection, target))
        return nullptr;
    if (block.width() > kMaxExtent || block.height() > kMaxExtent / blocks)
        return nullptr;
    std::unique_ptr<XcbBarAtlas> atlas(new XcbBarAtlas(connection, target, block, blocks));
    return atlas->m_pixmap ? std::move(atlas) : nullptr;
}

XcbBarAtlas::XcbBarAtlas(xcb_connection_t* connection, std::uint32_t window, QSize block, int blocks)
    : m_connection(connection)
    , m_window(window)
    , m_block(block)
{
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    const auto width = static_cast<std::uint16_t>(block.width());
    const auto height = static_cast<std::uint16_t>(block.height() * blocks);
    // Checked once, here: a pixmap the server could not make would turn
    // every later copy into an error.
    if (xcb_generic_error_t* error =
            xcb_request_check(m_connection, xcb_create_pixmap_checked(m_connection, 24, pixmap, window, width, height))) {
        qCWarning(lcSpectrum).nospace() << "spectrum: the X server cannot hold the bars' pictures (" << width << "x"
                                        << height << ", error " << error->error_code
                                        << "); the bars are drawn through Qt";
        std::free(error);
        return;
    }
    m_pixmap = pixmap;
    m_gc = xcb_generate_id(m_connection);
    // The window is never read back from, so no exposure events for copies.
    const std::uint32_t noExposures = 0;
    xcb_create_gc(m_connection, m_gc, m_pixmap, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    m_maxPutBytes = std::size_t{xcb_get_maximum_request_length(m_connection)} * 4 - sizeof(xcb_put_image_request_t);
}

XcbBarAtlas::~XcbBarAtlas()
{
    // The connection is the application's; it is gone once the application is.
    if (!m_pixmap || !qGuiApp)
        return;
    xcb_free_gc(m_connection, m_gc);
    xcb_free_pixmap(m_connection, m_pixmap);
    xcb_flush(m_connection);
}

void XcbBarAtlas::put(const QImage& picture, int slot, QPoint at)
{
    if (picture.isNull() || picture.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const auto stride = static_cast<std::size_t>(picture.bytesPerLine());
    const int rowsPerPut = std::max(1, static_cast<int>(m_maxPutBytes / stride));
    for (int top = 0; top < picture.height(); top += rowsPerPut) {
        const int rows = std::min(rowsPerPut, picture.height() - top);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_pixmap, m_gc,
                      static_cast<std::uint16_t>(picture.width()), static_cast<std::uint16_t>(rows),
                      static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(slot * m_block.height() + at.y() + top),
                      0, 24, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(rows)),
                      picture.constScanLine(top));
    }
}

void XcbBarAtlas::copy(int slot, const QRect& source, QPoint to)
{
    xcb_copy_area(m_connection, m_pixmap, m_window, m_gc, static_cast<std::int16_t>(source.x()),
                  static_cast<std::int16_t>(slot * m_block.height() + source.y()), static_cast<std::int16_t>(to.x()),
                  static_cast<std::int16_t>(to.y()), static_cast<std::uint16_t>(source.width()),
                  static_cast<std::uint16_t>(source.height()));
}

void XcbBarAtlas::flush()
{
    xcb_flush(m_connection);
}
