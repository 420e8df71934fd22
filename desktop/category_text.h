// Category texts as the user sees them: segments that begin with "(" and the character 127 are hidden.
#pragma once

#include <QString>

class QComboBox;
class QListWidget;

// The text without its hidden segments; each runs from its "(" through the next ")" (or the end).
QString DisplayForm(const QString& stored);

// Adds a category item that shows the display form (nothing for the not-categorised entry) and keeps the
// stored text, which lists, grids and comparisons use.
void AddCategoryItem(QComboBox& combo, const QString& stored);
void AddCategoryItem(QListWidget& list, const QString& stored);
// The stored text of an item added with AddCategoryItem.
QString StoredCategory(const QComboBox& combo, int index);
