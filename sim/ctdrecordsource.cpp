#include "sim/ctdrecordsource.h"

namespace corvale {

QByteArray CtdRecordSource::recordText(double conductivity, double temperature, double pressure,
                                       bool crlf) {
    return QByteArray::number(conductivity, 'f', 3) + ',' +
           QByteArray::number(temperature, 'f', 3) + ',' + QByteArray::number(pressure, 'f', 2) +
           (crlf ? "\r\n" : "\n");
}

QByteArray CtdRecordSource::next(const FlumeModel& model, const SimFaults& faults) {
    ++count_;
    const QByteArray good =
        recordText(model.conductivity(), model.temperature(), model.pressure(), faults.ctdCrLf);
    if (faults.ctdMalformed <= 0 || count_ % faults.ctdMalformed != 0)
        return good;
    // The ways a record goes wrong on the line, in turn.
    const QByteArray end = faults.ctdCrLf ? "\r\n" : "\n";
    const QByteArray body = good.left(good.size() - end.size());
    const QList<QByteArray> fields = body.split(',');
    switch (malformedCount_++ % 4) {
    case 0: // a field lost
        return fields[0] + ',' + fields[1] + end;
    case 1: // a field too many
        return body + ",1" + end;
    case 2: // a number garbled
        return "4#." + fields[0].mid(3) + ',' + fields[1] + ',' + fields[2] + end;
    default: // an empty line
        return end;
    }
}

} // namespace corvale
