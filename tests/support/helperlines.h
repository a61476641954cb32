#pragma once
// The whole lines a helper process has printed so far, taken as they come;
// a line still being written waits for its end.

#include <QByteArray>
#include <QProcess>
#include <functional>

namespace corvale {

class HelperLines {
public:
    explicit HelperLines(QProcess& process) : process_(process) {}

    void take(const std::function<void(const QByteArray&)>& line) {
        pending_ += process_.readAllStandardOutput();
        qsizetype end;
        while ((end = pending_.indexOf('\n')) >= 0) {
            line(pending_.left(end));
            pending_.remove(0, end + 1);
        }
    }

private:
    QProcess& process_;
    QByteArray pending_;
};

} // namespace corvale
