#include "ringbuffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

RingBuffer::RingBuffer(int capacity) : m_capacity(std::max(1, capacity))
{
    m_storage = new char[size_t(m_capacity)];
}

RingBuffer::~RingBuffer()
{
    delete[] m_storage;
}

void RingBuffer::clear()
{
    // Only the reader moves the read index: skip what is published now, while the writer
    // may keep appending behind it.
    const int n = count();
    if (n == 0)
        return;
    m_readIndex.store((m_readIndex.load(std::memory_order_relaxed) + n) % m_capacity,
                      std::memory_order_release);
    m_count.fetch_sub(n, std::memory_order_seq_cst);
    notify();
}

int RingBuffer::write(const char *data, int len)
{
    if (len <= 0 || !data)
        return 0;
    const int n = std::min(len, m_capacity - count());
    if (n == 0)
        return 0;
    const int at = m_writeIndex.load(std::memory_order_relaxed);
    const int first = std::min(n, m_capacity - at);
    // The part up to the end of the storage, then the rest (if any) from its start.
    std::memcpy(m_storage + at, data, size_t(first));
    std::memcpy(m_storage, data + first, size_t(n - first));
    m_writeIndex.store((at + n) % m_capacity, std::memory_order_release);
    m_count.fetch_add(n, std::memory_order_seq_cst);
    notify();
    return n;
}

void RingBuffer::write(const QByteArray &data)
{
    if (!data.isEmpty())
        write(data.constData(), int(data.size()));
}

int RingBuffer::read(char *out, int len)
{
    if (len <= 0 || !out)
        return 0;
    const int n = std::min(len, count());
    if (n == 0)
        return 0;
    const int at = m_readIndex.load(std::memory_order_relaxed);
    const int first = std::min(n, m_capacity - at);
    std::memcpy(out, m_storage + at, size_t(first));
    std::memcpy(out + first, m_storage, size_t(n - first));
    m_readIndex.store((at + n) % m_capacity, std::memory_order_release);
    m_count.fetch_sub(n, std::memory_order_seq_cst);
    notify();
    return n;
}

QByteArray RingBuffer::read(int n)
{
    const int take = std::min(std::max(n, 0), count());
    QByteArray out(take, Qt::Uninitialized);
    const int got = read(out.data(), take);
    out.truncate(got);
    return out;
}

int RingBuffer::lineLength() const
{
    const int available = count();
    int at = m_readIndex.load(std::memory_order_relaxed);
    for (int i = 0; i < available; ++i) {
        const char c = m_storage[at];
        if (c == '\r' || c == '\n')
            return i + 1;
        at = (at + 1 == m_capacity) ? 0 : at + 1;
    }
    return 0;
}

QByteArray RingBuffer::readLine(bool *found)
{
    const int length = lineLength();
    if (found)
        *found = length > 0;
    return length > 0 ? read(length) : QByteArray();
}

bool RingBuffer::waitForLine(int timeoutMs) const
{
    // The predicate looks at the buffer itself, so bytes that came before the wait began are
    // seen as well as those that wake it.
    return waitFor([&] { return lineLength() > 0; }, timeoutMs);
}

QByteArray RingBuffer::readAll()
{
    return read(count());
}

void RingBuffer::notify()
{
    // The count changed with sequential consistency before this load, so a waiter that
    // registered too late to be seen here sees the new count in its predicate.
    if (m_waiters.load() == 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
    }
    m_changed.notify_all();
}

template <typename Pred> bool RingBuffer::waitFor(Pred pred, int timeoutMs) const
{
    m_waiters.fetch_add(1);
    bool ok = true;
    {
        std::unique_lock<std::mutex> lock(m_waitMutex);
        if (timeoutMs < 0)
            m_changed.wait(lock, pred);
        else
            ok = m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), pred);
    }
    m_waiters.fetch_sub(1);
    return ok;
}

bool RingBuffer::waitForData(int bytes, int timeoutMs) const
{
    return waitFor([&] { return count() >= bytes; }, timeoutMs);
}

bool RingBuffer::waitForRoom(int bytes, int timeoutMs) const
{
    return waitFor([&] { return m_capacity - count() >= bytes; }, timeoutMs);
}
