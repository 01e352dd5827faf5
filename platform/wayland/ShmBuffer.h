#pragma once

#include <cstddef>
#include <memory>

#include <QImage>
#include <QSize>

struct wl_buffer;
struct wl_shm;

namespace zandrel {

// One picture shared with the compositor: an anonymous file mapped here and handed over as a
// wl_buffer of premultiplied ARGB (the compositor's ARGB8888 is QImage's ARGB32_Premultiplied in
// memory). Busy from its attach until the compositor releases it; only a free buffer is drawn into.
// UI thread only, like the connection it belongs to.
class CShmBuffer {
public:
    // Null, with a line on stderr, when the file or the mapping cannot be made.
    static std::unique_ptr<CShmBuffer> Create(wl_shm* shm, QSize size);
    ~CShmBuffer();
    CShmBuffer(const CShmBuffer&) = delete;
    CShmBuffer& operator=(const CShmBuffer&) = delete;

    wl_buffer* Buffer() const { return m_buffer; }
    // Draws into the shared memory itself.
    QImage& Image() { return m_image; }
    QSize Size() const { return m_image.size(); }
    bool IsBusy() const { return m_busy; }
    void MarkBusy() { m_busy = true; }
    void MarkReleased() { m_busy = false; }

private:
    CShmBuffer() = default;

    wl_buffer* m_buffer = nullptr;
    void* m_memory = nullptr;
    std::size_t m_length = 0;
    QImage m_image;
    bool m_busy = false;
};

}  // namespace zandrel
