#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <memory>

class QImage;
class QWindow;
struct xcb_connection_t;

// Finished pictures of the spectrum's bars (each bar over what lies beneath
// it, as Qt painted it) kept in the X server, and copied from there into the
// window where a bar changed. On X11 a tick then costs a few small copy
// requests instead of Qt's paint pass and its upload of the window's image.
// The pixels are Qt's own: the pictures are painted by Qt and only moved by
// the server.
//
// The atlas is `blocks` blocks of one size stacked top to bottom; a block
// holds one picture of each bar at the bar's own place.
//
// Main thread only.
class XcbBarAtlas {
public:
    // An atlas for drawing into `window`; nullptr off X11, when the window's
    // pixels are not a premultiplied ARGB image's bytes as they are (24-bit
    // true colour, 32 bits a pixel, the client's byte order), or when the
    // server cannot hold the blocks.
    static std::unique_ptr<XcbBarAtlas> create(QWindow* window, QSize block, int blocks);
    ~XcbBarAtlas();
    XcbBarAtlas(const XcbBarAtlas&) = delete;
    XcbBarAtlas& operator=(const XcbBarAtlas&) = delete;

    // Puts an opaque ARGB32_Premultiplied `picture` at `at` (device pixels)
    // of `slot`'s block.
    void put(const QImage& picture, int slot, QPoint at);
    // Copies `source` (device pixels of `slot`'s block) to `to` in the
    // window's pixels.
    void copy(int slot, const QRect& source, QPoint to);
    // Sends what was put and copied.
    void flush();

private:
    XcbBarAtlas(xcb_connection_t* connection, std::uint32_t window, QSize block, int blocks);

    xcb_connection_t* m_connection;
    std::uint32_t m_window;
    QSize m_block;
    std::uint32_t m_pixmap = 0;
    std::uint32_t m_gc = 0;
    // The most a put request may carry, in bytes.
    std::size_t m_maxPutBytes = 0;
};
