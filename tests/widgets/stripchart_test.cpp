#include "widgets/stripchart.h"

#include "core/textnum.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace corvale;

namespace {

constexpr double kSecond = 1.0 / 86400.0;

double At(int h, int m, int s) {
    return DayFraction(QTime(h, m, s));
}

// A chart laid out on screen, so pixels map to axis values.
struct ShownChart {
    StripChart chart{QStringLiteral("CWGraph1"), QStringLiteral("Time"), QStringLiteral("pH 1")};
    ShownChart() {
        chart.resize(600, 300);
        chart.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&chart));
        chart.plot()->replot();
    }
    QPoint pixel(double x, double y) const {
        return {int(std::lround(chart.plot()->xAxis->coordToPixel(x))),
                int(std::lround(chart.plot()->yAxis->coordToPixel(y)))};
    }
    void drag(QPoint from, QPoint to) {
        QWidget* w = chart.plot();
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
        const QPoint mid = (from + to) / 2;
        QTest::mouseMove(w, mid);
        QTest::mouseMove(w, to);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
    }
};

} // namespace

TEST(StripChart, AppendedPointsScrollInFromTheRight) {
    StripChart c(QStringLiteral("CWGraph2"), QStringLiteral("Time"),
                 QStringLiteral("Conductivitiy"));
    EXPECT_EQ(c.objectName(), QStringLiteral("CWGraph2"));
    EXPECT_GE(c.maxPoints(), 172800);
    for (int s = 0; s < 3; ++s)
        c.appendPoint(At(14, 3, s), 40 + s);
    ASSERT_EQ(c.pointCount(), 3);
    EXPECT_DOUBLE_EQ(c.point(1).x(), At(14, 3, 1));
    EXPECT_EQ(c.point(2).y(), 42);
    EXPECT_EQ(c.point(7), QPointF());
    EXPECT_DOUBLE_EQ(c.xMax(), At(14, 3, 2));
    EXPECT_NEAR(c.xMax() - c.xMin(), 60 * kSecond, 1e-12);

    c.setTimeSpan(600);
    EXPECT_NEAR(c.xMax() - c.xMin(), 600 * kSecond, 1e-12);
    EXPECT_DOUBLE_EQ(c.xMax(), At(14, 3, 2));
    c.appendPoint(At(14, 3, 3), 43);
    EXPECT_DOUBLE_EQ(c.xMax(), At(14, 3, 3));

    c.appendPoint(std::nan(""), 1);
    c.appendPoint(At(14, 3, 4), std::numeric_limits<double>::infinity());
    EXPECT_EQ(c.pointCount(), 4);
}

TEST(StripChart, MidnightKeepsTimeOrder) {
    StripChart c(QStringLiteral("c"), QString(), QString());
    c.appendPoint(At(23, 59, 58), 1);
    c.appendPoint(At(23, 59, 59), 2);
    c.appendPoint(At(0, 0, 0), 3);
    c.appendPoint(At(0, 0, 1), 4);
    ASSERT_EQ(c.pointCount(), 4);
    EXPECT_EQ(c.point(2).y(), 3);
    EXPECT_NEAR(c.point(3).x(), At(0, 0, 1), 1e-12);
    // The newest point is on the right, one day on.
    EXPECT_NEAR(c.xMax(), 1 + At(0, 0, 1), 1e-12);
    EXPECT_GT(c.xMin(), At(23, 58, 0));
    EXPECT_EQ(StripChart::timeLabel(c.xMax()), QStringLiteral("00:00:01"));

    c.clear();
    EXPECT_EQ(c.pointCount(), 0);
    c.appendPoint(At(8, 0, 0), 5);
    EXPECT_NEAR(c.xMax(), At(8, 0, 0), 1e-12);
}

TEST(StripChart, StoreIsBoundedDroppingTheOldest) {
    StripChart c(QStringLiteral("c"), QString(), QString());
    c.setMaxPoints(5);
    for (int s = 0; s < 8; ++s)
        c.appendPoint(At(10, 0, s), s);
    ASSERT_EQ(c.pointCount(), 5);
    EXPECT_EQ(c.point(0).y(), 3);
    EXPECT_EQ(c.point(4).y(), 7);
    c.setMaxPoints(2);
    ASSERT_EQ(c.pointCount(), 2);
    EXPECT_EQ(c.point(0).y(), 6);

    // Long runs past the bound, with the store compacted along the way.
    c.setMaxPoints(2000);
    for (int i = 0; i < 10000; ++i)
        c.appendPoint(At(11, 0, 0) + i * 0.5 * kSecond, i);
    ASSERT_EQ(c.pointCount(), 2000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(c.point(i).y(), 8000 + i) << i;

    // Equal times are kept; dropping still takes the oldest.
    c.setMaxPoints(3);
    for (int i = 0; i < 4; ++i)
        c.appendPoint(At(12, 0, 0), 100 + i);
    ASSERT_EQ(c.pointCount(), 3);
    EXPECT_EQ(c.point(0).y(), 101);
}

TEST(StripChart, YRangeIsSetInOneCall) {
    StripChart c(QStringLiteral("c"), QString(), QString());
    c.setYRange(4, 10);
    EXPECT_EQ(c.yMin(), 4);
    EXPECT_EQ(c.yMax(), 10);
    c.setYRange(56, 44);
    EXPECT_EQ(c.yMin(), 44);
    EXPECT_EQ(c.yMax(), 56);
    c.setYRange(7, 7);
    c.setYRange(std::nan(""), 3);
    EXPECT_EQ(c.yMin(), 44);
    EXPECT_EQ(c.yMax(), 56);
}

TEST(StripChart, RepaintsOncePerFrameAndNeverWithoutAChange) {
    ShownChart s;
    QTest::qWait(50);
    QSignalSpy replots(s.chart.plot(), &QCustomPlot::afterReplot);
    QTest::qWait(50);
    EXPECT_EQ(replots.count(), 0);
    for (int i = 0; i < 20; ++i)
        s.chart.appendPoint(At(9, 0, i), i);
    s.chart.setYRange(0, 20);
    EXPECT_EQ(replots.count(), 0);
    ASSERT_TRUE(replots.wait(1000));
    QTest::qWait(50);
    EXPECT_EQ(replots.count(), 1);
    // What is shown already: nothing to draw.
    s.chart.setYRange(0, 20);
    s.chart.setCursorVisible(1, false);
    s.chart.setCursorPosition(2, s.chart.cursorX(2), s.chart.cursorY(2));
    QTest::qWait(50);
    EXPECT_EQ(replots.count(), 1);
}

TEST(StripChart, TimeAxisIsLabelledAsTimeOfDay) {
    EXPECT_EQ(StripChart::timeLabel(At(14, 3, 7)), QStringLiteral("14:03:07"));
    EXPECT_EQ(StripChart::timeLabel(0.5), QStringLiteral("12:00:00"));
    ShownChart s;
    for (double span : {20.0, 600.0, 5 * 3600.0}) {
        s.chart.setTimeSpan(span);
        s.chart.appendPoint(At(14, 3, 7), 7);
        s.chart.plot()->replot();
        const QVector<double> ticks = s.chart.plot()->xAxis->tickVector();
        const QVector<QString> labels = s.chart.plot()->xAxis->tickVectorLabels();
        ASSERT_GE(ticks.size(), 2) << span;
        const QRegularExpression hms(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
        for (const QString& label : labels)
            EXPECT_TRUE(hms.match(label).hasMatch()) << label.toStdString();
        EXPECT_EQ(labels.first(), FormatDayFraction(ticks.first()));
        const double step = (ticks[1] - ticks[0]) * 86400;
        EXPECT_NEAR(step, std::round(step), 1e-6) << span;
        EXPECT_LE(ticks.size(), 12) << span;
    }
}

TEST(StripChart, ModesSetWhatTheMouseDoes) {
    StripChart c(QStringLiteral("c"), QString(), QString());
    EXPECT_EQ(c.interactionMode(), StripChart::Zoom);
    EXPECT_EQ(c.plot()->selectionRectMode(), QCP::srmZoom);
    c.setInteractionMode(StripChart::Pan);
    EXPECT_TRUE(c.plot()->interactions().testFlag(QCP::iRangeDrag));
    EXPECT_EQ(c.plot()->selectionRectMode(), QCP::srmNone);
    c.setInteractionMode(StripChart::Cursors);
    EXPECT_FALSE(c.plot()->interactions().testFlag(QCP::iRangeDrag));
    EXPECT_EQ(c.plot()->selectionRectMode(), QCP::srmNone);
    c.setInteractionMode(5);
    EXPECT_EQ(c.interactionMode(), StripChart::Cursors);
}

TEST(StripChart, ZoomRectangleAndPanMoveTheAxesAndStopFollowing) {
    ShownChart s;
    s.chart.setYRange(0, 14);
    for (int i = 0; i < 60; ++i)
        s.chart.appendPoint(At(10, 0, i), 7);
    s.chart.plot()->replot();
    const double xMin = s.chart.xMin();

    s.drag(s.pixel(xMin + 10 * kSecond, 10), s.pixel(xMin + 30 * kSecond, 4));
    EXPECT_NEAR(s.chart.xMin(), xMin + 10 * kSecond, kSecond);
    EXPECT_NEAR(s.chart.xMax(), xMin + 30 * kSecond, kSecond);
    EXPECT_NEAR(s.chart.yMin(), 4, 0.2);
    EXPECT_NEAR(s.chart.yMax(), 10, 0.2);
    EXPECT_FALSE(s.chart.following());
    const double zoomedMax = s.chart.xMax();
    s.chart.appendPoint(At(10, 1, 0), 7);
    EXPECT_EQ(s.chart.xMax(), zoomedMax); // the view stays put

    s.chart.setFollowing(true);
    EXPECT_DOUBLE_EQ(s.chart.xMax(), At(10, 1, 0));
    s.chart.plot()->replot();

    s.chart.setInteractionMode(StripChart::Pan);
    const double yMin = s.chart.yMin();
    s.drag(QPoint(300, 100), QPoint(400, 150));
    EXPECT_LT(s.chart.xMax(), At(10, 1, 0));
    EXPECT_GT(s.chart.yMin(), yMin);
    EXPECT_FALSE(s.chart.following());
}

TEST(StripChart, CursorsShowHideAndPlace) {
    StripChart c(QStringLiteral("c"), QString(), QString());
    EXPECT_FALSE(c.cursorVisible(1));
    EXPECT_FALSE(c.cursorVisible(2));
    c.setCursorVisible(1, true);
    EXPECT_TRUE(c.cursorVisible(1));
    EXPECT_FALSE(c.cursorVisible(2));
    c.setCursorPosition(2, At(14, 3, 7), 52.12346);
    EXPECT_EQ(c.cursorX(2), At(14, 3, 7));
    EXPECT_EQ(c.cursorY(2), 52.12346);
    c.setCursorVisible(3, true);
    EXPECT_FALSE(c.cursorVisible(3));
    EXPECT_EQ(c.cursorX(3), 0);

    QSignalSpy spy(&c, &StripChart::cursorMoved);
    c.dragCursorTo(1, At(14, 3, 7), 52.12346);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(0).at(1).toDouble(), At(14, 3, 7));
    EXPECT_EQ(spy.at(0).at(2).toDouble(), 52.12346);
    EXPECT_TRUE(spy.at(0).at(3).toBool());
    EXPECT_EQ(c.cursorX(1), At(14, 3, 7));
}

TEST(StripChart, OperatorDragsAVisibleCursorOnlyInCursorMode) {
    ShownChart s;
    s.chart.setYRange(0, 14);
    s.chart.appendPoint(At(14, 3, 7), 7);
    s.chart.plot()->replot();
    const double cx = (s.chart.xMin() + s.chart.xMax()) / 2;
    s.chart.setCursorPosition(1, cx, 7);
    s.chart.setCursorVisible(1, true);
    QSignalSpy spy(&s.chart, &StripChart::cursorMoved);

    s.chart.setInteractionMode(StripChart::Cursors);
    s.chart.setCursorVisible(1, false);
    s.drag(s.pixel(cx, 7), s.pixel(cx + 10 * kSecond, 9));
    EXPECT_EQ(spy.count(), 0); // a hidden cursor is not grabbed

    s.chart.setCursorVisible(1, true);
    const QPoint to = s.pixel(cx + 10 * kSecond, 9);
    s.drag(s.pixel(cx, 7) + QPoint(3, 40), to); // on its vertical line
    ASSERT_EQ(spy.count(), 2);
    const QList<QVariant> last = spy.at(1);
    EXPECT_EQ(last.at(0).toInt(), 1);
    EXPECT_NEAR(last.at(1).toDouble(), cx + 10 * kSecond, 0.5 * kSecond);
    EXPECT_NEAR(last.at(2).toDouble(), 9, 0.1);
    EXPECT_TRUE(last.at(3).toBool());
    EXPECT_EQ(s.chart.cursorX(1), last.at(1).toDouble());

    s.chart.setInteractionMode(StripChart::Zoom);
    s.drag(s.pixel(s.chart.cursorX(1), 9), s.pixel(s.chart.cursorX(1) - 5 * kSecond, 8));
    EXPECT_EQ(spy.count(), 2);
}

namespace {

// Columns of the rendered plot where the mark colour appears in the plot area.
QList<int> MarkColumns(StripChart& chart) {
    chart.plot()->replot();
    const QImage image = chart.plot()->toPixmap().toImage();
    const QRect area = chart.plot()->axisRect()->rect();
    QList<int> columns;
    for (int x = area.left(); x <= area.right(); ++x) {
        int hits = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            hits += image.pixelColor(x, y) == QColor(190, 90, 0);
        if (hits > area.height() / 2)
            columns << x;
    }
    return columns;
}

} // namespace

TEST(StripChartMarks, AMarkIsALabelledLineAtItsTimeThatStaysAsTheChartMoves) {
    ShownChart s;
    for (int i = 0; i < 30; ++i)
        s.chart.appendPoint(At(14, 3, i), 5);
    s.chart.addMark(At(14, 3, 10), QStringLiteral("1 wave run 3"));
    s.chart.addMark(At(14, 3, 5), QStringLiteral("2"));
    ASSERT_EQ(s.chart.marks().size(), 2);
    EXPECT_EQ(s.chart.marks()[0].label, QStringLiteral("2")) << "kept in time order";
    EXPECT_DOUBLE_EQ(s.chart.marks()[1].x, At(14, 3, 10));

    const int markPixel = s.pixel(At(14, 3, 10), 0).x();
    QList<int> columns = MarkColumns(s.chart);
    EXPECT_TRUE(columns.contains(markPixel) || columns.contains(markPixel - 1)) << markPixel;
    QCPItemText* label = nullptr;
    for (int i = 0; i < s.chart.plot()->itemCount(); ++i) {
        auto* text = qobject_cast<QCPItemText*>(s.chart.plot()->item(i));
        if (text && text->text() == QStringLiteral("1 wave run 3"))
            label = text;
    }
    ASSERT_NE(label, nullptr);
    EXPECT_NEAR(s.chart.plot()->xAxis->coordToPixel(label->position->coords().x()), markPixel, 1);

    // Scrolling on and zooming in keep it at its time.
    for (int i = 30; i < 40; ++i)
        s.chart.appendPoint(At(14, 3, i), 5);
    s.chart.plot()->xAxis->setRange(At(14, 3, 8), At(14, 3, 12));
    const int zoomedPixel = s.pixel(At(14, 3, 10), 0).x();
    columns = MarkColumns(s.chart);
    EXPECT_TRUE(columns.contains(zoomedPixel) || columns.contains(zoomedPixel - 1)) << zoomedPixel;

    s.chart.clear();
    EXPECT_TRUE(s.chart.marks().isEmpty());
    EXPECT_TRUE(MarkColumns(s.chart).isEmpty());
    s.chart.addMark(qQNaN(), QStringLiteral("never"));
    EXPECT_TRUE(s.chart.marks().isEmpty());
}

TEST(StripChartMarks, MarksTakeTheDayNearestTheNewestPointAndGoWithTheOldestPoints) {
    StripChart c(QStringLiteral("CWGraph2"), QStringLiteral("Time"), QStringLiteral("Cond"));
    c.addMark(At(23, 59, 58), QStringLiteral("before any point"));
    c.appendPoint(At(23, 59, 59), 1);
    c.appendPoint(At(0, 0, 0), 1); // the next day: chart X 1
    c.addMark(At(0, 0, 0), QStringLiteral("just after midnight"));
    c.addMark(At(23, 59, 59), QStringLiteral("just before"));
    const QList<ChartMark> marks = c.marks();
    ASSERT_EQ(marks.size(), 3);
    EXPECT_DOUBLE_EQ(marks[0].x, At(23, 59, 58));
    EXPECT_DOUBLE_EQ(marks[1].x, At(23, 59, 59)) << "a moment before the newest point";
    EXPECT_DOUBLE_EQ(marks[2].x, 1 + At(0, 0, 0));

    c.setMaxPoints(1); // keeps only the point after midnight
    ASSERT_EQ(c.marks().size(), 1);
    EXPECT_EQ(c.marks()[0].label, QStringLiteral("just after midnight"));
}
