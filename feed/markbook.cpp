#include "feed/markbook.h"

namespace corvale {

namespace {
constexpr qsizetype kLabelNoteLength = 40;
}

QString MarkNoteLine(const QString& note) {
    QString line = note;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line.trimmed();
}

QString MarkLabel(int number, const QString& note) {
    QString text = MarkNoteLine(note);
    if (text.size() > kLabelNoteLength)
        text = text.left(kLabelNoteLength - 3) + QStringLiteral("...");
    return text.isEmpty() ? QString::number(number)
                          : QString::number(number) + QLatin1Char(' ') + text;
}

MarkBook::MarkBook(QObject* parent) : QObject(parent) {}

Mark MarkBook::mark(const QDateTime& time, const QString& note) {
    const Mark m{time, nextNumber(), MarkNoteLine(note)};
    marks_.append(m);
    emit marked(m.time, m.number, m.note);
    return m;
}

} // namespace corvale
