#pragma once

#include <cstdint>

#include "platform/Sockets.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

// A non-blocking IPv4 TCP socket that owns no thread: the owner calls PollEvents regularly from
// the main thread, and every network event is handed on through a table of callbacks.
class CTCPSocket : public tCBaseObject {
public:
    enum State : uint32_t {
        kStateIdle = 0,
        kStateConnecting = 1,
        // The connect was refused or failed, or the host was not found.
        kStateConnectFailed = 2,
        kStateConnected = 3,
        kStateClosed = 4,
        kStateClosedWithError = 5,
    };

    // Every callback gets the socket, one value and its context, and answers a result code; a
    // non-zero answer stops the operation that called it and becomes that operation's answer.
    using tCallbackFunction = tResult (*)(CTCPSocket* socket, uint64_t value, tMsgArg context);
    struct tCallback {
        tCallbackFunction function = nullptr;
        tMsgArg context = 0;
    };
    // The value each callback gets: the connected flag for kOnConnect, the byte count for kOnSent
    // and kOnReceived, 0 otherwise. kOnAcceptApproval gets the accepted socket, not the listener.
    enum CallbackSlot : int32_t {
        kOnConnect,
        kOnAcceptReady,
        kOnAcceptApproval,
        kOnReadable,
        kOnWritable,
        kOnClose,
        kOnResolved,
        kOnSent,
        kOnReceived,
        kCallbackCount
    };

    CTCPSocket();
    // Closes the socket.
    ~CTCPSocket() override;
    CTCPSocket(const CTCPSocket&) = delete;
    CTCPSocket& operator=(const CTCPSocket&) = delete;

    // Handles what happened since the last poll: the end of a connect, bytes to read, room to
    // write, the peer's close (acted on only once the bytes that came before it are read) and
    // connections waiting to be accepted. 0 without a socket.
    virtual tResult PollEvents();
    virtual void ChangeState(uint32_t state);
    // A new object of the same class for an accepted connection; null when memory runs out.
    virtual CTCPSocket* NewSocket() const;

    // Stores six callbacks, each with this socket as its context, then Create(ownPort).
    tResult SetCallbacks(tCallbackFunction onAcceptApproval, tCallbackFunction onAcceptReady,
                         tCallbackFunction onConnect, tCallbackFunction onReadable, tCallbackFunction onWritable,
                         tCallbackFunction onClose, uint16_t ownPort);
    void SetCallback(CallbackSlot slot, tCallbackFunction function, tMsgArg context);
    // Makes the socket when there is none and selects its events. 28 when the selection fails.
    tResult Create(uint16_t ownPort);
    // Starts connecting to an address in network byte order; port 0 means the own port. A
    // connect that cannot start sets state 2 and closes the socket.
    tResult Connect(uint32_t address, uint16_t port);
    // Resolves the host, then connects; port 0 means the own port.
    tResult ConnectToHost(const tCString& host, uint16_t port);
    // Listens on 127.0.0.1; port 0 takes a free one, which GetOwnPort then answers.
    tResult Listen(uint16_t port);
    // Reads at most `length` bytes (and never more than the block holds) into the block;
    // `length` becomes the count read.
    tResult Receive(uint32_t& length, CMemBlockT<char>& block);
    // Sends the block; `length` becomes the count the system took, and the block keeps only
    // what it did not take. 27 when the send would block, which clears the writable flag.
    tResult Send(uint32_t& length, CMemBlockT<char>& block);
    // No more bytes will be sent; the peer sees the end of the stream.
    tResult ShutdownSending();
    tResult UpdatePeerAddress();
    // Cancels the socket's pending look-ups, calls kOnClose while a socket is open, closes it
    // and releases the event. The socket is released even when the callback fails; the first
    // failure is the answer.
    tResult Close();
    // Accepts a waiting connection into a NewSocket. Without an approval callback, or when it
    // refuses, the new socket is released with its connection and the answer is 28 or the
    // refusal. An approved socket belongs to whoever approved it.
    tResult Accept();

    uint32_t GetState() const { return m_state; }
    bool IsOpen() const { return m_socket != w32::INVALID_SOCKET; }
    bool IsConnected() const { return m_connected; }
    bool IsWritable() const { return m_writable; }
    bool IsReadable() const { return m_readable; }
    bool IsMorePending() const { return m_morePending; }
    uint32_t GetRemoteAddress() const { return m_remoteAddress; }
    uint16_t GetRemotePort() const { return m_remotePort; }
    uint16_t GetOwnPort() const { return m_ownPort; }
    int32_t GetLastError() const { return m_lastError; }
    uint64_t GetBytesSent() const { return m_bytesSent; }
    uint64_t GetBytesReceived() const { return m_bytesReceived; }

protected:
    // The peer ended the connection: state 4, or 5 when it ended with an error, then Close.
    virtual tResult OnPeerClosed(bool withError);
    tResult Call(CallbackSlot slot, uint64_t value);
    // A connect that ended badly, or a host that was not found: state 2, the socket closed, then
    // kOnConnect with 0.
    tResult FailConnect();

private:
    static tResult OnHostResolved(const tCString& host, uint32_t address, tMsgArg context, tCBaseObject* owner);
    tResult HandleConnectEvent(int32_t error);
    tResult FailWith(int32_t error);

    uint32_t m_remoteAddress = 0;
    uint16_t m_remotePort = 0;
    bool m_writable = false;
    bool m_connected = false;
    bool m_readable = false;
    uint32_t m_state = kStateIdle;
    w32::SOCKET m_socket = w32::INVALID_SOCKET;
    int32_t m_lastError = 0;
    uint16_t m_ownPort = 0;
    uint64_t m_bytesSent = 0;
    uint64_t m_bytesReceived = 0;
    bool m_morePending = false;
    bool m_closePending = false;
    bool m_closeWithError = false;
    tCallback m_callbacks[kCallbackCount];
    w32::WSAEVENT m_event = w32::WSA_INVALID_EVENT;
};
