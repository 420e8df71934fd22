#include "grid_routines.h"

#include "column_table.h"
#include "header_control.h"
#include "string_grid.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

QSize ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

// One coordinate of a form placed so that it stays on a screen of the given extent.
int KeepOnScreen(int position, int extent, int screenExtent) {
    if (position + extent > screenExtent) position = screenExtent - extent;
    return std::max(position, 0);
}

} // namespace

void ClearGrid(StringGrid& grid) {
    grid.SetRowCount(2);
    for (int col = 1; col <= State().ColumnCount; ++col)
        grid.SetCell(col, 1, {});
    grid.Tag = 0;
}

void ScrollGridToEnd(StringGrid& grid, int n) {
    if (grid.RowCount() == 0) return;
    grid.SetCurrentRow(grid.RowCount() - 1);
    grid.SetTopRow(std::max(grid.RowCount() - n, 1));
}

void SetupGridColumns(StringGrid& grid, HeaderControl& header) {
    ProgramState& state = State();
    int count = std::max(state.ColumnCount, 0);
    header.ClearSections();
    header.AddSections(count);
    grid.SetColCount(count + 3);
    grid.SetRowCount(2);
    grid.SetColWidth(0, 20);
    for (int i = 1; i <= count; ++i) {
        ColumnInfo& entry = state.ColumnTable[i];
        grid.SetCell(i, 0, entry.Name);
        UnderscoreSpaces(entry);
        int width = 15 * static_cast<int>(entry.Name.size());
        grid.SetColWidth(i, width);
        header.SetSectionText(i - 1, entry.Name);
        header.SetSectionWidth(i - 1, width + 2);
    }
    grid.SetColWidth(count + 1, 0);
    grid.SetColWidth(count + 2, 0);
    ClearGrid(grid);
    grid.SetColWidth(0, 0);
    grid.SetRowHeight(0, 0);
}

void CentreOverForm(QWidget* form, QWidget* over) {
    if (!form || !over) return;
    QSize screen = ScreenSize();
    QRect area = over->frameGeometry();
    int top = area.top() + (area.height() - form->height()) / 2;
    int left = area.left() + (area.width() - form->width()) / 2;
    form->move(KeepOnScreen(left, form->width(), screen.width()),
               KeepOnScreen(top, form->height(), screen.height()));
}

void CentreOnScreen(QWidget& form) {
    QSize screen = ScreenSize();
    form.move(std::max((screen.width() - form.width()) / 2, 0),
              std::max((screen.height() - form.height()) / 2, 0));
}

namespace {

class SelectAllFilter : public QObject {
public:
    using QObject::QObject;

protected:
    // Selecting at once would be undone by the click that gave the focus, so it waits for the event loop.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            auto* edit = static_cast<QLineEdit*>(watched);
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
        return false;
    }
};

} // namespace

void SelectAllOnEnter(QLineEdit& edit) {
    edit.installEventFilter(new SelectAllFilter(&edit));
}

void CopyStringList(QStringList& target, const QStringList& source) {
    target.append(source);
}
