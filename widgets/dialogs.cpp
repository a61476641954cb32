#include "widgets/dialogs.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace corvale {

SaveCloseButtons SaveCloseRow(QDialog* window, const QString& saveName, const QString& closeName) {
    SaveCloseButtons b;
    b.save = new QPushButton(QStringLiteral("Save"), window);
    b.save->setObjectName(saveName);
    b.save->setDefault(true);
    b.close = new QPushButton(QStringLiteral("Close"), window);
    b.close->setObjectName(closeName);
    b.row = new QHBoxLayout;
    b.row->addStretch(1);
    b.row->addWidget(b.save);
    b.row->addWidget(b.close);
    QObject::connect(b.close, &QPushButton::clicked, window, &QDialog::close);
    return b;
}

} // namespace corvale
