// Seeded random use of the program against a library that answers with hostile data: opening sources (some
// that fail, some of the same name), retrieving by hand-picked categories, cancelling the retrieval,
// selecting by hand, by all and by search, removing, and merging under awkward names. After every step the
// grids, counts and boxes are checked against a model kept here; after every merge the data file byte for
// byte and the history written back. A failure names its seed and step.
#include "app_fixture.h"

#include "forms.h"
#include "frm_category.h"
#include "frm_filter.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "frm_merge.h"
#include "frm_merge_progress.h"
#include "frm_open.h"
#include "merge_names.h"
#include "program_state.h"
#include "string_grid.h"
#include "word/word.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

#include <random>

namespace {

// A text as the library hands it over and as the program should show it.
struct Text {
    std::string bytes;
    QString shown;
};

// Pieces of hostile text; the lone bytes 0xFF and 0xFE are never UTF-8 and show as one replacement each.
const char* const kPieces[] = {"Ann",
                               "a b",
                               "\t",
                               "\r",
                               "\n",
                               "\r\n",
                               "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D",
                               "\xE2\x80\xAE"
                               "evil",
                               "\xC2\xABName\xC2\xBB",
                               "{ MERGEFIELD Town }",
                               "{\\rtf1\\ansi x}",
                               "<w:t>x</w:t>",
                               "&amp;",
                               "\"quoted\"",
                               "'",
                               "\\",
                               "|",
                               "A\\B",
                               "x|y",
                               "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                               "\xFF",
                               "\xFE",
                               "*",
                               "AND",
                               "%",
                               "12"};

class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool OneIn(int n) { return Below(n) == 0; }

    Text MakeText(int maxPieces = 3) {
        Text text;
        if (OneIn(60)) {
            // Long: past every buffer, with characters of every width.
            static const char* const kWide[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
            int count = 250 + Below(9750);
            for (int i = 0; i < count; ++i)
                Append(text, kWide[Below(4)]);
            return text;
        }
        for (int n = Below(maxPieces + 1); n > 0; --n)
            Append(text, kPieces[Below(static_cast<int>(std::size(kPieces)))]);
        return text;
    }

private:
    static void Append(Text& text, const std::string& piece) {
        text.bytes += piece;
        text.shown +=
            piece == "\xFF" || piece == "\xFE" ? QString(QChar(0xFFFD)) : QString::fromStdString(piece);
    }
    std::mt19937 engine_;
};

// The hostile source as the test knows it: what the fake library holds and what each text should show.
struct SourceModel {
    fake::Source source;
    std::vector<QString> headers;
    std::vector<std::vector<QString>> values; // per row, per view column
    std::vector<QString> categories;          // in view order, distinct
};

struct Record {
    std::vector<QString> cells; // grid columns 1..N
    QString id;
    bool operator==(const Record&) const = default;
};

QString MergeFieldText(QString text) {
    for (QChar separator : {QChar('\t'), QChar('\r'), QChar('\n')})
        text.replace(separator, QChar(' '));
    return text;
}

// Upper-cases a-z only, as the search does.
QString Upper(const QString& text) {
    QString out;
    for (QChar c : text)
        out += c >= 'a' && c <= 'z' ? QChar(c.unicode() - 32) : c;
    return out;
}

class RandomUse : public AppTest, public ::testing::WithParamInterface<unsigned> {
protected:
    SourceModel MakeSource(Random& random, const std::string& name) {
        SourceModel model;
        fake::Source& source = model.source;
        source.name = name;
        source.mergeHistField = random.OneIn(4) ? "" : "Merge History";
        source.categorised = random.OneIn(2);
        source.opens = !random.OneIn(8);
        int columns = random.OneIn(10) ? 0 : random.OneIn(12) ? 150 + random.Below(100) : 1 + random.Below(5);
        int rows = columns > 100 ? random.Below(4) : random.Below(random.OneIn(5) ? 200 : 12);
        for (int c = 0; c < columns; ++c) {
            Text title = random.OneIn(10) ? Text{} : random.MakeText(2);
            if (random.OneIn(3)) title = {"Col " + std::to_string(c), "Col " + QString::number(c)};
            source.headers.push_back(title.bytes);
            model.headers.push_back(title.shown);
        }
        if (columns > 1 && !random.OneIn(3)) {
            // A lookup for a column whose name needs no underscores.
            std::string lookup = "Key" + std::to_string(random.Below(columns));
            source.headers[columns - 1] = lookup;
            model.headers[columns - 1] = QString::fromStdString(lookup);
            for (int k = random.Below(4); k > 0; --k)
                source.keywords[lookup].push_back(random.MakeText(1).bytes);
        }
        std::vector<Text> categories;
        if (source.categorised && columns > 0) {
            QSet<QString> seen;
            for (int k = 1 + random.Below(5); k > 0; --k) {
                Text category = random.OneIn(6)   ? Text{}
                                : random.OneIn(6) ? Text{name, QString::fromStdString(name)}
                                                  : random.MakeText(2);
                // Distinct by what the program compares: the shown text.
                if (seen.contains(category.shown)) continue;
                seen.insert(category.shown);
                categories.push_back(category);
            }
        }
        for (int r = 0; r < rows; ++r) {
            fake::Row row;
            std::vector<QString> shown;
            // Rows of one category together, in category order, as a categorised view sorts them.
            size_t category = categories.empty() ? 0 : static_cast<size_t>(r) * categories.size() / rows;
            for (int c = 0; c < columns; ++c) {
                Text value = c == 0 && !categories.empty() ? categories[category] : random.MakeText();
                row.values.push_back(value.bytes);
                shown.push_back(value.shown);
            }
            // Now and then the same document again.
            row.noteId = r > 0 && random.OneIn(6) ? source.rows[random.Below(r)].noteId : 1000 + r;
            source.rows.push_back(row);
            if (!categories.empty() && (model.categories.empty() || model.categories.back() != shown[0]))
                model.categories.push_back(shown[0]);
            model.values.push_back(shown);
        }
        return model;
    }

    Record RecordOf(const SourceModel& model, size_t row) const {
        Record record;
        const auto& values = model.values[row];
        for (size_t c = 0; c < values.size(); ++c) {
            QString cell = values[c];
            if (c > 0) cell.replace(QChar('\n'), QChar(' '));
            record.cells.push_back(cell);
        }
        record.id = QString::number(model.source.rows[row].noteId);
        return record;
    }

    void ExpectGrid(const StringGrid& grid, const std::vector<Record>& records, const char* which) {
        SCOPED_TRACE(which);
        ASSERT_EQ(grid.Tag, static_cast<int>(records.size()));
        EXPECT_EQ(grid.RowCount(), records.empty() ? 2 : static_cast<int>(records.size()) + 1);
        for (size_t r = 0; r < records.size(); ++r) {
            Record shown;
            for (int c = 1; c <= columns_; ++c)
                shown.cells.push_back(grid.Cell(c, static_cast<int>(r) + 1));
            shown.id = grid.Cell(columns_ + 1, static_cast<int>(r) + 1);
            ASSERT_EQ(shown, records[r]) << "row " << r + 1;
        }
    }

    void ExpectState() {
        ExpectGrid(*frmMain->gridAll, all_, "retrieved");
        ExpectGrid(*frmMain->gridSel, sel_, "selected");
        EXPECT_EQ(frmMain->lblRetrievedCount->text(),
                  all_.empty() ? QString() : QString::number(all_.size()) + " retrieved");
        EXPECT_EQ(frmMain->lblSelectedCount->text(),
                  sel_.empty() ? QString() : QString::number(sel_.size()) + " selected");
    }

    // Appends the records not yet selected, in order; how many were.
    int Select(const std::vector<Record>& records) {
        QSet<QString> ids;
        for (const Record& record : sel_)
            ids.insert(record.id);
        int added = 0;
        for (const Record& record : records) {
            if (ids.contains(record.id)) continue;
            ids.insert(record.id);
            sel_.push_back(record);
            ++added;
        }
        return added;
    }

    void Open(Random& random);
    void Retrieve(Random& random);
    void AddHighlighted(Random& random);
    void ClearHighlighted(Random& random);
    void SearchAndAdd(Random& random);
    void Merge(Random& random);

    std::vector<SourceModel> sources_;
    const SourceModel* open_ = nullptr;
    int columns_ = 0;
    std::vector<Record> all_, sel_;
    QStringList retrieved_;
    bool interrupted_ = false;
    bool allRetrieved_ = false;
    bool ignoreDuplicates_ = false;
};

void RandomUse::Open(Random& random) {
    int pick = random.Below(static_cast<int>(sources_.size()));
    bool cancel = random.OneIn(8);
    On<TfrmOpen>([pick, cancel](TfrmOpen& form) {
        form.lbDataSources->setCurrentRow(pick);
        (cancel ? form.btnCancel : form.btnOpen)->click();
        return form.result();
    });
    // The source DSOpen finds is the first of the name picked.
    const SourceModel* target = nullptr;
    for (const SourceModel& model : sources_) {
        if (model.source.name == sources_[static_cast<size_t>(pick)].source.name) {
            target = &model;
            break;
        }
    }
    boxes_.clear();
    if (frmMain->gridSel->RowCount() >= 3 || frmMain->gridAll->RowCount() >= 3) Answer({os::IDYES});
    if (cancel) {
        frmMain->OpenClick();
        EXPECT_EQ(Shown<TfrmOpen>() > 0, true);
        return;
    }
    bool fails = !target->source.opens || target->source.headers.empty();
    bool categorised = !fails && !target->categories.empty();
    // The retrieval that follows an open: all categories, some, or the category form cancelled.
    int choice = random.Below(4);
    std::vector<int> rows;
    bool ignore = random.OneIn(3);
    On<TfrmCategory>([&random, choice, &rows, ignore](TfrmCategory& form) {
        if (choice == 0) {
            form.btnCancel->click();
            return form.result();
        }
        for (int i = 0; i < form.lbCategories->count(); ++i) {
            if (choice == 1 || random.OneIn(2)) continue;
            form.lbCategories->item(i)->setSelected(true);
            rows.push_back(i);
        }
        form.chkIgnoreDuplicates->setChecked(ignore);
        form.btnOk->click();
        return form.result();
    });
    // The user cancels the walk of every row at one of them, and answers the question to keep what was read.
    int cancelAt = (!categorised || choice == 1) && random.OneIn(4)
                       ? random.Below(static_cast<int>(target->source.rows.size()) + 1)
                       : -1;
    int answer = random.Below(3) == 0 ? os::IDYES : random.OneIn(2) ? os::IDNO : os::IDCANCEL;
    bool asked = false;
    fake::Lib().onRowRead = [&](size_t row) {
        if (static_cast<int>(row) == cancelAt && !asked) {
            asked = true;
            Answer({answer});
            frmLoadRecords->btnCancel->click();
        }
    };
    frmMain->OpenClick();
    fake::Lib().onRowRead = {};

    if (fails) {
        ASSERT_FALSE(BoxTexts().empty());
        EXPECT_EQ(BoxTexts().back(), "The data source \"" + target->source.name + "\" could not be opened.");
        EXPECT_FALSE(frmMain->mnuMerge->isEnabled());
        // A source that does not open leaves the one before open, with its rows; a view without columns
        // replaced it, and nothing of it is left.
        if (target->source.opens) {
            open_ = nullptr;
            columns_ = 0;
            all_.clear();
            sel_.clear();
            EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: None");
        }
        return;
    }
    all_.clear();
    sel_.clear();
    retrieved_.clear();
    interrupted_ = false;
    ignoreDuplicates_ = false;
    open_ = target;
    columns_ = static_cast<int>(target->source.headers.size());
    EXPECT_EQ(frmMain->StatusPanel0->text(), "Data Source: " + QString::fromStdString(target->source.name));
    std::vector<QString> chosen;
    if (categorised) {
        if (choice == 0) return;
        for (int row : rows)
            chosen.push_back(target->categories[static_cast<size_t>(row)]);
        allRetrieved_ = chosen.empty();
        ignoreDuplicates_ = ignore;
    } else {
        allRetrieved_ = true;
    }
    std::vector<Record> read;
    bool stopped = false;
    for (size_t r = 0; r < target->source.rows.size(); ++r) {
        bool wanted =
            chosen.empty() || std::find(chosen.begin(), chosen.end(), target->values[r][0]) != chosen.end();
        if (wanted) read.push_back(RecordOf(*target, r));
        // Only rows the walk visits can be where the user cancels: with all categories, every one.
        if (chosen.empty() && static_cast<int>(r) == cancelAt && answer != os::IDCANCEL) {
            stopped = true;
            break;
        }
    }
    EXPECT_EQ(asked, cancelAt >= 0 && cancelAt < static_cast<int>(target->source.rows.size()));
    if (stopped) {
        interrupted_ = true;
        if (answer == os::IDNO) read.clear();
        EXPECT_EQ(frmMain->StatusPanel1->text(), "Record retrieval stopped by user.");
    } else if (!chosen.empty()) {
        for (const QString& category : chosen)
            retrieved_ << category;
    }
    all_ = read;
}

void RandomUse::Retrieve(Random& random) {
    if (!open_ || !frmMain->mnuRetrieve->isEnabled()) return;
    const bool categorised = !open_->categories.empty();
    if (interrupted_) {
        // The question to discard the interrupted retrieval is answered Yes.
        all_.clear();
        retrieved_.clear();
        interrupted_ = false;
        allRetrieved_ = !categorised;
    }
    // Category rows the form offers: those not retrieved yet.
    std::vector<QString> offered;
    for (const QString& category : open_->categories) {
        if (retrieved_.isEmpty() || !retrieved_.contains(category)) offered.push_back(category);
    }
    bool cancel = random.OneIn(6);
    std::vector<QString> chosen;
    bool all = false;
    On<TfrmCategory>([&](TfrmCategory& form) {
        EXPECT_EQ(form.lbCategories->count(), static_cast<int>(offered.size()));
        if (cancel) {
            form.btnCancel->click();
            return form.result();
        }
        for (int i = 0; i < form.lbCategories->count(); ++i) {
            if (random.OneIn(2)) {
                form.lbCategories->item(i)->setSelected(true);
                chosen.push_back(offered[static_cast<size_t>(i)]);
            }
        }
        if (form.lbCategories->count() == 0) {
            ADD_FAILURE() << "nothing left to retrieve, yet the command is enabled";
            form.btnCancel->click();
            return form.result();
        }
        if (chosen.empty() && !form.rbAllCategories->isEnabled()) {
            form.lbCategories->item(0)->setSelected(true);
            chosen.push_back(offered[0]);
        }
        all = chosen.empty();
        if (form.chkIgnoreDuplicates->isEnabled()) form.chkIgnoreDuplicates->setChecked(random.OneIn(2));
        form.btnOk->click();
        return form.result();
    });
    boxes_.clear();
    frmMain->RetrieveClick();
    if (categorised && cancel) return;
    if (categorised) ignoreDuplicates_ = frmCategory->IgnoreDuplicates;
    if (!categorised) ignoreDuplicates_ = false;
    for (size_t r = 0; r < open_->source.rows.size(); ++r) {
        if (!categorised || all ||
            std::find(chosen.begin(), chosen.end(), open_->values[r][0]) != chosen.end()) {
            all_.push_back(RecordOf(*open_, r));
        }
    }
    for (const QString& category : chosen)
        retrieved_ << category;
    if (all) allRetrieved_ = true;
}

void RandomUse::AddHighlighted(Random& random) {
    StringGrid& grid = *frmMain->gridAll;
    int top = random.Below(grid.RowCount());
    int bottom = top + random.Below(grid.RowCount() - top);
    grid.HighlightRows(top, bottom);
    frmMain->AddHighlightedClick();
    std::vector<Record> block;
    for (int r = std::max(top, 1); r <= std::min(bottom, static_cast<int>(all_.size())); ++r)
        block.push_back(all_[static_cast<size_t>(r) - 1]);
    Select(block);
}

void RandomUse::ClearHighlighted(Random& random) {
    StringGrid& grid = *frmMain->gridSel;
    int top = random.Below(grid.RowCount());
    int bottom = top + random.Below(grid.RowCount() - top);
    grid.HighlightRows(top, bottom);
    boxes_.clear();
    frmMain->ClearHighlightedClick();
    if (top == 0) {
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"You cannot delete the header row"});
    } else if (sel_.empty()) {
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"There are no records to delete"});
    } else {
        EXPECT_TRUE(BoxTexts().empty());
        bottom = std::min(bottom, static_cast<int>(sel_.size()));
        if (top <= bottom) sel_.erase(sel_.begin() + top - 1, sel_.begin() + bottom);
    }
}

void RandomUse::SearchAndAdd(Random& random) {
    if (!open_) return;
    int field = random.Below(columns_ + 1);
    int op = random.Below(6);
    bool caseSensitive = random.OneIn(2);
    // A value found in the grid, or hostile text: quotes, operators, separators.
    QString typed;
    if (!all_.empty() && random.OneIn(2)) {
        const Record& record = all_[static_cast<size_t>(random.Below(static_cast<int>(all_.size())))];
        QString cell = record.cells[static_cast<size_t>(random.Below(columns_))];
        typed = cell.left(1 + random.Below(static_cast<int>(std::max<qsizetype>(cell.size(), 1))));
    } else {
        typed = random.MakeText(2).shown;
    }
    QString used;
    bool cancelled = false;
    On<TfrmFilter>([&](TfrmFilter& form) {
        form.cbFields->setCurrentIndex(field);
        form.FieldChosen(field);
        form.cbOperator->setCurrentIndex(op);
        form.cbCaseSensitive->setChecked(caseSensitive);
        if (form.cbValue->isHidden()) {
            form.edValue->setText(typed);
        } else if (form.cbValue->count() > 0) {
            form.cbValue->setCurrentIndex(random.Below(form.cbValue->count()));
        }
        if (!form.btnOk->isEnabled()) {
            cancelled = true;
            form.btnCancel->click();
            return form.result();
        }
        used = form.cbValue->isHidden() ? form.edValue->text() : form.cbValue->currentText();
        form.btnOk->click();
        return form.result();
    });
    boxes_.clear();
    frmMain->SearchAddClick();
    if (cancelled) {
        EXPECT_TRUE(BoxTexts().empty());
        return;
    }
    // The model of the condition, apart from the program's.
    const int kind = op / 2;
    const bool positive = op % 2 == 0;
    const QString value = caseSensitive ? used : Upper(used);
    auto matches = [&](QString cell) {
        if (!caseSensitive) cell = Upper(cell);
        bool found = kind == 0   ? cell == value
                     : kind == 1 ? cell.startsWith(value)
                                 : !value.isEmpty() && cell.contains(value);
        return found == positive;
    };
    std::vector<Record> found;
    for (const Record& record : all_) {
        bool hit = false;
        for (int c = 1; c <= columns_ && !hit; ++c)
            hit = (field == 0 || field == c) && matches(record.cells[static_cast<size_t>(c) - 1]);
        if (hit) found.push_back(record);
    }
    int added = Select(found);
    std::string expected = added == 0   ? "No records were added."
                           : added == 1 ? "1 record was added."
                                        : std::to_string(added) + " records were added";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{expected})
        << "field " << field << " op " << op << " value '" << used.toStdString() << "'";
}

void RandomUse::Merge(Random& random) {
    if (!frmMain->mnuMerge->isEnabled() && !frmMain->btnMerge->isEnabled()) return;
    const QString documents = QString::fromStdString(Path("Documents"));
    // The template: a document, a missing file, a file that is not a document.
    int templateKind = random.Below(5);
    QString templateName = templateKind == 1   ? "missing template.doc"
                           : templateKind == 2 ? "not a document.doc"
                                               : "wordmergetemplate.doc";
    if (templateKind == 2) {
        QFile file(documents + "/" + templateName);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{ MERGEFIELD Town } is plain text");
    }
    static const char* const kOutputs[] = {"out put.doc",
                                           "\"quoted\" 'name'.doc",
                                           "../above.doc",
                                           "Brief f\xC3\xBCr Zo\xC3\xAB \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.doc",
                                           "missing folder/out.doc",
                                           "locked/out.doc",
                                           "plain.txt/out.doc",
                                           ""};
    int outputKind = random.Below(static_cast<int>(std::size(kOutputs)));
    QString output = QString::fromUtf8(kOutputs[outputKind]);
    if (output.isEmpty()) output = QString(300, QChar('x')) + ".doc";
    QDir(documents).mkpath("locked");
    QFile::setPermissions(documents + "/locked", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    {
        QFile plain(documents + "/plain.txt");
        EXPECT_TRUE(plain.open(QIODevice::WriteOnly));
    }
    const QString outputPath = documents + "/" + output;
    // Whether the output can be written at all (as root a read-only folder is no bar).
    bool writable = false;
    {
        QFile probe(outputPath + ".probe");
        writable = probe.open(QIODevice::WriteOnly);
        if (writable) probe.remove();
    }
    QString description = random.OneIn(4) ? QString() : random.MakeText(2).shown;
    bool runRows = !random.OneIn(8);
    On<TfrmMerge>([&](TfrmMerge& form) {
        form.edTemplate->setText(templateName);
        form.edOutput->setText(output);
        form.edName->setText(description);
        // What the box holds of the text put in it.
        description = form.edName->text();
        form.btnRun->click();
        return form.result();
    });
    On<TfrmMergeProgress>([](TfrmMergeProgress& form) {
        form.Timer1Tick();
        return form.result();
    });
    boxes_.clear();
    fake::Lib().updates.clear();
    word::ResetAutomation();
    if (!sel_.empty()) {
        if (QFileInfo::exists(outputPath)) Answer({os::IDYES});
        Answer({runRows ? os::IDOK : os::IDCANCEL});
    }
    frmMergeProgress->TempFileName.clear();
    frmMain->MergeClick();
    if (sel_.empty()) {
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"At least one record must be selected for merging."});
        return;
    }
    if (!runRows) {
        EXPECT_TRUE(fake::Lib().updates.empty());
        return;
    }
    // The data file: the titles, then every selected record once, values whole with separators as spaces.
    QByteArray expected;
    auto line = [this](const std::vector<QString>& fields) {
        QStringList texts;
        for (int c = 0; c < columns_; ++c)
            texts << MergeFieldText(fields[static_cast<size_t>(c)]);
        return texts.join('\t').toUtf8() + "\r\n";
    };
    expected += line(open_->headers);
    for (const Record& record : sel_)
        expected += line(record.cells);
    ASSERT_FALSE(frmMergeProgress->TempFileName.isEmpty());
    EXPECT_EQ(QByteArray::fromStdString(ReadFile(frmMergeProgress->TempFileName.toStdString())), expected);

    bool headerless = columns_ == 1 && MergeFieldText(open_->headers[0]).isEmpty();
    bool fails = templateKind == 1 || templateKind == 2 || !writable || headerless;
    std::vector<std::string> errors;
    for (const auto& box : boxes_) {
        if ((box.flags & 0xF0) == os::MB_ICONERROR) errors.push_back(box.text);
    }
    if (fails) {
        EXPECT_EQ(errors.size(), 1u) << "one error for the failed merge";
        EXPECT_TRUE(fake::Lib().updates.empty()) << "history written for a merge that failed";
        EXPECT_EQ(frmMergeProgress->btnClose->text(), "&Close");
        EXPECT_FALSE(frmMergeProgress->lblSteps[6]->font().bold());
        return;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_TRUE(QFileInfo::exists(outputPath)) << outputPath.toStdString();
    EXPECT_TRUE(frmMergeProgress->lblSteps[6]->font().bold());
    std::vector<fake::Update> history;
    if (!description.isEmpty() && !open_->source.mergeHistField.empty()) {
        for (const Record& record : sel_)
            history.push_back({open_->source.mergeHistField, description.toStdString(), record.id.toInt()});
    }
    EXPECT_EQ(fake::Lib().updates, history);
    EXPECT_FALSE(word::IsProgramRunning());
}

TEST_P(RandomUse, EveryStepAgreesWithTheModel) {
    const unsigned seed = GetParam();
    Random random(seed);
    for (int s = 0; s < 4; ++s) {
        std::string name = random.OneIn(5) ? "Same Name" : "Source " + std::to_string(s);
        if (random.OneIn(6)) name = "Source \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D " + std::string(60, 'n');
        sources_.push_back(MakeSource(random, name));
    }
    for (const SourceModel& model : sources_)
        fake::Lib().sources.push_back(model.source);
    {
        // A template without fields, which merges with any data file.
        auto word = word::CreateObject(word::kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("FileSaveAs", {word::Positional(Path("Documents/wordmergetemplate.doc"))});
        word->Invoke("AppClose");
        word::ResetAutomation();
    }
    Open(random);
    for (int step = 1; step <= 40 && !HasFailure(); ++step) {
        int action = random.Below(10);
        static const char* const kActions[] = {"open",       "retrieve",       "add highlighted", "add all",
                                               "search add", "clear some",     "clear all",       "merge",
                                               "merge",      "add highlighted"};
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " +
                     kActions[action]);
        switch (action) {
        case 0:
            Open(random);
            break;
        case 1:
            Retrieve(random);
            break;
        case 2:
        case 9:
            AddHighlighted(random);
            break;
        case 3: {
            if (!frmMain->btnSelectAll->isEnabled() && !frmMain->mnuAddAll->isEnabled()) break;
            bool yes = !random.OneIn(4);
            Answer({yes ? os::IDYES : os::IDNO});
            frmMain->AddAllClick();
            if (yes) {
                sel_.clear();
                if (ignoreDuplicates_) {
                    Select(all_);
                } else {
                    sel_ = all_;
                }
            }
            break;
        }
        case 4:
            if (frmMain->mnuSearchAdd->isEnabled()) SearchAndAdd(random);
            break;
        case 5:
            if (frmMain->mnuClearHighlighted->isEnabled()) ClearHighlighted(random);
            break;
        case 6: {
            if (!frmMain->mnuClearAll->isEnabled()) break;
            bool yes = random.OneIn(2);
            Answer({yes ? os::IDYES : os::IDNO});
            frmMain->ClearAllClick();
            if (yes) sel_.clear();
            break;
        }
        default:
            Merge(random);
            break;
        }
        if (!HasFailure()) ExpectState();
    }
    QFile::setPermissions(QString::fromStdString(Path("Documents/locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomUse, ::testing::Range(1u, 49u));

} // namespace
