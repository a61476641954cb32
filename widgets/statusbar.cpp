#include "widgets/statusbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

namespace corvale {

StationStatusBar::StationStatusBar(int panels, QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    for (int n = 1; n <= std::max(1, panels); ++n)
        addPanel();
}

int StationStatusBar::addPanel() {
    const int n = int(panels_.size()) + 1;
    {
        auto* box = new QFrame(this);
        box->setFrameShape(QFrame::StyledPanel);
        box->setFrameShadow(QFrame::Sunken);
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(2, 0, 2, 0);
        layout->setSpacing(3);
        Panel panel;
        panel.picture = new QLabel(box);
        panel.picture->setObjectName(QStringLiteral("StatusBar1_picture%1").arg(n));
        panel.text = new QLabel(box);
        panel.text->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(n));
        layout->addWidget(panel.picture);
        layout->addWidget(panel.text, 1);
        addWidget(box, 1);
        panels_.append(panel);
    }
    return n;
}

QString StationStatusBar::panelText(int n) const {
    if (n < 1 || n > panels_.size())
        return {};
    return panels_[n - 1].text->text();
}

void StationStatusBar::setPanelText(int n, const QString& text) {
    if (n < 1 || n > panels_.size())
        return;
    panels_[n - 1].text->setText(text);
}

bool StationStatusBar::setPanelPicture(int n, const QString& path) {
    if (n < 1 || n > panels_.size())
        return false;
    QPixmap picture;
    if (path.isEmpty() || !picture.load(path))
        return false;
    panels_[n - 1].picture->setPixmap(picture);
    panels_[n - 1].path = path;
    return true;
}

QString StationStatusBar::panelPicturePath(int n) const {
    if (n < 1 || n > panels_.size())
        return {};
    return panels_[n - 1].path;
}

int StationStatusBar::panelCount() const {
    return int(panels_.size());
}

void StationStatusBar::setPanelToolTip(int n, const QString& tip) {
    if (n < 1 || n > panels_.size())
        return;
    panels_[n - 1].text->setToolTip(tip);
    panels_[n - 1].picture->setToolTip(tip);
}

void StatusPanel::setToolTip(const QString& tip) {
    bar_->setPanelToolTip(n_, tip);
}

} // namespace corvale
