#include "core/operator.h"

namespace corvale {

ModalScope::~ModalScope() {
    if (--depth_ == 0)
        emit ModalWatch::instance().cleared();
}

ModalWatch& ModalWatch::instance() {
    static ModalWatch watch;
    return watch;
}

namespace {
// Sets a flag for as long as a box is open, however it ends.
struct Showing {
    explicit Showing(bool& flag) : flag_(flag) { flag_ = true; }
    ~Showing() { flag_ = false; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;
    bool& flag_;
};
} // namespace

void OperatorSink::message(const QString& text, const QString& caption) {
    waiting_.push_back({text, caption});
    if (showing_)
        return; // the open box's owner shows it next
    showWaiting();
}

void OperatorSink::showWaiting() {
    const Showing showing(showing_);
    const ModalScope scope;
    while (!waiting_.empty()) {
        const Pending next = waiting_.front();
        waiting_.pop_front();
        target_.message(next.text, next.caption);
    }
}

QString OperatorSink::openFileName(const QString& filter, const QString& initialName) {
    QString name;
    if (showing_) {
        // Asked for from under a box: it cannot wait, and has its answer.
        const ModalScope scope;
        return target_.openFileName(filter, initialName);
    }
    {
        const Showing showing(showing_);
        const ModalScope scope;
        name = target_.openFileName(filter, initialName);
    }
    // Messages raised while the dialog was open.
    if (!waiting_.empty())
        showWaiting();
    return name;
}

} // namespace corvale
