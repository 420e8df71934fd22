#include "category_text.h"

#include "program_state.h"

#include <QComboBox>
#include <QListWidget>

namespace {

const QString kHiddenStart = QStringLiteral("(\x7f");

QString ShownText(const QString& stored) {
    QString shown = DisplayForm(stored);
    return shown == kNotCategorised ? QString() : shown;
}

} // namespace

QString DisplayForm(const QString& stored) {
    QString text = stored;
    qsizetype at = 0;
    while ((at = text.indexOf(kHiddenStart, at)) >= 0) {
        qsizetype close = text.indexOf(QLatin1Char(')'), at + kHiddenStart.size());
        text.remove(at, close < 0 ? text.size() - at : close - at + 1);
    }
    return text;
}

void AddCategoryItem(QComboBox& combo, const QString& stored) {
    combo.addItem(ShownText(stored), stored);
}

void AddCategoryItem(QListWidget& list, const QString& stored) {
    auto* item = new QListWidgetItem(ShownText(stored), &list);
    item->setData(Qt::UserRole, stored);
}

QString StoredCategory(const QComboBox& combo, int index) {
    return combo.itemData(index).toString();
}
