#pragma once
// One serial port as the station uses it.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace corvale {

class SerialPort : public QObject {
    Q_OBJECT
public:
    enum class OpenError { None, NoSuchPort, PortInUse, Other };
    using QObject::QObject;
    virtual bool isOpen() const = 0;
    virtual OpenError open() = 0; // current number and settings
    virtual void close() = 0;
    virtual int portNumber() const = 0; // 1 = COM1
    virtual void setPortNumber(int number) = 0;
    virtual QString settings() const = 0; // "19200,n,8,1"
    virtual void setSettings(const QString& settings) = 0;
    virtual void setReadLength(int length) = 0; // 0 = all waiting
    virtual void setReceiveThreshold(int threshold) = 0;
    virtual int charactersWaiting() = 0; // asks the device; no event loop needed
    virtual QByteArray read() = 0;       // at most the read length
    virtual void write(const QByteArray& text) = 0;
    // Why the last open failed, in words for the operator.
    virtual QString errorText() const { return {}; }
    // The device the current number opens, for the operator; may be empty.
    virtual QString deviceName() const { return {}; }
signals:
    void received(); // receive event, threshold 1
    // The device went away while the port was open; it counts as closed.
    void lost();
};

} // namespace corvale
