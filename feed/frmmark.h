#pragma once
// frmMark ("Event Mark"): the one-line note of an event mark. The mark's
// time is taken when the operator asks for it (the moment of the event), not
// when the note is done; OK hands time and note on, Cancel drops the mark.
// Asking again while a note is open brings it to the front and keeps the
// first time.

#include <QDateTime>
#include <QDialog>

class QLabel;
class QLineEdit;

namespace corvale {

class frmMark : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNoteLength = 200;

    explicit frmMark(QWidget* parent = nullptr);

    QLabel* lblMarkCaption = nullptr;
    QLineEdit* txtMarkNote = nullptr;

    // Opens an empty note for mark `number` at `time`, or brings the open
    // one to the front.
    void begin(const QDateTime& time, int number);
    QDateTime markTime() const { return time_; }

signals:
    void noted(const QDateTime& time, const QString& note);

protected:
    void accept() override;

private:
    QDateTime time_;
};

} // namespace corvale
