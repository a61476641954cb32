#include "health/stalemarks.h"

#include "bus/modulemap.h"
#include "core/state.h"
#include "health/linkhealth.h"
#include "widgets/indicatorlamp.h"
#include "widgets/stripchart.h"

#include <QEvent>
#include <qcustomplot.h>

namespace corvale {

namespace {
const QColor kMutedText(150, 150, 150);
const char* const kStaleProperty = "stale";
} // namespace

StaleMarks::StaleMarks(const StaleMarksView& view, LinkHealth& health, const StationState& state,
                       StatusPanel summary)
    : v_(view), health_(health), state_(state), summary_(summary) {
    // The charts ask at each point they append, so a stretch starts and
    // ends exactly where the source stopped and came back.
    if (v_.phChart)
        v_.phChart->setStaleTest([this] { return phChartStale(); });
    if (v_.ctdChart)
        v_.ctdChart->setStaleTest([this] { return !health_.ctdLive(); });
    connect(&health_, &LinkHealth::changed, this, &StaleMarks::healthChanged);
    ageTimer_.setInterval(1000);
    connect(&ageTimer_, &QTimer::timeout, this, &StaleMarks::refresh);
    ageTimer_.start();
    // A tooltip about to show gets its text fresh.
    for (const auto& r : v_.readouts)
        if (r.widget)
            r.widget->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(v_.lamps[0]), static_cast<QWidget*>(v_.lamps[1]),
                       static_cast<QWidget*>(v_.phChart), static_cast<QWidget*>(v_.ctdChart)})
        if (w)
            w->installEventFilter(this);
    for (StripChart* chart : {v_.phChart, v_.ctdChart})
        if (chart && chart->plot())
            chart->plot()->installEventFilter(this);
    refresh();
}

bool StaleMarks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        updateTips();
    return QObject::eventFilter(watched, event);
}

bool StaleMarks::ShownStale(const QWidget* w) {
    return w && w->property(kStaleProperty).toBool();
}

bool StaleMarks::moduleStale(QChar module) const {
    return module.isNull() ? !health_.ctdLive() : !health_.moduleLive(module);
}

bool StaleMarks::phChartStale() const {
    // With pH reading off the chart goes on plotting the last pH.
    return !state_.PhReadingEnabled || !health_.moduleLive(modules::kPhElectrode.at(0));
}

QString StaleMarks::ageText(QChar module) const {
    if (module.isNull())
        return LinkHealth::AgeText(health_.ctdLastRecordTime(), health_.ctdRecordAgeMs());
    return LinkHealth::AgeText(health_.module(module).lastValidTime, health_.moduleAgeMs(module));
}

bool StaleMarks::markReadout(QWidget* w, bool stale) {
    if (!w || ShownStale(w) == stale)
        return false;
    w->setProperty(kStaleProperty, stale);
    if (stale) {
        livePalettes_.insert(w, w->palette());
        QPalette muted = w->palette();
        muted.setColor(QPalette::WindowText, kMutedText);
        muted.setColor(QPalette::Text, kMutedText);
        // A read-out on a button-coloured ground (the input bits in the
        // toolbar) draws its text in the button text colour.
        muted.setColor(QPalette::ButtonText, kMutedText);
        muted.setColor(w->foregroundRole(), kMutedText);
        w->setPalette(muted);
    } else {
        w->setPalette(livePalettes_.take(w));
    }
    return true;
}

void StaleMarks::healthChanged() {
    if (updateMarks())
        updateTips();
    updateSummary();
}

void StaleMarks::refresh() {
    updateMarks();
    updateTips();
    updateSummary();
}

bool StaleMarks::updateMarks() {
    bool flipped = false;
    for (const auto& r : v_.readouts)
        flipped |= markReadout(r.widget, moduleStale(r.module));
    const bool ioStale = moduleStale(modules::kDigitalIo.at(0));
    for (IndicatorLamp* lamp : v_.lamps) {
        if (lamp && lamp->stale() != ioStale) {
            lamp->setStale(ioStale);
            flipped = true;
        }
    }
    return flipped;
}

namespace {
void SetTip(QWidget* w, const QString& tip) {
    if (w && w->toolTip() != tip)
        w->setToolTip(tip);
}
} // namespace

void StaleMarks::updateTips() {
    for (const auto& r : v_.readouts)
        if (r.widget)
            SetTip(r.widget, ageText(r.module));
    const QString ioAge = ageText(modules::kDigitalIo.at(0));
    for (IndicatorLamp* lamp : v_.lamps)
        SetTip(lamp, ioAge);
    if (v_.phChart) {
        const QString age = ageText(modules::kPhElectrode.at(0));
        SetTip(v_.phChart, phChartStale() ? QStringLiteral("pH not live: ") + age : age);
    }
    if (v_.ctdChart) {
        const QString age = ageText(QChar());
        SetTip(v_.ctdChart, health_.ctdLive() ? age : QStringLiteral("CTD not live: ") + age);
    }
    const QString tip = QStringLiteral("Bus %1: %2 commands, %3 valid, %4 timeouts, %5 invalid\n"
                                       "CTD: %6 records, %7 malformed, %8 over-long\n"
                                       "Communications > Link Health shows more")
                            .arg(health_.busDevice())
                            .arg(health_.commandsSent())
                            .arg(health_.validReplies())
                            .arg(health_.timeouts())
                            .arg(health_.invalidReplies())
                            .arg(health_.ctdRecords())
                            .arg(health_.ctdMalformed())
                            .arg(health_.ctdOverlong());
    if (tip != summaryTip_) {
        summaryTip_ = tip;
        summary_.setToolTip(tip);
    }
}

void StaleMarks::updateSummary() {
    const QString text = health_.summary();
    if (summary_.text() != text)
        summary_.setText(text);
}

} // namespace corvale
