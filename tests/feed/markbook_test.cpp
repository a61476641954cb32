#include "feed/markbook.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace corvale;

TEST(MarkBook, NumbersFromOneKeepsOneLineNotesAndAnnouncesEach) {
    MarkBook book;
    QSignalSpy spy(&book, &MarkBook::marked);
    const QDateTime t1(QDate(2026, 12, 8), QTime(13, 40, 21, 45));
    const QDateTime t2 = t1.addSecs(90);
    EXPECT_EQ(book.nextNumber(), 1);
    const Mark first = book.mark(t1, QStringLiteral("  wave run 3\r\nstarts\t"));
    const Mark second = book.mark(t2, QString());
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.note, QStringLiteral("wave run 3  starts"));
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(book.nextNumber(), 3);
    ASSERT_EQ(book.marks().size(), 2);
    EXPECT_EQ(book.marks()[1].time, t2);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toDateTime(), t1);
    EXPECT_EQ(spy[0][1].toInt(), 1);
    EXPECT_EQ(spy[0][2].toString(), QStringLiteral("wave run 3  starts"));
}

TEST(MarkBook, LabelsCarryNumberAndAShortNote) {
    EXPECT_EQ(MarkLabel(3, QStringLiteral("wave run 3")), QStringLiteral("3 wave run 3"));
    EXPECT_EQ(MarkLabel(4, QStringLiteral(" \n")), QStringLiteral("4"));
    const QString label = MarkLabel(12, QString(60, QLatin1Char('x')));
    EXPECT_EQ(label, QStringLiteral("12 ") + QString(37, QLatin1Char('x')) + QStringLiteral("..."));
}
