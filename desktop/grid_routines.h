// Routines shared by the forms: grid reset and layout, form placement, edit text selection, list copying.
#pragma once

#include <QStringList>

class HeaderControl;
class QLineEdit;
class QWidget;
class StringGrid;

// Two rows, row 1 emptied in columns 1..ColumnCount, no records. The note-id cell of row 1 is left.
void ClearGrid(StringGrid& grid);
// Shows the last n rows and makes the last row current.
void ScrollGridToEnd(StringGrid& grid, int n);
// Lays out a grid and its header control for the open data source.
void SetupGridColumns(StringGrid& grid, HeaderControl& header);
// Centres form over the form over, kept on the screen; nothing when either is missing.
void CentreOverForm(QWidget* form, QWidget* over);
void CentreOnScreen(QWidget& form);
// Makes entering the edit box select its whole text.
void SelectAllOnEnter(QLineEdit& edit);
void CopyStringList(QStringList& target, const QStringList& source);
