#include "app/InstanceGuard.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "platform/ui/Text.h"

namespace ksx {

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr std::size_t kMaxNameChars = 60;  // socket paths are limited to about 100 characters

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

}  // namespace

std::string CInstanceGuard::SocketName(const std::string& instanceName) {
    std::string clean;
    for (char c : instanceName) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.';
        clean += keep ? c : '_';
        if (clean.size() >= kMaxNameChars) {
            break;
        }
    }
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", Fnv1a(instanceName));
    return "ksx-module-" + std::to_string(static_cast<unsigned long>(::getuid())) + "-" + clean + "-" + hash;
}

CInstanceGuard::CInstanceGuard(const std::string& instanceName) : m_socketName(SocketName(instanceName)) {}

CInstanceGuard::~CInstanceGuard() {
    Release();
}

void CInstanceGuard::Release() {
    if (m_server != nullptr) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
    m_owner = false;
}

bool CInstanceGuard::Acquire() {
    if (m_owner) {
        return true;
    }
    const QString lockPath = QDir(QDir::tempPath()).filePath(ui::ToQ(m_socketName + ".lock"));
    m_lock = std::make_unique<QLockFile>(lockPath);
    // Never stale by age: a running instance keeps its lock however long it runs. A lock left by a
    // process that is gone is still taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A socket file left by a crashed instance would make listen fail.
    QLocalServer::removeServer(ui::ToQ(m_socketName));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
    m_server->listen(ui::ToQ(m_socketName));  // without a socket later starts cannot raise us; we still run
    m_owner = true;
    return true;
}

void CInstanceGuard::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.contains("raise") && m_onRaise) {
                m_onRaise();
            }
            socket->disconnectFromServer();
        });
    }
}

bool CInstanceGuard::NotifyRunning(int limitMs) {
    QElapsedTimer clock;
    clock.start();
    // The running instance may have taken its lock but not be listening yet: try again for a while.
    while (clock.elapsed() < limitMs) {
        QLocalSocket socket;
        socket.connectToServer(ui::ToQ(m_socketName));
        const int left = std::max(1, limitMs - static_cast<int>(clock.elapsed()));
        if (socket.waitForConnected(left)) {
            socket.write(kRaiseRequest);
            const int rest = std::max(1, limitMs - static_cast<int>(clock.elapsed()));
            const bool written = socket.waitForBytesWritten(rest) || socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(20);
    }
    return false;
}

}  // namespace ksx
