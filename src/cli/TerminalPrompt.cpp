#include "cli/TerminalPrompt.h"

#include "base/Descriptor.h"
#include "base/PrivateFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace orvanta {

namespace {

// Puts the terminal back as it was, whatever ends the prompt.
class EchoOff {
public:
    explicit EchoOff(int fd)
        : m_fd(fd)
        , m_isTerminal(tcgetattr(fd, &m_saved) == 0)
    {
        if (!m_isTerminal)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    ~EchoOff()
    {
        if (m_isTerminal)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }

private:
    int m_fd;
    termios m_saved{};
    bool m_isTerminal;
};

// One line from the terminal; stops waiting when a stop is requested.
std::optional<QByteArray> readTerminalLine(int fd, std::stop_token stop)
{
    const Descriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    const std::stop_callback onStop(stop, [&wake] {
        const std::uint64_t one = 1;
        (void)!::write(wake.get(), &one, sizeof one);
    });
    QByteArray line;
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return std::nullopt;
        if (fds[1].revents != 0 || stop.stop_requested())
            return std::nullopt;
        if (fds[0].revents == 0)
            continue;
        char byte = 0;
        const ssize_t got = ::read(fd, &byte, 1);
        if (got <= 0 || byte == '\n')
            return line;
        line += byte;
    }
}

} // namespace

QString readPasswordFromTerminal(const QString &prompt, std::stop_token stop)
{
    const Descriptor terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal.isOpen())
        return {};
    const QByteArray question = prompt.toLocal8Bit() + '\n';
    writeAll(terminal.get(), question);
    std::optional<QByteArray> line;
    {
        const EchoOff echoOff(terminal.get());
        line = readTerminalLine(terminal.get(), stop);
    }
    writeAll(terminal.get(), "\n");
    if (!line)
        return {};
    while (line->endsWith('\r'))
        line->chop(1);
    return QString::fromLocal8Bit(*line);
}

} // namespace orvanta
