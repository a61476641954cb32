#pragma once
// The serial port on QSerialPort. Reads see bytes already received by the
// device without running the event loop, so the bus can be drained right
// after the reply wait.

#include "bus/serialport.h"

#include <QSerialPort>

namespace corvale {

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    QtSerialPort(int portNumber, const QString& settings, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool isOpen() const override;
    OpenError open() override;
    void close() override;
    int portNumber() const override { return number_; }
    void setPortNumber(int number) override { number_ = number; }
    QString settings() const override { return settings_; }
    void setSettings(const QString& settings) override { settings_ = settings; }
    void setReadLength(int length) override { readLength_ = length; }
    void setReceiveThreshold(int threshold) override { threshold_ = threshold; }
    int charactersWaiting() override;
    QByteArray read() override;
    void write(const QByteArray& text) override;
    QString errorText() const override { return error_; }
    QString deviceName() const override { return device(); }

    // The device the current number maps to.
    QString device() const;

private:
    bool applySettings();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    int number_;
    QString settings_;
    int readLength_ = 0;
    int threshold_ = 0;
    bool polling_ = false;
    bool eventPending_ = false;
    bool lost_ = false;
    QString error_;
};

} // namespace corvale
