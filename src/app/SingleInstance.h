#pragma once

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

// One running reader per set of files. The first start takes a lock in its files folder and
// listens on a local socket named after that folder and the user; a later start on the same
// folder finds the lock held, asks the first to bring its window to the front and ends.
// A lock left by a killed reader is taken over, since its process no longer runs.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &filesFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Start {
        First,        // this process holds the files; it runs the reader
        AlreadyRuns,  // another reader holds them and was asked to come to the front
        NoAnswer,     // another reader holds them but could not be reached
    };
    // Takes the lock, or hands over to the reader that holds it. Where no lock can be made
    // at all (a folder that cannot be written), the reader runs anyway.
    Start start();

    // The window brought to the front when another start asks for it.
    void setWindow(QWidget *window);

    // What the running reader answered a later start: "raised" once its window is in front.
    const QByteArray &answer() const { return m_answer; }
    // For a later start: tells on the standard streams what happened and gives the exit
    // status, 0 when the running reader was reached.
    int reportLaterStart(Start start) const;

    // The socket name for a files folder: the same for every start of one user on one
    // folder, different for other folders and other users.
    static QString serverName(const QString &filesFolder);

signals:
    // A later start asked for the window; emitted after it was brought to the front.
    void raised();

private:
    void listen();
    void answerLaterStart();
    bool askRunningReader();
    void bringWindowToFront(QLocalSocket *asker);

    QString m_folder;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QWidget *m_window = nullptr;
    QList<QPointer<QLocalSocket>> m_waiting;  // asked before the window was given
    QByteArray m_answer;
};
