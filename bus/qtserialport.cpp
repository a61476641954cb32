#include "bus/qtserialport.h"

#include "bus/portmap.h"

#include <QFileInfo>
#include <QTimer>

namespace corvale {

QtSerialPort::QtSerialPort(int portNumber, const QString& settings, QObject* parent)
    : SerialPort(parent), number_(portNumber), settings_(settings) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    port_.close();
}

QString QtSerialPort::device() const {
    return PortDevice(number_);
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen() && !lost_;
}

bool QtSerialPort::applySettings() {
    const QStringList f = settings_.split(QLatin1Char(','));
    if (f.size() != 4) {
        error_ = QStringLiteral("bad settings \"%1\"").arg(settings_);
        return false;
    }
    bool ok = false;
    const int baud = f[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0 || !port_.setBaudRate(baud)) {
        error_ = QStringLiteral("bad baud rate \"%1\"").arg(f[0]);
        return false;
    }
    const QString parity = f[1].trimmed().toLower();
    QSerialPort::Parity p = QSerialPort::NoParity;
    if (parity == QLatin1String("e"))
        p = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        p = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        p = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        p = QSerialPort::SpaceParity;
    else if (parity != QLatin1String("n")) {
        error_ = QStringLiteral("bad parity \"%1\"").arg(f[1]);
        return false;
    }
    const int bits = f[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) {
        error_ = QStringLiteral("bad data bits \"%1\"").arg(f[2]);
        return false;
    }
    const QString stop = f[3].trimmed();
    QSerialPort::StopBits s = QSerialPort::OneStop;
    if (stop == QLatin1String("2"))
        s = QSerialPort::TwoStop;
    else if (stop == QLatin1String("1.5"))
        s = QSerialPort::OneAndHalfStop;
    else if (stop != QLatin1String("1")) {
        error_ = QStringLiteral("bad stop bits \"%1\"").arg(f[3]);
        return false;
    }
    return port_.setParity(p) && port_.setDataBits(static_cast<QSerialPort::DataBits>(bits)) &&
           port_.setStopBits(s) && port_.setFlowControl(QSerialPort::NoFlowControl);
}

SerialPort::OpenError QtSerialPort::open() {
    error_.clear();
    if (isOpen())
        return OpenError::None;
    if (port_.isOpen())
        port_.close();
    lost_ = false;
    // Opening is when a changed map takes effect; between opens the device
    // name is asked for often and comes from the held map.
    ReloadPortMap();
    const QString dev = device();
    port_.setPortName(dev);
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(dev)) {
        error_ = QStringLiteral("%1: no such device").arg(dev);
        return OpenError::NoSuchPort;
    }
#endif
    if (!port_.open(QIODevice::ReadWrite)) {
        const auto err = port_.error();
        error_ = QStringLiteral("%1: %2").arg(dev, port_.errorString());
        port_.clearError();
        if (err == QSerialPort::DeviceNotFoundError)
            return OpenError::NoSuchPort;
        if (err == QSerialPort::PermissionError) {
#ifndef Q_OS_WIN
            // Unreadable by this user is not "in use".
            const QFileInfo info(dev);
            if (!info.isReadable() || !info.isWritable())
                return OpenError::Other;
#endif
            return OpenError::PortInUse;
        }
        return OpenError::Other;
    }
    if (!applySettings()) {
        port_.close();
        return OpenError::Other;
    }
    return OpenError::None;
}

void QtSerialPort::close() {
    port_.close();
    lost_ = false;
    eventPending_ = false;
}

int QtSerialPort::charactersWaiting() {
    if (!isOpen())
        return 0;
    // Pull in what the device holds now; readyRead raised meanwhile is
    // delivered later, from the event loop, never inside this call.
    polling_ = true;
    for (int i = 0; i < 64 && port_.waitForReadyRead(0); ++i) {
    }
    polling_ = false;
    if (port_.error() == QSerialPort::TimeoutError)
        port_.clearError();
    if (eventPending_) {
        eventPending_ = false;
        QTimer::singleShot(0, this, [this] {
            if (isOpen() && threshold_ > 0 && port_.bytesAvailable() > 0)
                emit received();
        });
    }
    const qint64 n = port_.bytesAvailable();
    return n > 0x7fff ? 0x7fff : static_cast<int>(n);
}

QByteArray QtSerialPort::read() {
    if (!isOpen())
        return {};
    if (port_.bytesAvailable() == 0)
        charactersWaiting();
    const qint64 n = readLength_ > 0 ? readLength_ : port_.bytesAvailable();
    return n > 0 ? port_.read(n) : QByteArray();
}

void QtSerialPort::write(const QByteArray& text) {
    if (!isOpen())
        return;
    port_.write(text);
    // Hand the line to the device now: the reply wait runs no event loop.
    port_.flush();
    if (port_.bytesToWrite() > 0)
        port_.waitForBytesWritten(100);
}

void QtSerialPort::onReadyRead() {
    if (threshold_ <= 0)
        return;
    if (polling_) {
        eventPending_ = true;
        return;
    }
    emit received();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // A pseudo-terminal whose other end has gone reads end-of-file, which
    // QSerialPort reports as a read error again and again: both mean the
    // device went away, and the port counts as closed from now on.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && !lost_) {
        lost_ = true;
        error_ = port_.errorString();
        QTimer::singleShot(0, this, [this] {
            if (!lost_)
                return;
            port_.close();
            emit lost();
        });
    }
}

} // namespace corvale
