#include "review/frmreview.h"

#include "core/operator.h"
#include "core/textnum.h"
#include "review/reviewplot.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <cmath>

namespace corvale {

namespace {

const struct {
    const char* text;
    double factor;
} kSpeeds[] = {{"1x", 1}, {"10x", 10}, {"60x", 60}, {"600x", 600}, {"3600x", 3600}};
constexpr int kDefaultSpeed = 2;
constexpr int kPlayTickMs = 40;
constexpr qint64 kShowProgressFrom = 16 << 20; // bytes

QString Value(double v, const char* unit) {
    if (std::isnan(v))
        return QStringLiteral("-");
    return NumberText(v) + QString::fromUtf8(unit);
}

QString LocalText(double seconds, int offset) {
    const qint64 ms = std::llround(seconds * 1000);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

template <typename Times> std::optional<std::size_t> LastAtOrBefore(const Times& x, double t) {
    const auto it = std::upper_bound(x.begin(), x.end(), t);
    if (it == x.begin())
        return std::nullopt;
    return static_cast<std::size_t>(it - x.begin() - 1);
}

} // namespace

frmReview::frmReview(Operator& op, QWidget* parent) : QWidget(parent, Qt::Window), op_(op) {
    setObjectName(QStringLiteral("frmReview"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    build();
    wire();
}

frmReview::~frmReview() = default;

void frmReview::build() {
    setWindowTitle(QStringLiteral("Review Session"));
    resize(1200, 800);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    cmdPlay = new QPushButton(QStringLiteral("Play"), this);
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    cboSpeed = new QComboBox(this);
    cboSpeed->setObjectName(QStringLiteral("cboSpeed"));
    for (const auto& s : kSpeeds)
        cboSpeed->addItem(QString::fromLatin1(s.text));
    cboSpeed->setCurrentIndex(kDefaultSpeed);
    cboSpeed->setToolTip(QStringLiteral("Session time per second of playing"));
    cmdShowAll = new QPushButton(QStringLiteral("Whole Session"), this);
    cmdShowAll->setObjectName(QStringLiteral("cmdShowAll"));
    cmdExportPicture = new QPushButton(QStringLiteral("Export Picture..."), this);
    cmdExportPicture->setObjectName(QStringLiteral("cmdExportPicture"));
    // The keys belong to the window: no control takes the focus from it.
    for (QWidget* w :
         std::initializer_list<QWidget*>{cmdPlay, cboSpeed, cmdShowAll, cmdExportPicture})
        w->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(cmdPlay);
    bar->addWidget(new QLabel(QStringLiteral("Speed:"), this));
    bar->addWidget(cboSpeed);
    bar->addWidget(cmdShowAll);
    bar->addWidget(cmdExportPicture);
    bar->addStretch(1);
    layout->addLayout(bar);

    lblReadout = new QLabel(this);
    lblReadout->setObjectName(QStringLiteral("lblReadout"));
    lblReadout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReadout->setWordWrap(true);
    layout->addWidget(lblReadout);

    auto* split = new QSplitter(this);
    plot_ = new ReviewPlot(split);
    plot_->setObjectName(QStringLiteral("plotReview"));
    plot_->setFocusPolicy(Qt::NoFocus);
    auto* side = new QWidget(split);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("Marks"), side));
    lstMarks = new QListWidget(side);
    lstMarks->setObjectName(QStringLiteral("lstMarks"));
    lstMarks->setFocusPolicy(Qt::NoFocus);
    sideLayout->addWidget(lstMarks);
    split->addWidget(plot_);
    split->addWidget(side);
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    lblReviewStatus = new QLabel(this);
    lblReviewStatus->setObjectName(QStringLiteral("lblReviewStatus"));
    lblReviewStatus->setWordWrap(true);
    layout->addWidget(lblReviewStatus);
    setFocusPolicy(Qt::StrongFocus);
    playTimer_.setObjectName(QStringLiteral("tmrPlay"));
    playTimer_.setInterval(kPlayTickMs);
}

void frmReview::wire() {
    connect(cmdPlay, &QPushButton::clicked, this, [this] { playing() ? pause() : play(); });
    connect(cmdShowAll, &QPushButton::clicked, this, [this] {
        plot_->setView(session_.firstMs() / 1000.0 - 1, session_.lastMs() / 1000.0 + 1);
    });
    connect(cmdExportPicture, &QPushButton::clicked, this, &frmReview::exportPicture);
    connect(lstMarks, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            goToMark(row);
    });
    connect(plot_, &ReviewPlot::clicked, this, &frmReview::setCursorTime);
    connect(&playTimer_, &QTimer::timeout, this, &frmReview::tick);
}

bool frmReview::open(const QString& archivePath, QString* error) {
    pause();
    Session loaded;
    SessionOptions options;
    // A long session takes seconds to read: say so while it does.
    std::unique_ptr<QProgressDialog> reading;
    if (QFileInfo(archivePath).size() > kShowProgressFrom) {
        reading = std::make_unique<QProgressDialog>(
            QStringLiteral("Reading %1...").arg(QFileInfo(archivePath).fileName()), QString(), 0,
            100, isVisible() ? this : parentWidget());
        reading->setObjectName(QStringLiteral("dlgReading"));
        reading->setWindowTitle(QStringLiteral("Review Session"));
        reading->setWindowModality(Qt::ApplicationModal);
        reading->setMinimumDuration(0);
        options.progress = [&reading](double share) {
            reading->setValue(static_cast<int>(share * 100));
        };
    }
    if (!LoadSession(archivePath, options, loaded, error))
        return false;
    reading.reset();
    session_ = std::move(loaded);
    showSession();
    return true;
}

void frmReview::showSession() {
    const Session& s = session_;
    setWindowTitle(QStringLiteral("Review Session - %1").arg(QFileInfo(s.archivePath).fileName()));
    ctdX_.resize(s.ctd.size());
    for (std::size_t i = 0; i < ctdX_.size(); ++i)
        ctdX_[i] = s.ctd.utcMs[i] / 1000.0;
    logX_.resize(s.log.size());
    for (auto& c : logColumns_)
        c.resize(s.log.size());
    for (std::size_t i = 0; i < s.log.size(); ++i) {
        const LogRow& r = s.log[i];
        logX_[i] = r.utcMs / 1000.0;
        const double v[] = {r.ph,        r.phMilliVolts, r.thrusterRpm, r.waveRpm, r.thrusterWatts,
                            r.waveWatts, r.profilerWatts};
        for (int k = 0; k < 7; ++k)
            logColumns_[k][i] = v[k];
    }

    plot_->clearPanels();
    const int offset =
        s.ctd.size() ? s.ctd.utcOffset.front() : (s.log.empty() ? 0 : s.log.front().utcOffset);
    plot_->setUtcOffset(offset);
    const QColor blue(30, 90, 200), green(20, 140, 60), orange(220, 120, 20);
    plot_->addSeries(plot_->addPanel(QStringLiteral("C (mS/cm)")), QStringLiteral("conductivity"),
                     blue, &ctdX_, &s.ctd.conductivity);
    plot_->addSeries(plot_->addPanel(QStringLiteral("T (°C)")), QStringLiteral("temperature"), blue,
                     &ctdX_, &s.ctd.temperature);
    plot_->addSeries(plot_->addPanel(QStringLiteral("P (dbar)")), QStringLiteral("pressure"), blue,
                     &ctdX_, &s.ctd.pressure);
    plot_->addSeries(plot_->addPanel(QStringLiteral("Salinity")), QStringLiteral("salinity"), blue,
                     &ctdX_, &s.ctd.salinity);
    if (!s.log.empty()) {
        plot_->addSeries(plot_->addPanel(QStringLiteral("pH")), QStringLiteral("pH"), green, &logX_,
                         &logColumns_[0]);
        plot_->addSeries(plot_->addPanel(QStringLiteral("pH (mV)")), QStringLiteral("mV"), green,
                         &logX_, &logColumns_[1]);
        const int rpm = plot_->addPanel(QStringLiteral("RPM"));
        plot_->addSeries(rpm, QStringLiteral("thruster"), green, &logX_, &logColumns_[2]);
        plot_->addSeries(rpm, QStringLiteral("wave"), orange, &logX_, &logColumns_[3]);
        const int watts = plot_->addPanel(QStringLiteral("W"));
        plot_->addSeries(watts, QStringLiteral("thruster"), green, &logX_, &logColumns_[4]);
        plot_->addSeries(watts, QStringLiteral("wave"), orange, &logX_, &logColumns_[5]);
        plot_->addSeries(watts, QStringLiteral("profiler"), blue, &logX_, &logColumns_[6]);
    }
    plot_->fitValues();

    QList<PlotMark> marks;
    lstMarks->blockSignals(true);
    lstMarks->clear();
    for (const SessionMark& m : s.marks) {
        marks.append({m.utcMs / 1000.0, QString::number(m.number)});
        lstMarks->addItem(QStringLiteral("%1  %2  %3")
                              .arg(m.number)
                              .arg(LocalText(m.utcMs / 1000.0, m.utcOffset).mid(11, 8), m.note));
    }
    lstMarks->blockSignals(false);
    plot_->setMarks(marks);
    QList<PlotSpan> spans;
    qint64 malformed = 0;
    int outages = 0;
    for (const SessionSpan& span : s.spans) {
        QColor color(240, 170, 40, 70); // malformed CTD lines
        if (span.kind == SessionSpan::Kind::Damaged)
            color = QColor(130, 60, 170, 80);
        else if (span.kind == SessionSpan::Kind::Outage) {
            color = QColor(110, 110, 110, 70);
            ++outages;
        } else
            malformed += span.lines;
        spans.append({span.fromMs / 1000.0, span.toMs / 1000.0, color,
                      span.kind == SessionSpan::Kind::Outage});
    }
    plot_->setSpans(spans);

    const double from = s.firstMs() / 1000.0, to = s.lastMs() / 1000.0;
    plot_->setView(from - 1, to + 1);
    cursor_ = from;
    plot_->setCursorX(cursor_);

    QStringList status;
    status << QStringLiteral("%1: %2 CTD records (%3 malformed), %4 marks")
                  .arg(QFileInfo(s.archivePath).fileName())
                  .arg(s.ctd.size())
                  .arg(malformed)
                  .arg(s.marks.size());
    status << (s.logPath.isEmpty() ? QStringLiteral("no log file beside it")
                                   : QStringLiteral("log %1: %2 records")
                                         .arg(QFileInfo(s.logPath).fileName())
                                         .arg(s.log.size()));
    if (outages > 0)
        status << QStringLiteral("%1 line outage%2").arg(outages).arg(outages == 1 ? "" : "s");
    QString text = status.join(QStringLiteral("; ")) + QLatin1Char('.');
    if (!s.damageReport.isEmpty())
        text += QLatin1Char(' ') + s.damageReport;
    if (!s.zoneNote.isEmpty())
        text += QLatin1Char(' ') + s.zoneNote;
    lblReviewStatus->setText(text);
    updateReadout();
    plot_->replot();
}

std::optional<std::size_t> frmReview::cursorRow() const {
    return LastAtOrBefore(ctdX_, cursor_);
}

std::optional<std::size_t> frmReview::cursorLogRow() const {
    return LastAtOrBefore(logX_, cursor_);
}

QString frmReview::readout() const {
    const auto row = cursorRow();
    const auto logRow = cursorLogRow();
    const int offset =
        row ? session_.ctd.utcOffset[*row] : (logRow ? session_.log[*logRow].utcOffset : 0);
    QString text = LocalText(cursor_, offset) + QStringLiteral(" (UTC%1)").arg(OffsetText(offset));
    const double nan = qQNaN();
    const CtdRows& c = session_.ctd;
    text += QStringLiteral("   C %1   T %2   P %3   S %4")
                .arg(Value(row ? c.conductivity[*row] : nan, " mS/cm"),
                     Value(row ? c.temperature[*row] : nan, " °C"),
                     Value(row ? c.pressure[*row] : nan, " dbar"),
                     Value(row ? c.salinity[*row] : nan, ""));
    if (row && c.flag[*row] != QualityFlag::Good)
        text += QStringLiteral(" (%1)").arg(QLatin1String(QualityFlagWord(c.flag[*row])));
    if (!session_.log.empty()) {
        const LogRow* r = logRow ? &session_.log[*logRow] : nullptr;
        const auto v = [&](double LogRow::*field, const char* unit) {
            return Value(r ? r->*field : nan, unit);
        };
        text += QStringLiteral("   pH %1   %2   thruster %3, %4   wave %5, %6   profiler %7")
                    .arg(v(&LogRow::ph, ""), v(&LogRow::phMilliVolts, " mV"),
                         v(&LogRow::thrusterRpm, " RPM"), v(&LogRow::thrusterWatts, " W"),
                         v(&LogRow::waveRpm, " RPM"), v(&LogRow::waveWatts, " W"),
                         v(&LogRow::profilerWatts, " W"));
    }
    return text;
}

void frmReview::updateReadout() {
    lblReadout->setText(readout());
}

void frmReview::setCursorTime(double seconds) {
    cursor_ = seconds;
    const double from = plot_->viewFrom(), to = plot_->viewTo();
    if (seconds < from || seconds > to) {
        const double width = to - from;
        plot_->setView(seconds - width * 0.1, seconds + width * 0.9);
    }
    plot_->setCursorX(seconds);
    updateReadout();
}

void frmReview::goToMark(int i) {
    if (i < 0 || i >= session_.marks.size())
        return;
    const double at = session_.marks[i].utcMs / 1000.0;
    const double half = (plot_->viewTo() - plot_->viewFrom()) / 2;
    plot_->setView(at - half, at + half);
    setCursorTime(at);
    if (lstMarks->currentRow() != i) {
        lstMarks->blockSignals(true);
        lstMarks->setCurrentRow(i);
        lstMarks->blockSignals(false);
    }
}

double frmReview::speed() const {
    return kSpeeds[std::clamp(cboSpeed->currentIndex(), 0, int(std::size(kSpeeds)) - 1)].factor;
}

void frmReview::play() {
    if (ctdX_.empty() && logX_.empty())
        return;
    if (cursor_ >= session_.lastMs() / 1000.0)
        setCursorTime(session_.firstMs() / 1000.0);
    sinceTick_.start();
    playTimer_.start();
    cmdPlay->setText(QStringLiteral("Pause"));
}

void frmReview::pause() {
    playTimer_.stop();
    if (cmdPlay)
        cmdPlay->setText(QStringLiteral("Play"));
}

void frmReview::tick() {
    const double step = sinceTick_.restart() / 1000.0 * speed();
    const double end = session_.lastMs() / 1000.0;
    const double next = std::min(end, cursor_ + step);
    if (next > plot_->viewTo()) {
        // Page on, as a player's timeline does.
        const double width = plot_->viewTo() - plot_->viewFrom();
        plot_->setView(next - width * 0.1, next + width * 0.9);
    }
    setCursorTime(next);
    if (next >= end)
        pause();
}

void frmReview::stepRows(int rows) {
    if (ctdX_.empty())
        return;
    const auto row = cursorRow();
    long long to = row ? static_cast<long long>(*row) + rows : (rows > 0 ? rows - 1 : 0);
    // A cursor between rows steps back onto the row before it first.
    if (rows < 0 && row && ctdX_[*row] < cursor_)
        to = static_cast<long long>(*row) + rows + 1;
    to = std::clamp<long long>(to, 0, static_cast<long long>(ctdX_.size()) - 1);
    setCursorTime(ctdX_[static_cast<std::size_t>(to)]);
}

void frmReview::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_MediaTogglePlayPause:
        playing() ? pause() : play();
        return;
    case Qt::Key_Left:
        shift ? setCursorTime(cursor_ - 10) : stepRows(-1);
        return;
    case Qt::Key_Right:
        shift ? setCursorTime(cursor_ + 10) : stepRows(1);
        return;
    case Qt::Key_Home:
        setCursorTime(session_.firstMs() / 1000.0);
        return;
    case Qt::Key_End:
        setCursorTime(session_.lastMs() / 1000.0);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmReview::exportPicture() {
    const QString path =
        op_.openFileName(QStringLiteral("PNG image (*.png)|*.png|PDF document (*.pdf)|*.pdf"),
                         QStringLiteral("session.png"));
    if (path.isEmpty())
        return;
    const bool pdf = path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    const bool ok = pdf ? plot_->savePdf(path) : plot_->savePng(path);
    if (!ok)
        op_.message(QStringLiteral("Cannot write the picture %1.").arg(path));
}

} // namespace corvale
