#pragma once
// frmHealth, "Link Health": the quiet view of both links. For the bus its
// state, device and counters, and per module the commands, valid replies,
// timeouts, invalid replies, the last valid reply and the retries, and the
// Faults setting (retries and reconnect) and every outage of a line with
// its start, end and length; for the CTD line the records per second, malformed and
// over-long lines and the last record's age; and the ship feed's status
// line. Non-modal; it only reads.

#include <QDialog>
#include <QTimer>

class QLabel;
class QTableWidget;

namespace corvale {

class LinkHealth;
class ShipFeed;

class frmHealth : public QDialog {
    Q_OBJECT
public:
    frmHealth(LinkHealth& health, ShipFeed& feed, QWidget* parent = nullptr);

    // Brings every figure up to date; runs on each change while shown and
    // once a second for the ages.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* value(const char* name);

    LinkHealth& health_;
    QLabel* busState_;
    QLabel* busDevice_;
    QLabel* sent_;
    QLabel* valid_;
    QLabel* timeouts_;
    QLabel* invalid_;
    QLabel* stray_;
    QLabel* retries_;
    QLabel* faults_;
    QLabel* reconnect_;
    QTableWidget* outages_;
    QLabel* drain_;
    QTableWidget* modules_;
    QLabel* ctdRate_;
    QLabel* ctdRecords_;
    QLabel* ctdMalformed_;
    QLabel* ctdOverlong_;
    QLabel* ctdAge_;
    QLabel* feed_;
    QTimer ageTimer_;
};

} // namespace corvale
