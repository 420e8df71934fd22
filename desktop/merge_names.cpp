#include "merge_names.h"

#include <QDate>
#include <QDir>
#include <QLocale>

QString DefaultOutputName(const QString& shortDate) {
    return "mailmerge" + shortDate.mid(3, 2) + shortDate.mid(0, 2) + shortDate.mid(6, 2) + ".doc";
}

QString TodayShortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString DialogPath(const QString& initialDir, const QString& name) {
    if (initialDir.isEmpty() || QDir::isAbsolutePath(name)) return name;
    return initialDir + QLatin1Char('/') + name;
}
