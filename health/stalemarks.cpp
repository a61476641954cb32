#include "health/stalemarks.h"

#include "core/linkhealth.h"
#include "core/modulemap.h"
#include "core/state.h"
#include "ui/widgets/indicatorlamp.h"
#include "ui/widgets/stripchart.h"

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
    connect(&health_, &LinkHealth::changed, this, &StaleMarks::refresh);
    ageTimer_.setInterval(1000);
    connect(&ageTimer_, &QTimer::timeout, this, &StaleMarks::refresh);
    ageTimer_.start();
    refresh();
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

void StaleMarks::markReadout(QWidget* w, bool stale) {
    if (!w)
        return;
    if (ShownStale(w) != stale) {
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
    }
}

void StaleMarks::refresh() {
    for (const auto& r : v_.readouts) {
        markReadout(r.widget, moduleStale(r.module));
        if (r.widget)
            r.widget->setToolTip(ageText(r.module));
    }
    const QChar io = modules::kDigitalIo.at(0);
    for (IndicatorLamp* lamp : v_.lamps) {
        if (!lamp)
            continue;
        lamp->setStale(moduleStale(io));
        lamp->setToolTip(ageText(io));
    }
    if (v_.phChart)
        v_.phChart->setToolTip(phChartStale() ? QStringLiteral("pH not live: ") +
                                                    ageText(modules::kPhElectrode.at(0))
                                              : ageText(modules::kPhElectrode.at(0)));
    if (v_.ctdChart)
        v_.ctdChart->setToolTip(health_.ctdLive()
                                    ? ageText(QChar())
                                    : QStringLiteral("CTD not live: ") + ageText(QChar()));

    const QString text = health_.summary();
    if (summary_.text() != text)
        summary_.setText(text);
    summary_.setToolTip(QStringLiteral("Bus %1: %2 commands, %3 valid, %4 timeouts, %5 invalid\n"
                                       "CTD: %6 records, %7 malformed, %8 over-long\n"
                                       "Communications > Link Health shows more")
                            .arg(health_.busDevice())
                            .arg(health_.commandsSent())
                            .arg(health_.validReplies())
                            .arg(health_.timeouts())
                            .arg(health_.invalidReplies())
                            .arg(health_.ctdRecords())
                            .arg(health_.ctdMalformed())
                            .arg(health_.ctdOverlong()));
}

} // namespace corvale
