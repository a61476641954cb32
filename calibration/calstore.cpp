#include "calibration/calstore.h"

#include "core/state.h"
#include "core/store.h"
#include "core/textnum.h"

namespace corvale {

namespace {
const QString kOffsetKey = QStringLiteral("CalData/offset");
const QString kSlopeKey = QStringLiteral("CalData/slope");
const QString kSerialKey = QStringLiteral("CalData/serialNum");
const QString kDateKey = QStringLiteral("CalData/txtdate");
} // namespace

CalTexts LoadCalTexts() {
    CORVALE_STORE(store);
    CalTexts texts;
    texts.offset = store.value(kOffsetKey, QStringLiteral("2.5777")).toString();
    texts.slope = store.value(kSlopeKey, QStringLiteral("4.5427")).toString();
    texts.serialNum = store.value(kSerialKey, QStringLiteral("180312")).toString();
    texts.date = store.value(kDateKey, QStringLiteral("01/01/01")).toString();
    return texts;
}

QStringList SaveCalibration(const CalTexts& texts, StationState& state) {
    QStringList problems;
    CORVALE_STORE(store);

    store.setValue(kSerialKey, texts.serialNum);
    state.CalSerialNum = texts.serialNum;

    store.setValue(kSlopeKey, texts.slope);
    if (const auto slope = TextToNumber(texts.slope))
        state.CalSlope = *slope;
    else
        problems << QStringLiteral("Slope must be a number: \"%1\"; the slope in use stays %2.")
                        .arg(texts.slope, NumberText(state.CalSlope));

    store.setValue(kOffsetKey, texts.offset);
    if (const auto offset = TextToNumber(texts.offset))
        state.CalOffset = *offset;
    else
        problems << QStringLiteral("Offset must be a number: \"%1\"; the offset in use stays %2.")
                        .arg(texts.offset, NumberText(state.CalOffset));

    store.setValue(kDateKey, texts.date);
    if (const auto date = TextToDate(texts.date))
        state.CalDate = *date;
    else
        problems << QStringLiteral(
                        "Date Calibrated must be a date: \"%1\"; the date in use stays %2.")
                        .arg(texts.date, DateText(state.CalDate));

    // Write through now so a crash later in the run keeps the calibration.
    store.sync();
    if (store.status() != QSettings::NoError)
        problems
            << QStringLiteral("The calibration could not be stored in %1.").arg(store.fileName());
    return problems;
}

QString CalSummary(const StationState& state) {
    return QStringLiteral("pH Cal.:   (SNum.: ") + state.CalSerialNum +
           QStringLiteral(")   (Slope: ") + NumberText(state.CalSlope) +
           QStringLiteral(")   (Offset: ") + NumberText(state.CalOffset) + QStringLiteral(")");
}

} // namespace corvale
