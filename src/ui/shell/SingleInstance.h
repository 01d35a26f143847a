#pragma once
// One running instance per user: the first start listens on a local socket;
// a later start hands its command line to the first and ends.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the instance (the program's instance name plus the user and
    // data folder, so that separate data folders run side by side).
    explicit CSingleInstance(const QString& key, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Tries to reach a running instance and pass it `arguments` (the project
    // path or nothing). True when one answered: this process should end.
    bool ForwardToRunning(const QStringList& arguments, int timeoutMs = 1500);

    // Starts listening as the first instance. False when the name is taken
    // by an instance that still answers.
    bool Listen();

    QString ServerName() const { return m_name; }

signals:
    // A later start asked to be shown, with its arguments. Always delivered
    // from the event loop, never from inside the socket's own handler.
    void activationRequested(const QStringList& arguments);

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
