#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>

// A fixed-size circular byte queue shared by exactly one writer thread and one reader thread.
// The writer alone moves the write index, the reader alone moves the read index; the byte
// count is kept atomically, so no lock guards the data. Both sides may block until the other
// side has made progress (waitForData, waitForLine / waitForRoom) instead of polling.
class RingBuffer
{
public:
    explicit RingBuffer(int capacity);
    ~RingBuffer();
    RingBuffer(const RingBuffer &) = delete;
    RingBuffer &operator=(const RingBuffer &) = delete;

    // Reader side: discards every byte written so far (up to the writer's position).
    void clear();

    // Writer side: stores min(len, free space) bytes and returns how many.
    int write(const char *data, int len);
    void write(const QByteArray &data);

    // Reader side: takes min(len, count) bytes, oldest first.
    int read(char *out, int len);
    QByteArray read(int n);
    // Takes one line up to and including the first CR or LF; nothing when none is buffered.
    QByteArray readLine(bool *found = nullptr);
    // Reader side: blocks until a whole line is buffered or timeoutMs has passed; true when one
    // is. A line completed at any time before or during the call counts, also one that came
    // after a readLine found none.
    bool waitForLine(int timeoutMs) const;
    QByteArray readAll();

    int count() const { return m_count.load(); }
    int capacity() const { return m_capacity; }
    int freeSpace() const { return m_capacity - count(); }
    bool isEmpty() const { return count() == 0; }
    int readIndex() const { return m_readIndex.load(std::memory_order_acquire); }
    int writeIndex() const { return m_writeIndex.load(std::memory_order_acquire); }

    // Block until at least `bytes` bytes are buffered (reader) or free (writer), or until
    // timeoutMs has passed; true when the condition holds. A negative time-out waits forever.
    bool waitForData(int bytes, int timeoutMs) const;
    bool waitForRoom(int bytes, int timeoutMs) const;

private:
    void notify();
    // The length of the first buffered line with its CR or LF, 0 when none is whole.
    int lineLength() const;
    template <typename Pred> bool waitFor(Pred pred, int timeoutMs) const;

    const int m_capacity;
    char *m_storage;
    std::atomic<int> m_readIndex{0};
    std::atomic<int> m_writeIndex{0};
    std::atomic<int> m_count{0};
    mutable std::atomic<int> m_waiters{0};
    mutable std::mutex m_waitMutex;
    mutable std::condition_variable m_changed;
};
