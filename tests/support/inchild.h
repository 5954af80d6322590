#pragma once

// Runs a piece of a test in a child process of its own (header only): for what must not touch
// the test process itself, such as dropping root or a mount namespace of its own.
#include <QByteArray>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace InChild
{

// Forks; the child runs enter (false ends it as failed), then fn, and hands back what fn
// returned. Keep both free of threads. What fn returned, or a text starting with "child failed"
// when the child could not run it.
inline QByteArray run(const std::function<bool()> &enter, const std::function<QByteArray()> &fn)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "child failed: no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (!enter())
            _exit(2);
        const QByteArray out = fn();
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                _exit(3);
            done += n;
        }
        _exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return "child failed: exit " + QByteArray::number(WEXITSTATUS(status));
    return out;
}

} // namespace InChild
