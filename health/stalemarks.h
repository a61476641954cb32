#pragma once
// StaleMarks: shows on every read-out, lamp and chart whether its source is
// live (see health/linkhealth.h), without touching what they show. A read-out
// that is not live is drawn in grey (property "stale" true), a lamp greyed
// and hatched, a chart's points appended meanwhile over-drawn as a grey
// dashed stretch; each tooltip gives the age of the reading. It is also the
// one writer of status-bar panel 5, the link health summary.
//
// Link health changes with every exchange and CTD line, so on a change only
// the marks and the summary are judged, and a look is touched only when it
// flips. The tooltips are made when one is about to show, when a mark
// flips, and once a second with the ages.

#include "widgets/statusbar.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QTimer>
#include <array>

namespace corvale {

class IndicatorLamp;
class LinkHealth;
class StripChart;
struct StationState;

struct StaleMarksView {
    // A read-out and the bus module it shows; a null module: the CTD.
    struct Readout {
        QWidget* widget;
        QChar module;
    };
    QList<Readout> readouts;
    std::array<IndicatorLamp*, 2> lamps; // the poll of module 9
    StripChart* phChart;                 // fed from module A
    StripChart* ctdChart;                // fed from the CTD line
};

class StaleMarks : public QObject {
    Q_OBJECT
public:
    StaleMarks(const StaleMarksView& view, LinkHealth& health, const StationState& state,
               StatusPanel summary);

    // Brings every mark, tooltip and the summary up to date; runs once a
    // second for the ages.
    void refresh();

    // Whether a read-out is shown as not live.
    static bool ShownStale(const QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void healthChanged();
    // True when any mark flipped.
    bool updateMarks();
    void updateTips();
    void updateSummary();
    bool moduleStale(QChar module) const;
    bool phChartStale() const;
    bool markReadout(QWidget* w, bool stale);
    QString ageText(QChar module) const;

    StaleMarksView v_;
    LinkHealth& health_;
    const StationState& state_;
    StatusPanel summary_;
    QHash<QWidget*, QPalette> livePalettes_;
    QString summaryTip_;
    QTimer ageTimer_;
};

} // namespace corvale
