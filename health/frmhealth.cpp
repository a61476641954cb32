#include "health/frmhealth.h"

#include "feed/shipfeed.h"
#include "health/linkhealth.h"
#include "widgets/windowfit.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvale {

namespace {
constexpr int kOutagesWidest = 420;

QString StateText(BusSession::State s) {
    switch (s) {
    case BusSession::State::Idle:
        return QStringLiteral("Not opened");
    case BusSession::State::Running:
        return QStringLiteral("Running");
    case BusSession::State::Closed:
        return QStringLiteral("Closed");
    case BusSession::State::Down:
        return QStringLiteral("Down, reconnecting");
    }
    return {};
}
} // namespace

frmHealth::frmHealth(LinkHealth& health, ShipFeed& feed, QWidget* parent)
    : QDialog(parent), health_(health) {
    setObjectName(QStringLiteral("frmHealth"));
    setWindowTitle(QStringLiteral("Link Health"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* column = new QVBoxLayout(this);
    auto* busBox = new QGroupBox(QStringLiteral("DGH bus"), this);
    auto* busForm = new QFormLayout;
    busState_ = value("healthBusState");
    busDevice_ = value("healthBusDevice");
    sent_ = value("healthSent");
    valid_ = value("healthValid");
    timeouts_ = value("healthTimeouts");
    invalid_ = value("healthInvalid");
    stray_ = value("healthStray");
    retries_ = value("healthRetries");
    faults_ = value("healthFaults");
    reconnect_ = value("healthReconnect");
    drain_ = value("healthDrain");
    busForm->addRow(QStringLiteral("State:"), busState_);
    busForm->addRow(QStringLiteral("Device:"), busDevice_);
    busForm->addRow(QStringLiteral("Commands sent:"), sent_);
    busForm->addRow(QStringLiteral("Valid replies:"), valid_);
    busForm->addRow(QStringLiteral("Timeouts:"), timeouts_);
    busForm->addRow(QStringLiteral("Invalid replies:"), invalid_);
    busForm->addRow(QStringLiteral("Stray replies:"), stray_);
    busForm->addRow(QStringLiteral("Retries:"), retries_);
    busForm->addRow(QStringLiteral("Faults setting:"), faults_);
    busForm->addRow(QStringLiteral("Reconnect:"), reconnect_);
    busForm->addRow(QStringLiteral("Reply window:"), drain_);
    modules_ = new QTableWidget(0, 7, this);
    modules_->setObjectName(QStringLiteral("healthModules"));
    modules_->setHorizontalHeaderLabels({QStringLiteral("Module"), QStringLiteral("Sent"),
                                         QStringLiteral("Valid"), QStringLiteral("Timeouts"),
                                         QStringLiteral("Invalid"), QStringLiteral("Retries"),
                                         QStringLiteral("Last valid reply")});
    modules_->verticalHeader()->hide();
    modules_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    modules_->setSelectionMode(QAbstractItemView::NoSelection);
    // Every column as wide as its texts; the window grows to show them all.
    modules_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    modules_->horizontalHeader()->setStretchLastSection(true);
    modules_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* busColumn = new QVBoxLayout(busBox);
    busColumn->addLayout(busForm);
    busColumn->addWidget(modules_);
    column->addWidget(busBox);

    auto* ctdBox = new QGroupBox(QStringLiteral("CTD line"), this);
    auto* ctdForm = new QFormLayout(ctdBox);
    ctdRate_ = value("healthCtdRate");
    ctdRecords_ = value("healthCtdRecords");
    ctdMalformed_ = value("healthCtdMalformed");
    ctdOverlong_ = value("healthCtdOverlong");
    ctdAge_ = value("healthCtdAge");
    ctdForm->addRow(QStringLiteral("Records per second:"), ctdRate_);
    ctdForm->addRow(QStringLiteral("Records:"), ctdRecords_);
    ctdForm->addRow(QStringLiteral("Malformed lines:"), ctdMalformed_);
    ctdForm->addRow(QStringLiteral("Over-long lines:"), ctdOverlong_);
    ctdForm->addRow(QStringLiteral("Last record:"), ctdAge_);

    // Outages of either line (reconnect on), newest last.
    auto* outageBox = new QGroupBox(QStringLiteral("Outages"), this);
    outages_ = new QTableWidget(0, 5, outageBox);
    outages_->setObjectName(QStringLiteral("healthOutages"));
    outages_->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Down"),
                                         QStringLiteral("Back"), QStringLiteral("Length"),
                                         QStringLiteral("Why")});
    outages_->verticalHeader()->hide();
    outages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outages_->setSelectionMode(QAbstractItemView::NoSelection);
    outages_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Every column as wide as its texts, the reason included; no column is
    // stretched past them (a stretched last one keeps a default width).
    outages_->horizontalHeader()->setStretchLastSection(false);
    auto* outageColumn = new QVBoxLayout(outageBox);
    outageColumn->addWidget(outages_);
    // Beside the CTD line, so the window still fits a 540-pixel-high screen.
    auto* lower = new QHBoxLayout;
    lower->addWidget(ctdBox);
    lower->addWidget(outageBox, 1);
    column->addLayout(lower);

    feed_ = value("healthFeed");
    feed_->setWordWrap(true); // a reason the feed cannot send can be long
    feed_->setText(feed.statusText());
    auto* feedForm = new QFormLayout;
    feedForm->addRow(QStringLiteral("Ship feed:"), feed_);
    column->addLayout(feedForm);

    connect(&feed, &ShipFeed::statusChanged, feed_,
            [this](const QString& text, bool) { feed_->setText(text); });
    connect(&health_, &LinkHealth::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    ageTimer_.setInterval(1000);
    connect(&ageTimer_, &QTimer::timeout, this, &frmHealth::refresh);
    resize(520, 520);
    refresh();
}

QLabel* frmHealth::value(const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void frmHealth::showEvent(QShowEvent* event) {
    refresh();
    ageTimer_.start();
    QDialog::showEvent(event);
}

void frmHealth::refresh() {
    busState_->setText(StateText(health_.busState()) +
                       (health_.busOpen() ? QString() : QStringLiteral(" (not live)")));
    busDevice_->setText(health_.busDevice());
    sent_->setText(QString::number(health_.commandsSent()));
    valid_->setText(QString::number(health_.validReplies()));
    timeouts_->setText(QString::number(health_.timeouts()));
    invalid_->setText(QString::number(health_.invalidReplies()));
    stray_->setText(QString::number(health_.strayReplies()));
    retries_->setText(QString::number(health_.retries()));
    faults_->setText(health_.retriesAllowed() == 0
                         ? QStringLiteral("no retries: a missed reply fails at once")
                         : QStringLiteral("up to %1 retr%2 of a missed reply")
                               .arg(health_.retriesAllowed())
                               .arg(health_.retriesAllowed() == 1 ? "y" : "ies"));
    reconnect_->setText(health_.reconnect()
                            ? QStringLiteral("on: no box; a line down is opened again every 2 s")
                            : QStringLiteral("off"));
    const auto& outages = health_.outages();
    outages_->setRowCount(int(outages.size()));
    const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    for (int r = 0; r < int(outages.size()); ++r) {
        const LinkOutage& o = outages[size_t(r)];
        const QString cells[5] = {o.line, o.start.toString(timeFormat),
                                  o.end.isValid() ? o.end.toString(timeFormat)
                                                  : QStringLiteral("still down"),
                                  health_.outageLengthText(o), o.reason};
        for (int c = 0; c < 5; ++c) {
            QTableWidgetItem* item = outages_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                outages_->setItem(r, c, item);
            }
            if (item->text() != cells[c]) {
                item->setText(cells[c]);
                item->setToolTip(cells[c]);
            }
        }
    }
    drain_->setText(QStringLiteral("35 ms + up to %1 ms late, %2 drains over %3 ms late")
                        .arg(health_.worstDrainLateMs())
                        .arg(health_.lateDrains())
                        .arg(LinkHealth::kLateDrainMs));

    const auto& modules = health_.modules();
    modules_->setRowCount(int(modules.size()));
    int row = 0;
    for (auto it = modules.cbegin(); it != modules.cend(); ++it, ++row) {
        const ModuleHealth& m = it.value();
        const QString cells[7] = {
            it.key(),
            QString::number(m.sent),
            QString::number(m.valid),
            QString::number(m.timeouts),
            QString::number(m.invalid),
            QString::number(m.retries),
            m.lastValidTick ? LinkHealth::AgeText(m.lastValidTime, health_.moduleAgeMs(it.key()))
                            : QStringLiteral("none")};
        for (int c = 0; c < 7; ++c) {
            QTableWidgetItem* item = modules_->item(row, c);
            if (!item) {
                item = new QTableWidgetItem;
                modules_->setItem(row, c, item);
            }
            if (item->text() != cells[c])
                item->setText(cells[c]);
        }
    }

    ctdRate_->setText(QString::number(health_.ctdRecordsPerSecond(), 'f', 1) +
                      (health_.ctdLive() ? QString() : QStringLiteral(" (not live)")));
    ctdRecords_->setText(QString::number(health_.ctdRecords()));
    ctdMalformed_->setText(QString::number(health_.ctdMalformed()));
    ctdOverlong_->setText(QString::number(health_.ctdOverlong()));
    ctdAge_->setText(LinkHealth::AgeText(health_.ctdLastRecordTime(), health_.ctdRecordAgeMs()));

    // Each table asks for the width of all its columns, so the last is never cut.
    for (QTableWidget* table : {modules_, outages_}) {
        QHeaderView* header = table->horizontalHeader();
        int need = table->frameWidth() * 2;
        const QFontMetrics fm(table->font());
        const int padding = 2 * table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
        for (int c = 0; c < table->columnCount(); ++c) {
            // A short heading still gets the header's least section width.
            int width = std::max(header->sectionSizeHint(c), header->minimumSectionSize());
            for (int r = 0; r < table->rowCount(); ++r)
                if (const QTableWidgetItem* item = table->item(r, c))
                    width = std::max(width, fm.horizontalAdvance(item->text()) + padding);
            need += width;
        }
        // The outage list is short beside the CTD line and soon scrolls: its
        // scroll bar's room is kept from the start.
        if (table == outages_ || table->verticalScrollBar()->isVisible())
            need += table->verticalScrollBar()->sizeHint().width();
        // On a screen too narrow for them all, the table scrolls sideways.
        if (const QScreen* screen = this->screen())
            need = std::min(need, screen->availableGeometry().width() - 80);
        // Beside the CTD line, long reasons scroll (each is whole in its tooltip).
        if (table == outages_)
            need = std::min(need, kOutagesWidest);
        if (table->minimumWidth() != need)
            table->setMinimumWidth(need);
    }
    if (isVisible())
        GrowToContents(this);
}

} // namespace corvale
