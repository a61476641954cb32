#pragma once
// Message boxes and the open-file dialog on Qt widgets; the station shows
// them through its OperatorSink, one at a time.

#include "core/operator.h"

class QWidget;

namespace corvale {

class QtOperator : public Operator {
public:
    using Operator::message;
    void message(const QString& text, const QString& caption) override;
    QString openFileName(const QString& filter, const QString& initialName) override;
    void setParentWidget(QWidget* parent) { parent_ = parent; }

private:
    QWidget* parent_ = nullptr;
};

// "All Files (*.*) |*.*" (description|pattern pairs) as a Qt name filter.
QString QtNameFilter(const QString& filter);

} // namespace corvale
