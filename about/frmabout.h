#pragma once
// frmAbout: the About box. Shows the application's title and version and
// starts the operating system's system-information tool.

#include <QDialog>
#include <cstdint>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace corvale {

class Operator;
class Registry;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Creating the box sets its caption, title and version afresh. It
    // deletes itself when closed.
    frmAbout(Operator& op, Registry& registry, QWidget* parent = nullptr);

    // Starts the system-information tool, or tells the operator that it is
    // unavailable.
    void StartSysInfo();
    // Reads a registry value as text into KeyVal. False, with KeyVal empty,
    // when the key or value is absent or does not fit in 1024 bytes.
    bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);

    // How a program is started (detached); returns whether it started.
    using Starter = std::function<bool(const QString& program)>;
    void setStarter(Starter starter) { start_ = std::move(starter); }

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QFrame* Line1_0;
    QFrame* Line1_1;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

    // Bytes the value buffer holds, the terminating NUL included.
    static constexpr int kValueBufferBytes = 1024;

private:
    Operator& op_;
    Registry& registry_;
    Starter start_;
};

} // namespace corvale
