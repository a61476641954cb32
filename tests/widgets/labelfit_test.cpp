// Scale and time labels at small sizes: fewer of them, never two run
// together, measured from the painted geometry and the font's metrics.

#include "widgets/slide.h"
#include "widgets/stripchart.h"

#include "core/textnum.h"

#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace corvale;

namespace {

// Rectangles in order along the axis must not touch.
void ExpectApart(const QList<QPair<QString, QRect>>& labels, bool horizontal, int size) {
    for (qsizetype i = 1; i < labels.size(); ++i) {
        const QRect a = labels[i - 1].second;
        const QRect b = labels[i].second;
        EXPECT_FALSE(a.intersects(b)) << labels[i - 1].first.toStdString() << " and "
                                      << labels[i].first.toStdString() << " at " << size;
        if (horizontal) {
            EXPECT_LT(a.right(), b.left()) << size;
        } else {
            EXPECT_LT(a.bottom(), b.top()) << size;
        }
    }
}

} // namespace

TEST(LabelFit, SlideScaleThinsOutKeepingBothEnds) {
    QWidget window;
    auto* slide =
        new Slide(QStringLiteral("sldThruster"), 0, 5000, 500, 250, Qt::Horizontal, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QFontMetrics fm(slide->font());
    qsizetype previous = 1000;
    for (int width : {900, 400, 220, 120, 60, 20}) {
        slide->setFixedWidth(width);
        window.resize(width, 80);
        QCoreApplication::processEvents();
        const auto labels = slide->scaleLabels();
        ASSERT_FALSE(labels.isEmpty()) << width;
        EXPECT_LE(labels.size(), previous) << "a narrower scale never shows more labels";
        previous = labels.size();
        EXPECT_EQ(labels.first().first, QStringLiteral("0"));
        if (labels.size() > 1) {
            EXPECT_EQ(labels.last().first, QStringLiteral("5000")) << width;
        }
        for (const auto& [text, rect] : labels) {
            EXPECT_EQ(rect.width(), fm.horizontalAdvance(text));
            EXPECT_GE(rect.left(), 0);
        }
        ExpectApart(labels, true, width);
    }
    slide->setFixedWidth(900);
    QCoreApplication::processEvents();
    EXPECT_EQ(slide->scaleLabels().size(), 11) << "room for all, all are shown";
}

TEST(LabelFit, LabelledPositionsKeepRoomForEveryChoice) {
    QWidget window;
    auto* mode = new Slide(
        QStringLiteral("GraphMode"),
        {{QStringLiteral("Zoom"), 1}, {QStringLiteral("Pan"), 0}, {QStringLiteral("Cursor "), 2}},
        Qt::Vertical, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mode);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resize(120, 1); // as small as the layout allows
    QCoreApplication::processEvents();
    const auto labels = mode->scaleLabels();
    ASSERT_EQ(labels.size(), 3);
    EXPECT_EQ(labels.first().first, QStringLiteral("Zoom"));
    ExpectApart(labels, false, window.height());
}

TEST(LabelFit, ChartTimeLabelsThinOutOnANarrowChart) {
    StripChart chart(QStringLiteral("CWGraph1"), QStringLiteral("Time"), QStringLiteral("pH 1"));
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    QCPAxis* axis = chart.plot()->xAxis;
    const QFontMetrics fm(axis->tickLabelFont());
    for (double span : {20.0, 60.0, 600.0, 3600.0}) {
        chart.setTimeSpan(span);
        chart.appendPoint(DayFraction(QTime(14, 3, 7)), 7);
        for (int width : {1200, 500, 260, 160}) {
            chart.resize(width, 200);
            QCoreApplication::processEvents();
            chart.plot()->replot();
            const QVector<double> ticks = axis->tickVector();
            const QVector<QString> texts = axis->tickVectorLabels();
            ASSERT_EQ(ticks.size(), texts.size());
            if (width >= 260) {
                EXPECT_GE(ticks.size(), 2) << span << " s at " << width;
            }
            QList<QPair<QString, QRect>> labels;
            for (qsizetype i = 0; i < ticks.size(); ++i) {
                const QRect box = fm.boundingRect(0, 0, 0, 0, Qt::TextDontClip, texts[i]);
                const int centre = int(std::lround(axis->coordToPixel(ticks[i])));
                labels.append({texts[i], QRect(centre - box.width() / 2, 0, box.width(), 10)});
            }
            ExpectApart(labels, true, width);
        }
    }
}
