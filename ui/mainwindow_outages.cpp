// A line down and back with reconnect on. The gap is shown, never filled:
// the archive and the feed say when and why, the chart of that line breaks
// across it, and link health lists it. The log goes on writing on its
// timer, its readings marked stale as for any line that is not live.

#include "ui/mainwindow.h"

#include "charts/chartpanels.h"
#include "ctd/ctdpanel.h"
#include "feed/stationfeed.h"
#include "health/linkhealth.h"
#include "logging/loggingcontrol.h"

namespace corvale {

void frmMain::applyFaultSettings(const FaultSettings& settings) {
    bus_->link().setRetries(settings.retries);
    bus_->setReconnect(settings.reconnect);
    ctd_->setReconnect(settings.reconnect);
}

void frmMain::wireOutages() {
    applyFaultSettings(LoadFaultSettings());
    LoggingControl* log = logging_.get();
    StationFeed* feed = stationFeed_.get();
    ChartPanels* charts = charts_.get();
    LinkHealth* health = health_.get();
    const auto said = [log, feed](const char* line, bool up, const QString& why) {
        log->archiveLink(up, line, why);
        feed->link(QString::fromLatin1(line), up, why);
    };
    // Link health hears the bus itself.
    connect(bus_, &BusSession::lineDown, this, [said, charts](const QString& why) {
        charts->setPhLineDown(true);
        said("DGH", false, why);
    });
    connect(bus_, &BusSession::lineUp, this, [said, charts](const QString& how) {
        charts->setPhLineDown(false);
        said("DGH", true, how);
    });
    connect(ctd_.get(), &CtdPanel::lineDown, this, [said, charts, health](const QString& why) {
        charts->setCtdLineDown(true);
        health->ctdLineDown(why);
        said("CTD", false, why);
    });
    connect(ctd_.get(), &CtdPanel::lineUp, this, [said, charts, health](const QString& how) {
        charts->setCtdLineDown(false);
        health->ctdLineUp();
        said("CTD", true, how);
    });
}

} // namespace corvale
