#include "feed/replayrun.h"

#include "core/operator.h"
#include "feed/shipfeed.h"
#include "feed/stationfeed.h"
#include "widgets/statusbar.h"

#include <QDir>
#include <QFileInfo>

namespace corvale {

ReplayRun::ReplayRun(EventMarks& marks, ShipFeed& feed, StationFeed& stationFeed,
                     StationStatusBar& bar, Operator& op, QObject* parent)
    : QObject(parent), eventMarks_(marks), feed_(feed), stationFeed_(stationFeed), bar_(bar),
      op_(op) {}

ReplayRun::~ReplayRun() = default;

bool ReplayRun::start(const QString& archive, QString* error) {
    auto marks = std::make_unique<ReplayMarks>(eventMarks_);
    connect(marks.get(), &ReplayMarks::scanned, this, [this, archive](const QString& damage) {
        if (!damage.isEmpty())
            op_.message(QStringLiteral("Marks of %1: %2").arg(archive, damage));
    });
    if (!marks->open(archive, error))
        return false;
    marks_ = std::move(marks);
    archive_ = archive;
    ReplayMarks* replay = marks_.get();
    title_ = QStringLiteral("Corvale II - Replay of ") + QFileInfo(archive).fileName();
    feed_.setReplayRun(true);
    stationFeed_.setReplay([replay] { return replay->recordedTime(); });
    if (panel_ == 0)
        panel_ = bar_.addPanel();
    connect(replay, &ReplayMarks::progressed, this, &ReplayRun::showProgress);
    connect(replay, &ReplayMarks::scanned, this, &ReplayRun::showProgress);
    showProgress();
    return true;
}

void ReplayRun::lineReceived() {
    if (marks_)
        marks_->lineReceived();
}

void ReplayRun::showProgress() {
    const ReplayMarks& replay = *marks_;
    const qint64 total = replay.linesRecorded();
    QString text;
    if (replay.linesReceived() == 0)
        text = QStringLiteral("Replay: starts with Enable CTD");
    else if (replay.ended())
        text = QStringLiteral("Replay ended (%1 lines)").arg(total);
    else
        text = QStringLiteral("Replay: line %1 of %2").arg(replay.linesReceived()).arg(total);
    bar_.setPanelText(panel_, text);
    bar_.setPanelToolTip(
        panel_, QStringLiteral("Replaying %1: recorded data, not live. Recorded time %2.")
                    .arg(QDir::toNativeSeparators(archive_),
                         replay.recordedTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
}

} // namespace corvale
