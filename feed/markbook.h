#pragma once
// Event marks: an operator's numbered, timed one-line notes ("wave run 3
// starts"). The book numbers them from 1 in each run, keeps every mark of
// the run and announces each one, so the feed, the raw archive and the
// charts take it from one signal.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

namespace corvale {

struct Mark {
    QDateTime time;
    int number = 0;
    QString note;
};

// A note as one line: every control character (CR, LF, tab ...) becomes a
// blank, blanks at both ends go.
QString MarkNoteLine(const QString& note);
// The chart label of a mark: "3 wave run 3", or "3" without a note; a note
// longer than 40 characters is cut with "...".
QString MarkLabel(int number, const QString& note);

class MarkBook : public QObject {
    Q_OBJECT
public:
    explicit MarkBook(QObject* parent = nullptr);

    // Keeps a mark at `time` with the next number and the note as one line,
    // announces it and returns it.
    Mark mark(const QDateTime& time, const QString& note);
    // The number the next mark gets.
    int nextNumber() const { return int(marks_.size()) + 1; }
    const QList<Mark>& marks() const { return marks_; }

signals:
    void marked(const QDateTime& time, int number, const QString& note);

private:
    QList<Mark> marks_;
};

} // namespace corvale
