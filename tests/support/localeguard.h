#pragma once
// Sets the default locale for one test and puts the previous one back.

#include <QLocale>

namespace corvale {

struct LocaleGuard {
    explicit LocaleGuard(const QLocale& l) : saved(QLocale()) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;
    QLocale saved;
};

} // namespace corvale
