#pragma once
// Everything that waits for a person.

#include <QString>

namespace corvale {

inline const QString kAppTitle = QStringLiteral("Corvale2");

class Operator {
public:
    virtual ~Operator() = default;
    virtual void message(const QString& text, const QString& caption) = 0; // OK only
    void message(const QString& text) { message(text, kAppTitle); }
    // Open-file dialog that offers to create a missing file; empty on cancel.
    virtual QString openFileName(const QString& filter, const QString& initialName) = 0;
};

} // namespace corvale
