#include "toolkit/net/CTCPSocket.h"

#include <cstring>
#include <memory>
#include <new>

#include "toolkit/net/CResolver.h"
#include "toolkit/net/WinSockSupport.h"

namespace {

constexpr int32_t kSelectedEvents = w32::FD_READ | w32::FD_WRITE | w32::FD_ACCEPT | w32::FD_CONNECT | w32::FD_CLOSE;
constexpr int32_t kListenBacklog = 16;

}  // namespace

CTCPSocket::CTCPSocket() = default;

CTCPSocket::~CTCPSocket()
{
    const tResult ignored = Close();
    (void)ignored;
}

CTCPSocket* CTCPSocket::NewSocket() const
{
    return new (std::nothrow) CTCPSocket;
}

void CTCPSocket::ChangeState(uint32_t state)
{
    m_state = state;
}

tResult CTCPSocket::Call(CallbackSlot slot, uint64_t value)
{
    const tCallback& callback = m_callbacks[slot];
    return callback.function ? callback.function(this, value, callback.context) : kResOk;
}

tResult CTCPSocket::FailWith(int32_t error)
{
    m_lastError = error;
    return GetErrFatality(error);
}

tResult CTCPSocket::SetCallbacks(tCallbackFunction onAcceptApproval, tCallbackFunction onAcceptReady,
                                 tCallbackFunction onConnect, tCallbackFunction onReadable,
                                 tCallbackFunction onWritable, tCallbackFunction onClose, uint16_t ownPort)
{
    SetCallback(kOnAcceptApproval, onAcceptApproval, ToMsgArg(this));
    SetCallback(kOnAcceptReady, onAcceptReady, ToMsgArg(this));
    SetCallback(kOnConnect, onConnect, ToMsgArg(this));
    SetCallback(kOnReadable, onReadable, ToMsgArg(this));
    SetCallback(kOnWritable, onWritable, ToMsgArg(this));
    SetCallback(kOnClose, onClose, ToMsgArg(this));
    return Create(ownPort);
}

void CTCPSocket::SetCallback(CallbackSlot slot, tCallbackFunction function, tMsgArg context)
{
    m_callbacks[slot] = tCallback{function, context};
}

tResult CTCPSocket::Create(uint16_t ownPort)
{
    m_ownPort = ownPort;
    if (m_socket == w32::INVALID_SOCKET) {
        const w32::SOCKET made = w32::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (made == w32::INVALID_SOCKET)
            return FailWith(w32::WSAGetLastError());
        m_socket = made;
    }
    if (m_event == w32::WSA_INVALID_EVENT)
        m_event = w32::WSACreateEvent();
    if (m_event == w32::WSA_INVALID_EVENT || w32::WSAEventSelect(m_socket, m_event, kSelectedEvents) != 0) {
        m_lastError = w32::WSAGetLastError();
        w32::closesocket(m_socket);
        m_socket = w32::INVALID_SOCKET;
        return kResNetFatal;
    }
    return kResOk;
}

tResult CTCPSocket::Connect(uint32_t address, uint16_t port)
{
    if (port == 0)
        port = m_ownPort;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (w32::WSAConnect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target, nullptr, nullptr,
                        nullptr, nullptr) != 0) {
        const int32_t error = w32::WSAGetLastError();
        if (error != w32::WSAEWOULDBLOCK) {
            m_lastError = error;
            ChangeState(kStateConnectFailed);
            TK_TRY(Close());
            return GetErrFatality(error);
        }
    }
    ChangeState(kStateConnecting);
    m_remotePort = port;
    m_remoteAddress = address;
    return kResOk;
}

tResult CTCPSocket::ConnectToHost(const tCString& host, uint16_t port)
{
    m_remotePort = port != 0 ? port : m_ownPort;
    return GetResolver().Resolve(host, OnHostResolved, 0, this, &m_lastError);
}

tResult CTCPSocket::OnHostResolved(const tCString&, uint32_t address, tMsgArg, tCBaseObject* owner)
{
    CTCPSocket* socket = static_cast<CTCPSocket*>(owner);
    if (address == 0)
        return socket->FailConnect();
    const tResult connected = socket->Connect(address, socket->m_remotePort);
    if (connected != kResOk) {
        // The connect closed the socket already; its owner still hears of the failure.
        TK_TRY(socket->Call(kOnConnect, 0));
        return connected;
    }
    return socket->Call(kOnResolved, 0);
}

tResult CTCPSocket::FailConnect()
{
    ChangeState(kStateConnectFailed);
    m_connected = false;
    TK_TRY(Close());
    return Call(kOnConnect, 0);
}

tResult CTCPSocket::Listen(uint16_t port)
{
    if (m_socket == w32::INVALID_SOCKET)
        TK_TRY(Create(port));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (w32::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        w32::listen(m_socket, kListenBacklog) != 0)
        return FailWith(w32::WSAGetLastError());
    int32_t size = sizeof local;
    if (w32::getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &size) != 0)
        return FailWith(w32::WSAGetLastError());
    m_ownPort = ntohs(local.sin_port);
    return kResOk;
}

tResult CTCPSocket::Receive(uint32_t& length, CMemBlockT<char>& block)
{
    const uint32_t room = uint32_t(block.GetCount());
    const int32_t wanted = int32_t(std::min<uint32_t>(std::min(length, room), INT32_MAX));
    length = 0;
    const int32_t got = w32::recv(m_socket, block.GetData(), wanted, 0);
    if (got < 0)
        return FailWith(w32::WSAGetLastError());
    length = uint32_t(got);
    w32::u_long waiting = 0;
    m_morePending = w32::ioctlsocket(m_socket, FIONREAD, &waiting) == 0 && waiting > 0;
    m_bytesReceived += length;
    return Call(kOnReceived, length);
}

tResult CTCPSocket::Send(uint32_t& length, CMemBlockT<char>& block)
{
    const int32_t count = block.GetCount();
    length = 0;
    const int32_t sent = w32::send(m_socket, block.GetData(), count, 0);
    if (sent < 0) {
        const int32_t error = w32::WSAGetLastError();
        if (error == w32::WSAEWOULDBLOCK)
            m_writable = false;
        return FailWith(error);
    }
    length = uint32_t(sent);
    m_bytesSent += length;
    if (sent < count) {
        std::memmove(block.GetData(), block.GetData() + sent, size_t(count - sent));
        TK_TRY(block.Resize(count - sent));
    } else {
        block.Free();
    }
    return Call(kOnSent, length);
}

tResult CTCPSocket::ShutdownSending()
{
    if (w32::shutdown(m_socket, w32::SD_SEND) != 0)
        return FailWith(w32::WSAGetLastError());
    return kResOk;
}

tResult CTCPSocket::UpdatePeerAddress()
{
    sockaddr_in peer{};
    int32_t size = sizeof peer;
    if (w32::getpeername(m_socket, reinterpret_cast<sockaddr*>(&peer), &size) != 0) {
        const int32_t error = w32::WSAGetLastError();
        if (error != w32::WSAENOTCONN)
            return FailWith(error);
        m_remoteAddress = 0;
        m_remotePort = 0;
        m_lastError = 0;
        return kResOk;
    }
    m_remoteAddress = peer.sin_addr.s_addr;
    m_remotePort = ntohs(peer.sin_port);
    return kResOk;
}

tResult CTCPSocket::Close()
{
    // First, so that a failure below can never leave a look-up that calls back into a socket
    // that is gone.
    if (CResolver* resolver = GetLiveResolver())
        resolver->CancelForOwner(this);
    m_connected = false;
    m_morePending = false;
    m_closePending = false;
    m_closeWithError = false;
    tResult result = kResOk;
    if (m_socket != w32::INVALID_SOCKET) {
        // Taken first, so that a close from inside the callback finds nothing more to do.
        const w32::SOCKET closing = m_socket;
        m_socket = w32::INVALID_SOCKET;
        result = Call(kOnClose, 0);
        if (w32::closesocket(closing) != 0) {
            const tResult failed = FailWith(w32::WSAGetLastError());
            if (result == kResOk)
                result = failed;
        }
    }
    if (m_event != w32::WSA_INVALID_EVENT) {
        w32::WSACloseEvent(m_event);
        m_event = w32::WSA_INVALID_EVENT;
    }
    return result;
}

tResult CTCPSocket::Accept()
{
    const w32::SOCKET handle = w32::accept(m_socket, nullptr, nullptr);
    if (handle == w32::INVALID_SOCKET)
        return FailWith(w32::WSAGetLastError());
    std::unique_ptr<CTCPSocket> accepted(NewSocket());
    if (!accepted) {
        w32::closesocket(handle);
        return kResNoMemory;
    }
    accepted->m_socket = handle;
    TK_TRY(accepted->UpdatePeerAddress());
    if (!m_callbacks[kOnAcceptApproval].function)
        return kResNetFatal;
    TK_TRY(accepted->SetCallbacks(m_callbacks[kOnAcceptApproval].function, m_callbacks[kOnAcceptReady].function,
                                  m_callbacks[kOnConnect].function, m_callbacks[kOnReadable].function,
                                  m_callbacks[kOnWritable].function, m_callbacks[kOnClose].function, m_ownPort));
    const tCallback& approval = m_callbacks[kOnAcceptApproval];
    TK_TRY(approval.function(accepted.get(), 0, approval.context));
    CTCPSocket* approved = accepted.release();
    approved->m_connected = true;
    approved->ChangeState(kStateConnected);
    return kResOk;
}

tResult CTCPSocket::OnPeerClosed(bool withError)
{
    ChangeState(withError ? kStateClosedWithError : kStateClosed);
    return Close();
}

tResult CTCPSocket::HandleConnectEvent(int32_t error)
{
    const uint32_t expected = m_remoteAddress;
    TK_TRY(UpdatePeerAddress());
    if (error != 0 || m_remoteAddress != expected) {
        if (error != 0)
            m_lastError = error;
        return FailConnect();
    }
    m_connected = true;
    ChangeState(kStateConnected);
    return Call(kOnConnect, 1);
}

tResult CTCPSocket::PollEvents()
{
    if (m_socket == w32::INVALID_SOCKET)
        return kResOk;
    w32::WSANETWORKEVENTS events;
    if (w32::WSAEnumNetworkEvents(m_socket, m_event, &events) != 0)
        return FailWith(w32::WSAGetLastError());
    const int32_t happened = events.lNetworkEvents;
    // Noted before anything can end the poll early: the close is reported only once.
    if ((happened & w32::FD_CLOSE) && !m_closePending) {
        m_closePending = true;
        m_closeWithError = events.iErrorCode[w32::FD_CLOSE_BIT] != 0;
    }

    if (happened & w32::FD_CONNECT) {
        TK_TRY(HandleConnectEvent(events.iErrorCode[w32::FD_CONNECT_BIT]));
        if (m_socket == w32::INVALID_SOCKET)
            return kResOk;
    }
    if (m_morePending || (happened & w32::FD_READ)) {
        m_readable = true;
        TK_TRY(Call(kOnReadable, 0));
    }
    if ((happened & w32::FD_WRITE) && m_socket != w32::INVALID_SOCKET) {
        m_writable = true;
        TK_TRY(Call(kOnWritable, 0));
    }
    // Bytes that came before the close are read first; later polls come back here.
    if (m_closePending && !m_morePending && m_socket != w32::INVALID_SOCKET) {
        m_connected = false;
        TK_TRY(OnPeerClosed(m_closeWithError));
    }
    if ((happened & w32::FD_ACCEPT) && m_socket != w32::INVALID_SOCKET) {
        // One connection that could not be accepted does not stop the listener.
        const tResult ignored = Call(kOnAcceptReady, 0);
        (void)ignored;
    }
    return kResOk;
}
