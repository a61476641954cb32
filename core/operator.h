#pragma once
// Everything that waits for a person.

#include <QObject>
#include <QString>
#include <deque>

namespace corvale {

inline const QString kAppTitle = QStringLiteral("Corvale2");

class Operator {
public:
    virtual ~Operator() = default;
    virtual void message(const QString& text, const QString& caption) = 0; // OK only
    void message(const QString& text) { message(text, kAppTitle); }
    // Open-file dialog that offers to create a missing file; empty on cancel.
    virtual QString openFileName(const QString& filter, const QString& initialName) = 0;
};

// The one sink every part of the station speaks to the operator through:
// one box at a time. A message raised while a box (or a file dialog) is
// open waits and is shown after it, in the order raised, each once; no box
// ever opens inside another. The caller of a waiting message goes on at
// once; the caller of the open box goes on once every message that came
// meanwhile has been acknowledged too. It marks each box for the bus (see
// ModalScope), so the operator behind it need not.
class OperatorSink : public Operator {
public:
    explicit OperatorSink(Operator& target) : target_(target) {}
    using Operator::message;
    void message(const QString& text, const QString& caption) override;
    QString openFileName(const QString& filter, const QString& initialName) override;

private:
    struct Pending {
        QString text;
        QString caption;
    };
    void showWaiting();

    Operator& target_;
    std::deque<Pending> waiting_;
    bool showing_ = false;
};

// Marks a handler that waits for the operator (a message box or a file
// dialog). While any is open, bus timers skip their ticks and bus jobs wait.
class ModalScope {
public:
    ModalScope() { ++depth_; }
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    static bool active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// Says when the last open message box or file dialog has closed, so that
// work held back meanwhile can go on.
class ModalWatch : public QObject {
    Q_OBJECT
public:
    static ModalWatch& instance();
signals:
    void cleared();
};

} // namespace corvale
