// The value contract shared by the station's controls: value(), setValue(),
// and valueChanged raised synchronously on every real change, by program or
// operator alike, never for an equal write.

#include "widgets/indicatorlamp.h"
#include "widgets/knob.h"
#include "widgets/numericbox.h"
#include "widgets/slide.h"
#include "widgets/togglebutton.h"

#include <QDial>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvale;

namespace {

QList<QVariant> Args(const QSignalSpy& spy, int i) {
    return spy.at(i);
}

} // namespace

TEST(ToggleButton, ProgramWritesRaiseOnlyRealChangesAndSwapText) {
    ToggleButton b(QStringLiteral("cwPlot"), QStringLiteral("Pause Plot"),
                   QStringLiteral("Start Plot"));
    QSignalSpy spy(&b, &ToggleButton::valueChanged);
    EXPECT_EQ(b.objectName(), QStringLiteral("cwPlot"));
    EXPECT_FALSE(b.value());
    EXPECT_EQ(b.text(), QStringLiteral("Start Plot"));

    b.setValue(false);
    EXPECT_EQ(spy.count(), 0);
    b.setValue(true);
    b.setValue(true);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(Args(spy, 0).at(0).toBool());
    EXPECT_EQ(b.text(), QStringLiteral("Pause Plot"));
    b.setValue(false);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(Args(spy, 1).at(0).toBool());
    EXPECT_EQ(b.text(), QStringLiteral("Start Plot"));
}

TEST(ToggleButton, OperatorClicksToggleAndDisabledButtonIgnoresThem) {
    ToggleButton b(QStringLiteral("cwThrust"), QStringLiteral("On"), QStringLiteral("Off"));
    QSignalSpy spy(&b, &ToggleButton::valueChanged);
    QTest::mouseClick(&b, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(b.value());
    EXPECT_EQ(b.text(), QStringLiteral("On"));
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(b.value());

    b.setEnabled(false);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 2);
    // The program can still switch a disabled button (the interlock does).
    b.setValue(true);
    EXPECT_EQ(spy.count(), 3);
}

TEST(ToggleButton, HandlerWritingAnotherWidgetRunsBeforeTheWriteReturns) {
    ToggleButton a(QStringLiteral("a"), QStringLiteral("on"), QStringLiteral("off"));
    ToggleButton b(QStringLiteral("b"), QStringLiteral("on"), QStringLiteral("off"));
    QList<QString> order;
    QObject::connect(&a, &ToggleButton::valueChanged, [&](bool on) {
        order << QStringLiteral("a");
        b.setValue(on);
    });
    QObject::connect(&b, &ToggleButton::valueChanged, [&](bool) { order << QStringLiteral("b"); });
    a.setValue(true);
    order << QStringLiteral("returned");
    EXPECT_EQ(order, (QList<QString>{"a", "b", "returned"}));
    EXPECT_TRUE(b.value());
}

TEST(IndicatorLamp, RaisesOnlyRealChangesAndPaintsTheState) {
    IndicatorLamp lamp(QStringLiteral("lblStatus_0"));
    lamp.resize(lamp.sizeHint());
    QSignalSpy spy(&lamp, &IndicatorLamp::valueChanged);
    const QImage off = lamp.grab().toImage();
    lamp.setValue(false);
    EXPECT_EQ(spy.count(), 0);
    lamp.setValue(true);
    lamp.setValue(true);
    EXPECT_EQ(spy.count(), 1);
    const QImage on = lamp.grab().toImage();
    const QPoint centre(on.width() / 2, on.height() / 2);
    EXPECT_NE(on.pixel(centre), off.pixel(centre));
    EXPECT_GT(qGreen(on.pixel(centre)), qGreen(off.pixel(centre)));
}

TEST(Slide, ProgramWritesClampToTheScaleAndRaiseOnce) {
    Slide s(QStringLiteral("sldThruster"), 0, 1000, 100, 50);
    QSignalSpy spy(&s, &Slide::valueChanged);
    EXPECT_EQ(s.objectName(), QStringLiteral("sldThruster"));
    EXPECT_EQ(s.minimum(), 0);
    EXPECT_EQ(s.maximum(), 1000);
    s.setValue(250);
    s.setValue(250);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Args(spy, 0).at(0).toDouble(), 250);
    EXPECT_EQ(s.slider()->value(), 250);

    s.setValue(1500);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(s.value(), 1000);
    s.setValue(2000); // still the limit: no change
    EXPECT_EQ(spy.count(), 2);
    s.setValue(-5);
    EXPECT_EQ(s.value(), 0);
    s.setValue(std::nan(""));
    EXPECT_EQ(s.value(), 0);
    EXPECT_EQ(spy.count(), 3);
}

TEST(Slide, OperatorKeysMoveTheValue) {
    Slide s(QStringLiteral("sldWave"), 0, 5000, 500, 250);
    QSignalSpy spy(&s, &Slide::valueChanged);
    QTest::keyClick(s.slider(), Qt::Key_Right);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(s.value(), 1);
    QTest::keyClick(s.slider(), Qt::Key_End);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(s.value(), 5000);
    QTest::keyClick(s.slider(), Qt::Key_End);
    EXPECT_EQ(spy.count(), 2);
}

TEST(Slide, FractionalScaleKeepsFineSteps) {
    Slide s(QStringLiteral("fine"), 0, 1, 0.5, 0.1);
    QSignalSpy spy(&s, &Slide::valueChanged);
    s.setValue(0.25);
    EXPECT_EQ(s.value(), 0.25);
    QTest::keyClick(s.slider(), Qt::Key_Right);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_DOUBLE_EQ(s.value(), 0.26);
}

TEST(Slide, LabelledPositionsYieldTheirOwnValues) {
    Slide s(
        QStringLiteral("GraphMode"),
        {{QStringLiteral("Zoom"), 1}, {QStringLiteral("Pan"), 0}, {QStringLiteral("Cursor "), 2}});
    QSignalSpy spy(&s, &Slide::valueChanged);
    EXPECT_EQ(s.positionLabels(), (QStringList{QStringLiteral("Zoom"), QStringLiteral("Pan"),
                                               QStringLiteral("Cursor ")}));
    EXPECT_EQ(s.value(), 1); // the first position

    s.selectPosition(QStringLiteral("Pan"));
    s.selectPosition(QStringLiteral("Pan"));
    s.selectPosition(QStringLiteral("Nowhere"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Args(spy, 0).at(0).toDouble(), 0);
    EXPECT_EQ(s.slider()->value(), 1);

    s.setValue(2);
    EXPECT_EQ(s.slider()->value(), 2);
    EXPECT_EQ(spy.count(), 2);
    s.setValue(7); // beyond the positions: the last one, already selected
    EXPECT_EQ(s.value(), 2);
    EXPECT_EQ(spy.count(), 2);

    QTest::keyClick(s.slider(), Qt::Key_Home);
    EXPECT_EQ(s.value(), 1);
    EXPECT_EQ(spy.count(), 3);
}

TEST(Knob, ClampsToItsScaleAndShowsTheValue) {
    Knob k(QStringLiteral("CWpHmax"), QStringLiteral("Max."), 0, 14);
    QSignalSpy spy(&k, &Knob::valueChanged);
    EXPECT_EQ(k.objectName(), QStringLiteral("CWpHmax"));
    k.setValue(10);
    k.setValue(10);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(k.readout(), QStringLiteral("10"));
    k.setValue(20);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(Args(spy, 1).at(0).toDouble(), 14);
    k.setValue(15);
    EXPECT_EQ(spy.count(), 2);
    k.setValue(-1);
    EXPECT_EQ(k.value(), 0);
    k.setValue(4.123);
    EXPECT_EQ(k.value(), 4.123);
    EXPECT_EQ(k.readout(), QStringLiteral("4.12"));
    EXPECT_EQ(k.dial()->value(), 412);

    Knob ctd(QStringLiteral("CWKnobCTDmax"), QStringLiteral("Max."), 28, 52);
    ctd.setValue(56);
    EXPECT_EQ(ctd.value(), 52);
}

TEST(Knob, OperatorTurnsInFineSteps) {
    Knob k(QStringLiteral("CWpHmin"), QStringLiteral("Min."), 0, 14);
    QSignalSpy spy(&k, &Knob::valueChanged);
    QTest::keyClick(k.dial(), Qt::Key_Right);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_DOUBLE_EQ(k.value(), 0.01);
    EXPECT_EQ(k.readout(), QStringLiteral("0.01"));
    QTest::keyClick(k.dial(), Qt::Key_End);
    EXPECT_EQ(k.value(), 14);
    EXPECT_EQ(spy.count(), 2);
}

TEST(NumericBox, TypedValueCountsOnceWhenConfirmed) {
    NumericBox box(QStringLiteral("CWNumEdit1"), 0, 1000);
    QSignalSpy spy(&box, &NumericBox::valueChanged);
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("300"));
    EXPECT_EQ(spy.count(), 0);
    QTest::keyClick(&box, Qt::Key_Return);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Args(spy, 0).at(0).toDouble(), 300);
    QTest::keyClick(&box, Qt::Key_Return); // confirming the same value again
    EXPECT_EQ(spy.count(), 1);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(box.value(), 301);
}

TEST(NumericBox, ProgramWritesClampAndRaiseOnlyRealChanges) {
    NumericBox box(QStringLiteral("CWNumEdit2"), 0, 5000);
    QSignalSpy spy(&box, &NumericBox::valueChanged);
    EXPECT_EQ(box.objectName(), QStringLiteral("CWNumEdit2"));
    box.setValue(300);
    box.setValue(300);
    EXPECT_EQ(spy.count(), 1);
    box.setValue(9000);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(Args(spy, 1).at(0).toDouble(), 5000);
    box.setValue(std::nan(""));
    box.setValue(6000);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(box.value(), 5000);
}
