#pragma once
// StatusBar1: panels numbered from 1, each with a text and a picture.
// Panel 1 logging state, 2 and 3 cursor readout, 4 DGH port state.

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

private:
    struct Panel {
        QLabel* picture;
        QLabel* text;
        QString path;
    };
    QList<Panel> panels_;
};

} // namespace corvale
