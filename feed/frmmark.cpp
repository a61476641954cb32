#include "feed/frmmark.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace corvale {

frmMark::frmMark(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMark"));
    setWindowTitle(QStringLiteral("Event Mark"));
    setModal(false);

    lblMarkCaption = new QLabel(this);
    lblMarkCaption->setObjectName(QStringLiteral("lblMarkCaption"));
    txtMarkNote = new QLineEdit(this);
    txtMarkNote->setObjectName(QStringLiteral("txtMarkNote"));
    txtMarkNote->setMaxLength(kMaxNoteLength);
    txtMarkNote->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMarkCaption);
    layout->addWidget(txtMarkNote);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &frmMark::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmMark::reject);
}

void frmMark::begin(const QDateTime& time, int number) {
    if (!isVisible()) {
        time_ = time;
        lblMarkCaption->setText(QStringLiteral("Mark %1 at %2")
                                    .arg(number)
                                    .arg(time.time().toString(QStringLiteral("HH:mm:ss"))));
        txtMarkNote->clear();
        show();
    }
    raise();
    activateWindow();
    txtMarkNote->setFocus();
}

void frmMark::accept() {
    const QString note = txtMarkNote->text();
    QDialog::accept();
    emit noted(time_, note);
}

} // namespace corvale
