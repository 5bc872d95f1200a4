// One instance per device: the first process started for an instance name holds a lock file and
// listens on a local socket named after it; a later start for the same name finds the lock held,
// tells the first to come to the front over the socket and ends. The lock is released when the
// process ends, also when it crashes (a lock whose process is gone is taken over).
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace ksx {

class CInstanceGuard : public QObject {
public:
    explicit CInstanceGuard(const std::string& instanceName);
    ~CInstanceGuard() override;
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // True when this process is now the instance for the name (it holds the lock and listens); false
    // when another process (or another guard of this process) holds it.
    bool Acquire();
    bool IsOwner() const { return m_owner; }
    // Gives the instance up while this process goes on (a window that manages nothing): the lock is
    // released and nobody listens any more, so a later start for the name runs. Harmless when not owner.
    void Release();

    // For a later start: asks the running instance to come to the front. True when the request was
    // delivered within the limit.
    bool NotifyRunning(int limitMs = 3000);

    // Runs on the UI thread of the owner each time a later start asks it to come to the front.
    void SetOnRaise(std::function<void()> onRaise) { m_onRaise = std::move(onRaise); }

    // The local socket name of an instance name: the user id, the name reduced to letters, digits,
    // "-", "_" and "." (others become "_"), cut to a length a socket path can carry, and a hash of the
    // full name so that names differing only in the dropped characters stay apart.
    static std::string SocketName(const std::string& instanceName);

private:
    void OnNewConnection();

    std::string m_socketName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_owner = false;
    std::function<void()> m_onRaise;
};

}  // namespace ksx
