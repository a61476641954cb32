#include "ui/qtoperator.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace corvale {

void QtOperator::message(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("operatorMessage"));
    box.exec();
}

QString QtNameFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString desc = parts[i].trimmed();
        const qsizetype paren = desc.indexOf(QLatin1Char('('));
        if (paren >= 0)
            desc = desc.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(desc, pattern);
    }
    return out.isEmpty() ? QStringLiteral("All Files (*)") : out.join(QLatin1String(";;"));
}

QString QtOperator::openFileName(const QString& filter, const QString& initialName) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtNameFilter(filter));
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString name = dialog.selectedFiles().constFirst();
        if (QFileInfo::exists(name))
            return name;
        const auto answer = QMessageBox::question(
            parent_, dialog.windowTitle(),
            QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?")
                .arg(QFileInfo(name).fileName()));
        if (answer == QMessageBox::Yes)
            return name;
    }
}

} // namespace corvale
