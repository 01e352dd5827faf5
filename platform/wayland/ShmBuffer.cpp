#include "platform/wayland/ShmBuffer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>

namespace zandrel {
namespace {

// The compositor has what it needs from the buffer: it may be drawn into again.
void OnRelease(void* data, wl_buffer*) { static_cast<CShmBuffer*>(data)->MarkReleased(); }

const wl_buffer_listener kBufferListener = {OnRelease};

}  // namespace

std::unique_ptr<CShmBuffer> CShmBuffer::Create(wl_shm* shm, QSize size)
{
    if (size.isEmpty())
        return nullptr;
    const int stride = size.width() * 4;
    const std::size_t length = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
    const int fd = memfd_create("zandrel-overlay", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(length)) != 0) {
        std::fprintf(stderr, "zandrel: no shared memory for the overlay: %s\n", std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    void* memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        std::fprintf(stderr, "zandrel: cannot map the overlay's shared memory: %s\n", std::strerror(errno));
        close(fd);
        return nullptr;
    }
    std::unique_ptr<CShmBuffer> buffer(new CShmBuffer);
    buffer->m_memory = memory;
    buffer->m_length = length;
    // The pool only lends the file to the buffer: both may go once the buffer exists.
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(length));
    buffer->m_buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->m_buffer, &kBufferListener, buffer.get());
    buffer->m_image =
        QImage(static_cast<uchar*>(memory), size.width(), size.height(), stride, QImage::Format_ARGB32_Premultiplied);
    return buffer;
}

CShmBuffer::~CShmBuffer()
{
    m_image = QImage();  // lets go of the memory before it is unmapped
    if (m_buffer)
        wl_buffer_destroy(m_buffer);
    if (m_memory)
        munmap(m_memory, m_length);
}

}  // namespace zandrel
