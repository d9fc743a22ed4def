#include "SingleInstance.h"

#include <QThread>

#include <windows.h>

#include <sddl.h>

#include <vector>

namespace app {

namespace {
// The security id ("S-1-5-21-...") of the account a process runs as, or an
// empty string.
QString userSid(HANDLE process = GetCurrentProcess()) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    QString sid;
    wchar_t* text = nullptr;
    if (size && GetTokenInformation(token, TokenUser, info.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}
} // namespace

QString SingleInstance::serverName() {
    // Two users of one machine, and two sessions of one user, stay apart.
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return QStringLiteral("adhan-clock-%1-%2").arg(userSid()).arg(session);
}

bool SingleInstance::connectToOwn(QLocalSocket& socket, const QString& name) {
    // Pipe names are one namespace for the whole machine, and this one is no
    // secret: another account may have made it first. So the pipe is opened
    // as QLocalSocket would, but at identification level only (whoever
    // answers may learn who we are, never act as us), and handed over only
    // when the process answering runs as this account in this session.
    const HANDLE pipe = CreateFileW(
        qUtf16Printable(QStringLiteral("\\\\.\\pipe\\") + name), GENERIC_READ | GENERIC_WRITE, 0,
        nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    ULONG pid = 0;
    DWORD session = 0, ours = 0;
    const QString me = userSid();
    HANDLE server = GetNamedPipeServerProcessId(pipe, &pid)
                        ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)
                        : nullptr;
    const bool own = server && ProcessIdToSessionId(pid, &session) &&
                     ProcessIdToSessionId(GetCurrentProcessId(), &ours) && session == ours &&
                     !me.isEmpty() && userSid(server) == me;
    if (server)
        CloseHandle(server);
    if (own && socket.setSocketDescriptor(qintptr(pipe)))
        return true; // the socket closes the pipe from now on
    CloseHandle(pipe);
    return false;
}

bool SingleInstance::claim() {
    const QString name = serverName();
    // Windows lets any number of servers listen on one pipe name, so the pipe
    // cannot tell whether a copy runs; a mutex in the session's own namespace
    // can. It stays until the process ends.
    const HANDLE running = CreateMutexW(nullptr, FALSE, qUtf16Printable("Local\\" + name));
    if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
        // The running copy may bring its window to the front.
        AllowSetForegroundWindow(ASFW_ANY);
        // It may still be starting: give it a moment to listen.
        for (int attempt = 0; attempt < 10; ++attempt, QThread::msleep(200)) {
            if (handOver(name))
                return false;
        }
        // It does not answer: better two clocks than none.
    }
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(name); // without the pipe the clock still runs
    serve();
    return true;
}

} // namespace app
