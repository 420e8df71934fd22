#include "header_control.h"

HeaderControl::HeaderControl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setModel(&sections_);
    setMinimumSectionSize(0);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFixedHeight(fontMetrics().height() + 6);
    connect(this, &QHeaderView::sectionResized, this, [this] {
        if (!settingWidth_) emit SectionResizedByUser();
    });
}

void HeaderControl::ClearSections() {
    sections_.setColumnCount(0);
}

void HeaderControl::AddSections(int count) {
    if (count > 0) sections_.setColumnCount(sections_.columnCount() + count);
}

QString HeaderControl::SectionText(int section) const {
    return sections_.headerData(section, Qt::Horizontal).toString();
}

void HeaderControl::SetSectionText(int section, const QString& text) {
    sections_.setHeaderData(section, Qt::Horizontal, text);
}

void HeaderControl::SetSectionWidth(int section, int width) {
    if (section < 0 || section >= SectionCount()) return;
    settingWidth_ = true;
    resizeSection(section, std::max(width, 0));
    settingWidth_ = false;
}
