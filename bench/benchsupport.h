#pragma once
// What the station benchmarks share: an operator that counts and prints the
// messages instead of waiting for a person, and the process's CPU time.

#include "core/operator.h"

#include <cstdio>
#include <ctime>

namespace corvale {

class BenchOperator : public Operator {
public:
    using Operator::message;
    void message(const QString& text, const QString&) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QString openFileName(const QString&, const QString&) override { return file; }
    QString file; // the answer to a file dialog
    int messages = 0;
};

inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace corvale
