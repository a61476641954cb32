#include "feed/frmfeed.h"

#include "feed/shipfeed.h"
#include "widgets/dialogs.h"
#include "widgets/windowfit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace corvale {

frmFeed::frmFeed(ShipFeed& feed, QWidget* parent) : QDialog(parent), feed_(feed) {
    setObjectName(QStringLiteral("frmFeed"));
    setWindowTitle(QStringLiteral("Ship Feed"));
    setModal(false);

    chkFeedOn = new QCheckBox(QStringLiteral("Send the live feed"), this);
    chkFeedOn->setObjectName(QStringLiteral("chkFeedOn"));
    txtFeedAddress = new QLineEdit(this);
    txtFeedAddress->setObjectName(QStringLiteral("txtFeedAddress"));
    spnFeedPort = new QSpinBox(this);
    spnFeedPort->setObjectName(QStringLiteral("spnFeedPort"));
    spnFeedPort->setRange(1, 65535);
    lblFeedProblem = new QLabel(this);
    lblFeedProblem->setObjectName(QStringLiteral("lblFeedProblem"));
    lblFeedProblem->setStyleSheet(QStringLiteral("color: #b00000"));
    lblFeedStatus = new QLabel(this);
    lblFeedStatus->setObjectName(QStringLiteral("lblFeedStatus"));
    lblFeedStatus->setWordWrap(true);
    const SaveCloseButtons buttons =
        SaveCloseRow(this, QStringLiteral("cmdFeedSave"), QStringLiteral("cmdFeedClose"));
    cmdFeedSave = buttons.save;
    cmdFeedClose = buttons.close;

    chkFeedReplay = new QCheckBox(QStringLiteral("Send this replay too (this run only)"), this);
    chkFeedReplay->setToolTip(QStringLiteral("Each sentence then ends with the field REPLAY and "
                                             "carries its recorded time."));
    chkFeedReplay->setObjectName(QStringLiteral("chkFeedReplay"));
    chkFeedReplay->setChecked(feed_.sendReplay());
    chkFeedReplay->setVisible(feed_.replayRun());

    auto* layout = new QFormLayout(this);
    layout->addRow(chkFeedOn);
    if (feed_.replayRun())
        layout->addRow(chkFeedReplay);
    layout->addRow(QStringLiteral("Address:"), txtFeedAddress);
    layout->addRow(QStringLiteral("UDP port:"), spnFeedPort);
    layout->addRow(lblFeedProblem);
    layout->addRow(QStringLiteral("Status:"), lblFeedStatus);
    layout->addRow(buttons.row);

    connect(cmdFeedSave, &QPushButton::clicked, this, [this] { SaveStep(); });
    connect(chkFeedReplay, &QCheckBox::toggled, this, [this](bool on) { feed_.setSendReplay(on); });
    connect(&feed_, &ShipFeed::statusChanged, this, &frmFeed::ShowStatus);

    LoadStep();
    ShowStatus(feed_.statusText(), feed_.failing());
}

void frmFeed::LoadStep() {
    const FeedSettings& s = feed_.settings();
    chkFeedOn->setChecked(s.enabled);
    txtFeedAddress->setText(s.address);
    spnFeedPort->setValue(s.port);
    lblFeedProblem->clear();
}

bool frmFeed::SaveStep() {
    FeedSettings s;
    s.enabled = chkFeedOn->isChecked();
    s.address = txtFeedAddress->text().trimmed();
    s.port = spnFeedPort->value();
    const QString problem = FeedSettingsProblem(s);
    if (!problem.isEmpty()) {
        lblFeedProblem->setText(QStringLiteral("Not saved: ") + problem);
        txtFeedAddress->setFocus();
        return false;
    }
    lblFeedProblem->clear();
    SaveFeedSettings(s);
    feed_.setSettings(s);
    return true;
}

void frmFeed::ShowStatus(const QString& text, bool failing) {
    lblFeedStatus->setText(text);
    lblFeedStatus->setStyleSheet(failing ? QStringLiteral("color: #b00000") : QString());
    // A longer status wraps onto more lines; the window grows to keep it whole.
    if (isVisible())
        GrowToContents(this);
}

void frmFeed::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    GrowToContents(this);
}

} // namespace corvale
