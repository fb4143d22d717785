#include "app/SingleInstance.h"

#include "common/Texts.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray RaiseRequest = "raise\n";
const QByteArray RaisedAnswer = "raised\n";

// How long a later start keeps trying: the running reader may be in the middle of a
// download that holds its thread.
constexpr int HandOverMilliseconds = 30000;

QString userId()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERDOMAIN") + u'\\' + qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString &filesFolder, QObject *parent)
    : QObject(parent)
    , m_folder(filesFolder)
    , m_lock(QDir(filesFolder).filePath(QStringLiteral("ZeltonReader.lock")))
{
    // The reader stays open all day: only a dead owner makes the lock stale, never its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &filesFolder)
{
    QString folder = QFileInfo(filesFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir(filesFolder).absolutePath());
#ifdef Q_OS_WIN
    folder = folder.toLower();  // one folder, however its name is spelled
#endif
    const QByteArray key = (folder + u'\n' + userId()).toUtf8();
    return QStringLiteral("ZeltonReader-")
         + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

SingleInstance::Start SingleInstance::start()
{
    const QDeadlineTimer deadline(HandOverMilliseconds);
    do {
        if (m_lock.tryLock(0)) {
            listen();
            return Start::First;
        }
        if (m_lock.error() != QLockFile::LockFailedError)
            return Start::First;  // no lock can be made here; the reader still runs
        // The owner listens right after it takes the lock; until then, or while it ends,
        // try the lock and the socket again.
        if (askRunningReader())
            return Start::AlreadyRuns;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return Start::NoAnswer;
}

void SingleInstance::listen()
{
    const QString name = serverName(m_folder);
    // This process holds the lock, so a socket of that name is a killed reader's leftover.
    QLocalServer::removeServer(name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::answerLaterStart);
    m_server->listen(name);
}

void SingleInstance::answerLaterStart()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() != RaiseRequest) {
                socket->disconnectFromServer();
                return;
            }
            if (m_window)
                bringWindowToFront(socket);
            else
                m_waiting << socket;  // the window is still being built; raised when given
        });
    }
}

bool SingleInstance::askRunningReader()
{
    QLocalSocket socket;
    socket.connectToServer(serverName(m_folder));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(RaiseRequest);
    if (!socket.waitForBytesWritten(1000))
        return false;
    const QDeadlineTimer deadline(HandOverMilliseconds);
    while (!socket.canReadLine() && !deadline.hasExpired()
           && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(int(std::clamp<qint64>(deadline.remainingTime(), 1, 1000)));
    m_answer = socket.readLine().trimmed();
    // Delivered is enough: the running reader raises its window even when its answer is late.
    return true;
}

void SingleInstance::setWindow(QWidget *window)
{
    m_window = window;
    for (QLocalSocket *asker : std::exchange(m_waiting, {}))
        bringWindowToFront(asker);
}

void SingleInstance::bringWindowToFront(QLocalSocket *asker)
{
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    emit raised();
    if (asker) {  // gone when the later start stopped waiting
        asker->write(RaisedAnswer);
        asker->flush();
        asker->disconnectFromServer();
    }
}

int SingleInstance::reportLaterStart(Start start) const
{
    // Seen only where the reader was started from a terminal; the window is the answer.
    const QString folder = QDir::toNativeSeparators(m_folder);
    if (start == Start::NoAnswer) {
        std::fprintf(stderr, "%s\n", Texts::alreadyRunningNoAnswer(folder).toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", Texts::alreadyRunning(folder, m_answer + '\n' == RaisedAnswer).toLocal8Bit().constData());
    std::fflush(stdout);
    return 0;
}
