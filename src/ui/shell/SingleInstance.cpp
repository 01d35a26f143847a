#include "ui/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>

CSingleInstance::CSingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    // Socket names are limited in length and characters; hash the key.
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_name = QStringLiteral("vantorel-") + QString::fromLatin1(hash);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::ForwardToRunning(const QStringList& arguments, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray block;
    {
        QDataStream out(&block, QIODevice::WriteOnly);
        out << arguments;
    }
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << static_cast<quint32>(block.size());
    }
    message += block;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Wait for the acknowledgement so that the first instance has the request
    // before this one exits.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool CSingleInstance::Listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A stale socket file of a crashed instance: nobody answers on it.
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(300))
            return false;
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return true;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            const QByteArray data = socket->peek(socket->bytesAvailable());
            if (data.size() < 4)
                return;
            quint32 size = 0;
            {
                QDataStream in(data.left(4));
                in >> size;
            }
            // A request larger than any command line is refused.
            if (size > 1u << 20) {
                socket->abort();
                return;
            }
            if (static_cast<quint64>(data.size()) < 4u + size)
                return;
            socket->read(4 + size);
            QStringList arguments;
            QDataStream in(data.mid(4, size));
            in >> arguments;
            if (in.status() != QDataStream::Ok)
                arguments.clear();
            socket->write("ok");
            socket->flush();
            // Handled once this socket handler has returned: the hand-over
            // may ask questions in modal boxes, whose event loop can delete
            // this socket (its caller disconnects) while it is still on the stack.
            QMetaObject::invokeMethod(
                this, [this, arguments]() { emit activationRequested(arguments); }, Qt::QueuedConnection);
        });
    }
}
