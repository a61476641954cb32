#pragma once
// StatusBar1: panels numbered from 1, each with a text and a picture.
// Panel 1 logging state, 2 and 3 cursor readout, 4 DGH port state, 5 link
// health; in a replay, 6 the replay's progress.

#include <QStatusBar>

class QLabel;

namespace corvale {

class StationStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StationStatusBar(int panels = 4, QWidget* parent = nullptr);
    QString panelText(int n) const;
    void setPanelText(int n, const QString& text);
    // Loads the picture from an image file; a missing or unreadable file
    // leaves the picture as it was and returns false.
    bool setPanelPicture(int n, const QString& path);
    QString panelPicturePath(int n) const; // last picture loaded, empty if none
    int panelCount() const;
    // One more panel after the last; its number.
    int addPanel();
    void setPanelToolTip(int n, const QString& tip);

private:
    struct Panel {
        QLabel* picture;
        QLabel* text;
        QString path;
    };
    QList<Panel> panels_;
};

// One panel of the status bar, handed to the one controller that writes it;
// the lights are the images in the program's icons folder.
class StatusPanel {
public:
    StatusPanel(StationStatusBar& bar, int n, const QString& iconDir)
        : bar_(&bar), n_(n), iconDir_(iconDir) {}
    void setText(const QString& text) { bar_->setPanelText(n_, text); }
    QString text() const { return bar_->panelText(n_); }
    void setToolTip(const QString& tip);
    // A missing image leaves the picture as it was.
    void showRed() { bar_->setPanelPicture(n_, iconDir_ + QStringLiteral("/redlight.bmp")); }
    void showGreen() { bar_->setPanelPicture(n_, iconDir_ + QStringLiteral("/greenlight.bmp")); }

private:
    StationStatusBar* bar_;
    int n_;
    QString iconDir_;
};

} // namespace corvale
