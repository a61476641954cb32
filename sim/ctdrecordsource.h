#pragma once
// The CTD line: one record "conductivity,temperature,pressure" and a line
// feed for the water as the flume model has it, now and then malformed when
// asked to be.

#include "sim/flumemodel.h"
#include "sim/simfaults.h"

#include <QByteArray>

namespace corvale {

class CtdRecordSource {
public:
    // The next record, line end included.
    QByteArray next(const FlumeModel& model, const SimFaults& faults);
    // A well-formed record: "47.123,14.502,10.04" and its line end.
    static QByteArray recordText(double conductivity, double temperature, double pressure,
                                 bool crlf);
    int count() const { return count_; }

private:
    int count_ = 0;
    int malformedCount_ = 0;
};

} // namespace corvale
