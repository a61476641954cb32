#pragma once
// Status-bar panel 4, the DGH port's state, written only here: it follows
// the bus session. Opened from the port dialog: the settings text beside the
// green light; closed after a failure: the red light and "Comm port closed".
// A port that goes away shows as closed at once. Its tooltip names the
// device the port number opens.

#include "bus/bussession.h"
#include "widgets/statusbar.h"

#include <QObject>

namespace corvale {

class BusStatusPanel : public QObject {
    Q_OBJECT
public:
    BusStatusPanel(BusSession& bus, StatusPanel panel);

private:
    void show(BusSession::State state);

    BusSession& bus_;
    StatusPanel panel_;
};

} // namespace corvale
