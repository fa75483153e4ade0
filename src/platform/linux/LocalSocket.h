#pragma once

#include <cstddef>
#include <string>

namespace tavolin::linuxdesktop {

// Unix stream sockets on a path in the file system: the channel between the running copy of
// the program and a later one. Every socket is non-blocking and closed on exec; whoever holds
// one watches its Descriptor() on an event loop, or waits on it with the calls below.

// What one read or write did.
struct Transfer {
    enum class Result {
        Moved,      // `count` bytes (at least one) were read or written
        WouldBlock, // nothing to read yet, or no room to write: wait for the descriptor
        Closed,     // the peer hung up (or the connection broke)
    };
    Result result = Result::Closed;
    std::size_t count = 0;
};

// One connection. Owns its descriptor.
class LocalSocket {
public:
    LocalSocket() = default;
    ~LocalSocket();
    LocalSocket(LocalSocket&& other) noexcept;
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // The longest path a socket can have.
    static std::size_t MaxPathLength();

    // Connects to what listens at `path`. A local connection is made at once or refused: a
    // listener whose queue is full refuses, and the caller tries again.
    bool Connect(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    void Close();

    // What has arrived, up to `size` bytes.
    Transfer Receive(char* buffer, std::size_t size);
    // As much of `bytes` as there is room for; never raises SIGPIPE when the peer is gone.
    Transfer Send(const char* bytes, std::size_t size);
    // Waits until there is something to read (or room to write), at most `timeoutMs`
    // (negative: without bound); false when the time passed first or waiting failed.
    bool WaitReadable(int timeoutMs) const;
    bool WaitWritable(int timeoutMs) const;

private:
    friend class LocalListener;
    explicit LocalSocket(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

// The listening end, for its user alone.
class LocalListener {
public:
    LocalListener() = default;
    // Stops listening.
    ~LocalListener();
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Listens at `path`; the socket file is the user's alone (mode 0600) from the moment it
    // is made. Whatever is at `path` is removed first: the caller makes sure no live listener
    // uses it. False when the path is empty or too long for a socket, or a call fails.
    bool Listen(const std::string& path);
    bool IsListening() const { return m_fd >= 0; }
    // Readable while connections wait to be accepted.
    int Descriptor() const { return m_fd; }
    // Closes the socket and removes its file.
    void Close();

    enum class Accepted {
        Connection, // `connection` holds a new connection
        Retry,      // a waiting connection was interrupted or gone: try the next one
        NoneWaiting,
        Failed, // out of descriptors or memory, say: `error` says why; the connection waits on
    };
    Accepted Accept(LocalSocket& connection, std::string& error);

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace tavolin::linuxdesktop
