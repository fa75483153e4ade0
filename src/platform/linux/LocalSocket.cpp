#include "platform/linux/LocalSocket.h"

#include "core/Platform.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

// Sockets of our own rather than Qt's local socket: Qt's lives in its network library, whose
// load alone (with the Kerberos, proxy and resolver libraries it brings) costs every start
// about 1.5 MB.

namespace tavolin::linuxdesktop {

namespace {

// Connections waiting to be accepted; a peer that finds the queue full tries again.
constexpr int kBacklog = 50;

bool Address(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() > LocalSocket::MaxPathLength())
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int NewSocket() {
    return socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

void CloseDescriptor(int fd) {
    // Linux frees the descriptor even when close is interrupted: it is never closed twice.
    ::close(fd);
}

// What a read or write that returned `count` did.
Transfer Outcome(ssize_t count) {
    if (count > 0)
        return {Transfer::Result::Moved, static_cast<std::size_t>(count)};
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return {Transfer::Result::WouldBlock, 0};
    return {Transfer::Result::Closed, 0};
}

bool WaitFor(int fd, short events, int timeoutMs) {
    while (true) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

// --- a connection --------------------------------------------------------------------------

LocalSocket::~LocalSocket() {
    Close();
}

LocalSocket::LocalSocket(LocalSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

std::size_t LocalSocket::MaxPathLength() {
    // The address holds the path with its NUL.
    return sizeof(sockaddr_un{}.sun_path) - 1;
}

bool LocalSocket::Connect(const std::string& path) {
    Close();
    sockaddr_un address{};
    if (!Address(path, address))
        return false;
    m_fd = NewSocket();
    if (m_fd < 0)
        return false;
    int result;
    do {
        result = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    // A connect interrupted and tried again may find the connection already made.
    if (result != 0 && errno != EISCONN) {
        Close();
        return false;
    }
    return true;
}

void LocalSocket::Close() {
    if (m_fd >= 0)
        CloseDescriptor(m_fd);
    m_fd = -1;
}

Transfer LocalSocket::Receive(char* buffer, std::size_t size) {
    if (m_fd < 0)
        return {};
    ssize_t count;
    do {
        count = recv(m_fd, buffer, size, 0);
    } while (count < 0 && errno == EINTR);
    return Outcome(count);
}

Transfer LocalSocket::Send(const char* bytes, std::size_t size) {
    if (m_fd < 0)
        return {};
    ssize_t sent;
    do {
        sent = send(m_fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR);
    return Outcome(sent);
}

bool LocalSocket::WaitReadable(int timeoutMs) const {
    return m_fd >= 0 && WaitFor(m_fd, POLLIN, timeoutMs);
}

bool LocalSocket::WaitWritable(int timeoutMs) const {
    return m_fd >= 0 && WaitFor(m_fd, POLLOUT, timeoutMs);
}

// --- the listener --------------------------------------------------------------------------

LocalListener::~LocalListener() {
    Close();
}

bool LocalListener::Listen(const std::string& path) {
    sockaddr_un address{};
    if (m_fd >= 0 || !Address(path, address))
        return false;
    ::unlink(path.c_str());
    const int fd = NewSocket();
    if (fd < 0)
        return false;
    // The socket file takes this mode when it is made, and keeps it: the user's alone, even
    // for the moment before the chmod (and the folder is the user's alone too).
    ::fchmod(fd, 0600);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        CloseDescriptor(fd);
        return false;
    }
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, kBacklog) != 0) {
        CloseDescriptor(fd);
        ::unlink(path.c_str());
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void LocalListener::Close() {
    if (m_fd < 0)
        return;
    CloseDescriptor(m_fd);
    m_fd = -1;
    ::unlink(m_path.c_str());
}

LocalListener::Accepted LocalListener::Accept(LocalSocket& connection, std::string& error) {
    if (m_fd < 0)
        return Accepted::NoneWaiting;
    const int fd = accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        connection = LocalSocket(fd);
        return Accepted::Connection;
    }
    if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
        return Accepted::Retry;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return Accepted::NoneWaiting;
    error = std::strerror(errno);
    return Accepted::Failed;
}

} // namespace tavolin::linuxdesktop

namespace tavolin {

std::optional<std::int64_t> AllowPeerToComeForward(std::intptr_t connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(static_cast<int>(connection), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return std::nullopt;
    return peer.pid;
}

} // namespace tavolin
