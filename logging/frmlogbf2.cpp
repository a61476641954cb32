#include "logging/frmlogbf2.h"

#include "core/operator.h"
#include "core/state.h"
#include "core/textnum.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvale {

namespace {
QRadioButton* MakeOption(const QString& name, const QString& caption, QWidget* parent) {
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    return option;
}

// A path shortened in the middle to the label's width, so a long one
// neither widens the window nor loses its file name.
class PathLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setPath(const QString& path) {
        path_ = path;
        setToolTip(path);
        elide();
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() {
        const int room = contentsRect().width();
        setText(room > 0 ? fontMetrics().elidedText(path_, Qt::ElideMiddle, room) : path_);
    }
    QString path_;
};
} // namespace

frmLogBF2::frmLogBF2(StationState& state, Operator& operatorUi, QWidget* parent)
    : QDialog(parent), state_(state), operator_(operatorUi) {
    setObjectName(QStringLiteral("frmLogBF2"));
    setWindowTitle(QStringLiteral("Logger"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* frame = new QGroupBox(QStringLiteral("Log File Parameters:"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    optDatafile[1] =
        MakeOption(QStringLiteral("optDatafile_1"), QStringLiteral("Write to File"), frame);
    optDatafile[0] = MakeOption(QStringLiteral("optDatafile_0"), QStringLiteral("No Save"), frame);
    auto* intervalLabel = new QLabel(QStringLiteral("Logging Interval(sec)"), frame);
    cmbInterval = new QComboBox(frame);
    cmbInterval->setObjectName(QStringLiteral("cmbInterval"));
    intervalLabel->setBuddy(cmbInterval);

    optAppend[1] = MakeOption(QStringLiteral("optAppend_1"), QStringLiteral("Overwrite"), this);
    optAppend[0] = MakeOption(QStringLiteral("optAppend_0"), QStringLiteral("Append"), this);
    cmdSelect = new QPushButton(QStringLiteral("Select File"), this);
    cmdSelect->setObjectName(QStringLiteral("cmdSelect"));
    cmdExit = new QPushButton(QStringLiteral("OK"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setDefault(true);
    auto* fileName = new PathLabel(this);
    fileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFileName = fileName;
    lblFileName->setObjectName(QStringLiteral("lblFileName"));

    // Two independent groups, one choice in each; none chosen until loaded.
    datafileGroup_ = new QButtonGroup(this);
    datafileGroup_->addButton(optDatafile[0], 0);
    datafileGroup_->addButton(optDatafile[1], 1);
    appendGroup_ = new QButtonGroup(this);
    appendGroup_->addButton(optAppend[0], 0);
    appendGroup_->addButton(optAppend[1], 1);

    auto* frameLayout = new QGridLayout(frame);
    frameLayout->addWidget(optDatafile[1], 0, 0);
    frameLayout->addWidget(optDatafile[0], 1, 0);
    frameLayout->addWidget(intervalLabel, 0, 1);
    frameLayout->addWidget(cmbInterval, 1, 1);

    auto* modeLayout = new QHBoxLayout;
    modeLayout->addWidget(optAppend[1]);
    modeLayout->addWidget(optAppend[0]);
    auto* buttonLayout = new QHBoxLayout;
    buttonLayout->addWidget(cmdSelect);
    buttonLayout->addStretch();
    buttonLayout->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(modeLayout);
    layout->addLayout(buttonLayout);
    layout->addWidget(lblFileName);

    // The raw archive beside the log: every CTD line and, when asked, every
    // bus command with what came back. Kept for the run, off at first.
    chkRawArchive = new QCheckBox(QStringLiteral("Keep raw archive"), this);
    chkRawArchive->setObjectName(QStringLiteral("chkRawArchive"));
    chkRawArchiveBus = new QCheckBox(QStringLiteral("with bus commands and replies"), this);
    chkRawArchiveBus->setObjectName(QStringLiteral("chkRawArchiveBus"));
    chkRawArchiveBus->setEnabled(false);
    auto* archiveLayout = new QHBoxLayout;
    archiveLayout->addWidget(chkRawArchive);
    archiveLayout->addWidget(chkRawArchiveBus);
    archiveLayout->addStretch();
    layout->addLayout(archiveLayout);
    connect(chkRawArchive, &QCheckBox::toggled, chkRawArchiveBus, &QWidget::setEnabled);

    connect(datafileGroup_, &QButtonGroup::idClicked, this, [this](int) { OptionStep(); });
    connect(cmdSelect, &QPushButton::clicked, this, [this] { SelectFileStep(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { emit okPressed(); });

    LoadStep();
}

void frmLogBF2::LoadStep() {
    optDatafile[0]->setChecked(true);
    OptionStep();
    for (int ms : kLogIntervalsMs)
        cmbInterval->addItem(NumberText(ms / 1000.0));
    cmbInterval->setCurrentIndex(-1);
    ShowFileName();
}

void frmLogBF2::ShowFileName() {
    static_cast<PathLabel*>(lblFileName)
        ->setPath(state_.LogFileName.isEmpty() ? QStringLiteral("No file selected")
                                               : state_.LogFileName);
}

void frmLogBF2::OptionStep() {
    const bool noSave = optDatafile[0]->isChecked();
    optAppend[1]->setEnabled(!noSave);
    optAppend[0]->setEnabled(!noSave);
    cmdSelect->setEnabled(!noSave);
    cmdExit->setEnabled(noSave);
}

void frmLogBF2::SelectFileStep() {
    const QString initial = state_.LogFileName;
    QString name = operator_.openFileName(QStringLiteral("All Files (*.*) |*.*"), initial);
    if (name.isEmpty())
        name = initial; // a cancelled dialog keeps its initial name
    if (!name.isEmpty()) {
        state_.LogFileName = name;
        cmdExit->setEnabled(true);
    }
    ShowFileName();
}

std::optional<int> frmLogBF2::selectedIntervalMs() const {
    const int position = cmbInterval->currentIndex();
    if (position < 0 || position >= static_cast<int>(kLogIntervalsMs.size()))
        return std::nullopt;
    return kLogIntervalsMs[static_cast<std::size_t>(position)];
}

void frmLogBF2::reject() {
    emit closedByOperator();
    QDialog::reject();
}

} // namespace corvale
