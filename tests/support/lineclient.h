#pragma once

// The program's end of a FakeBoard line for simulator tests (header only): one command out,
// one answer line back.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

class LineClient
{
public:
    explicit LineClient(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio;
        if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~LineClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LineClient(const LineClient &) = delete;
    LineClient &operator=(const LineClient &) = delete;

    // The answer line without its end, or "<none>" after timeoutMs.
    QByteArray ask(const QByteArray &line, int timeoutMs = 5000)
    {
        const QByteArray bytes = line + '\n';
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            return "<write failed>";
        QByteArray answer;
        char c = 0;
        for (;;) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, timeoutMs) <= 0 || ::read(m_fd, &c, 1) != 1)
                return "<none>";
            if (c == '\n')
                return answer;
            answer += c;
        }
    }

private:
    int m_fd = -1;
};
