#include "merge_names.h"

#include <QDate>
#include <QDir>

QString DefaultOutputName(const QString& shortDate) {
    return "mailmerge" + shortDate.mid(3, 2) + shortDate.mid(0, 2) + shortDate.mid(6, 2) + ".doc";
}

// Day, month and year in two digits each: the system's own short formats may have one-digit fields or month
// names, which would put slashes, spaces or letters into the file name.
QString TodayShortDate() {
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yy"));
}

QString DialogPath(const QString& initialDir, const QString& name) {
    if (initialDir.isEmpty() || QDir::isAbsolutePath(name)) return name;
    return initialDir + QLatin1Char('/') + name;
}
