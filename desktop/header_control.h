// A header control: a row of titled, resizable sections shown above a grid, kept apart from the grid so
// that the grid's column layout and the visible titles can differ.
#pragma once

#include <QHeaderView>
#include <QStandardItemModel>

class HeaderControl : public QHeaderView {
    Q_OBJECT
public:
    explicit HeaderControl(QWidget* parent = nullptr);

    int SectionCount() const { return sections_.columnCount(); }
    void ClearSections();
    void AddSections(int count);
    QString SectionText(int section) const;
    void SetSectionText(int section, const QString& text);
    int SectionWidth(int section) const { return sectionSize(section); }
    void SetSectionWidth(int section, int width);

signals:
    // The user resized a section (not the program).
    void SectionResizedByUser();

private:
    QStandardItemModel sections_;
    bool settingWidth_ = false;
};
