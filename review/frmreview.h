#pragma once
// The session review window: a recorded session (raw archive and the log
// beside it) on one time axis, with its marks, damage and a cursor that
// reads every quantity. It reads files only; no port is touched.
//
// Keys as a media player's: space plays and pauses, Left / Right step the
// cursor a CTD record (with Shift ten seconds), Home / End go to the ends.

#include "review/session.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace corvale {

class Operator;
class ReviewPlot;

class frmReview : public QWidget {
    Q_OBJECT
public:
    explicit frmReview(Operator& op, QWidget* parent = nullptr);
    ~frmReview() override;

    // Reads the session; false with *error (one sentence) when the file
    // cannot be read or is not an archive.
    bool open(const QString& archivePath, QString* error = nullptr);
    const Session& session() const { return session_; }

    // The cursor, seconds since 1970 UTC; moving it keeps it in view.
    void setCursorTime(double seconds);
    double cursorTime() const { return cursor_; }
    // The CTD row and log record the cursor reads (the last at or before it).
    std::optional<std::size_t> cursorRow() const;
    std::optional<std::size_t> cursorLogRow() const;
    // Every quantity at the cursor, as the readout shows it.
    QString readout() const;

    // Goes to mark i of the list: the view centres on it, the cursor on it.
    void goToMark(int i);
    void play();
    void pause();
    bool playing() const { return playTimer_.isActive(); }
    // Session seconds per second of playing.
    double speed() const;

    ReviewPlot* plot() const { return plot_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void wire();
    void showSession();
    void stepRows(int rows);
    void tick();
    void updateReadout();
    void exportPicture();

    Operator& op_;
    Session session_;
    std::vector<double> ctdX_, logX_;
    std::vector<double> logColumns_[7];
    double cursor_ = 0;
    QTimer playTimer_;
    QElapsedTimer sinceTick_;

    ReviewPlot* plot_ = nullptr;
    QListWidget* lstMarks = nullptr;
    QPushButton* cmdPlay = nullptr;
    QComboBox* cboSpeed = nullptr;
    QPushButton* cmdExportPicture = nullptr;
    QPushButton* cmdShowAll = nullptr;
    QLabel* lblReadout = nullptr;
    QLabel* lblReviewStatus = nullptr;
};

} // namespace corvale
