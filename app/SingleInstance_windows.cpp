#include "SingleInstance.h"

#include <QThread>

#include <windows.h>

#include <sddl.h>

#include <vector>

namespace app {

namespace {
// The account's security id ("S-1-5-21-..."), or an empty string.
QString userSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
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

bool SingleInstance::sameUser(const QLocalSocket&) {
    // Only a copy that holds the session's mutex is asked (claim), and the
    // pipe's name carries the account's security id.
    return true;
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
