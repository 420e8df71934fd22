// Damage done to database files the way users meet it, for the tests that read damaged files through the
// store and through nsfadmin: files cut short, bytes and pages overwritten, the header zeroed, and rows
// changed behind the store's back through a plain SQLite connection of the test's own. Seeded: every
// function that chooses takes the test's random engine and says in its answer what it did, so that a
// failure names the damage.
//
// Header only: the test programs that include it link SQLite themselves.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace testsupport::damage {

// The file's bytes; "" for anything that is no regular file.
inline std::string ReadBytes(const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) return "";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Bytes from overwritten at offset (the file grows when they reach past its end).
inline void Overwrite(const std::string& path, uint64_t offset, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(std::mt19937& random, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// The page size an SQLite file's header gives (4096 when the header says none).
inline uint32_t PageSizeOf(const std::string& bytes) {
    if (bytes.size() < 100) return 4096;
    const uint32_t size = (static_cast<uint8_t>(bytes[16]) << 8) | static_cast<uint8_t>(bytes[17]);
    return size == 1 ? 65536 : size >= 512 ? size : 4096;
}

// One of the ways a file is damaged whole, chosen by random: cut short (to nothing, inside the header, inside
// a page or at a page's end), bytes or whole pages overwritten with garbage, or the header zeroed. What was
// done, in words.
inline std::string DamageFile(const std::string& path, std::mt19937& random) {
    const std::string bytes = ReadBytes(path);
    const uint64_t size = bytes.size(), page = PageSizeOf(bytes);
    auto below = [&](uint64_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<uint64_t>(0, n - 1)(random);
    };
    switch (random() % 7) {
    case 0: {
        const uint64_t cut = std::vector<uint64_t>{0, 1, 99, 100, page - 1, page, page + 1}[random() % 7];
        std::filesystem::resize_file(path, std::min(cut, size));
        return "cut to " + std::to_string(std::min(cut, size)) + " bytes";
    }
    case 1: {
        const uint64_t cut = below(size);
        std::filesystem::resize_file(path, cut);
        return "cut to " + std::to_string(cut) + " bytes";
    }
    case 2: {
        const uint64_t cut = (below(size / page) + 1) * page;
        std::filesystem::resize_file(path, cut);
        return "cut after page " + std::to_string(cut / page);
    }
    case 3: {
        std::string done = "bytes overwritten at";
        for (int n = 1 + static_cast<int>(random() % 16); n > 0; --n) {
            const uint64_t at = below(size);
            Overwrite(path, at, RandomBytes(random, 1 + random() % 8));
            done += " " + std::to_string(at);
        }
        return done;
    }
    case 4: {
        std::string done = "pages overwritten:";
        for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
            const uint64_t p = below(size / page);
            Overwrite(path, p * page, RandomBytes(random, page));
            done += " " + std::to_string(p + 1);
        }
        return done;
    }
    case 5: {
        const uint64_t p = 1 + below(size / page > 1 ? size / page - 1 : 1);
        Overwrite(path, p * page, std::string(page, '\0'));
        return "page " + std::to_string(p + 1) + " zeroed";
    }
    default:
        Overwrite(path, 0, std::string(std::min<uint64_t>(100, size), '\0'));
        return "header zeroed";
    }
}

// A connection of the test's own to a database file, no store involved.
class RawFile {
public:
    explicit RawFile(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }
    ~RawFile() { sqlite3_close(db_); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Raw() const { return db_; }

    // Runs statements; "" or SQLite's error text.
    std::string Exec(const std::string& sql) {
        if (db_ == nullptr) return "not open";
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return "";
        std::string text = error != nullptr ? error : "error";
        sqlite3_free(error);
        return text;
    }

    // The first column of every row of a query, as text ("" for NULL).
    std::vector<std::string> Column(const std::string& sql) {
        std::vector<std::string> values;
        sqlite3_stmt* q = nullptr;
        if (db_ == nullptr || sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK)
            return values;
        while (sqlite3_step(q) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
            values.emplace_back(text != nullptr ? text : "");
        }
        sqlite3_finalize(q);
        return values;
    }

    // Binds blob to ?1 and runs one statement; "" or SQLite's error text.
    std::string ExecWithBlob(const std::string& sql, const std::string& blob) {
        sqlite3_stmt* q = nullptr;
        if (db_ == nullptr || sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK)
            return db_ != nullptr ? sqlite3_errmsg(db_) : "not open";
        sqlite3_bind_blob(q, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(q);
        sqlite3_finalize(q);
        return rc == SQLITE_DONE || rc == SQLITE_ROW ? "" : sqlite3_errmsg(db_);
    }

    // Lifts NOT NULL and UNIQUE from the columns of every table as declared, so that rows can then hold what
    // the store never writes (NULLs, a universal id twice); the file stays sound to SQLite itself.
    std::string LooseSchema() {
        std::string error = Exec("PRAGMA writable_schema=ON;"
                                 "UPDATE sqlite_master SET sql = replace(replace(sql, ' NOT NULL', ''),"
                                 " ' UNIQUE', '') WHERE type = 'table';"
                                 "DELETE FROM sqlite_master WHERE type = 'index' AND sql IS NULL"
                                 " AND name LIKE 'sqlite_autoindex_notes%';"
                                 "PRAGMA writable_schema=OFF;");
        if (!error.empty()) return error;
        // The schema is read again by a new connection; VACUUM gives the unique index's pages back.
        const std::string path = sqlite3_db_filename(db_, "main");
        sqlite3_close(db_);
        db_ = nullptr;
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return "reopen";
        return Exec("VACUUM");
    }

    // One cell of the file, chosen by random among the rows of its own tables (not SQLite's, not the
    // full-text index's virtual table), changed by random: a value cut short, lengthened, with bytes flipped
    // or set to 0xFF, swapped for NULL, a number, a text or another row's value; numbers made 0, negative or
    // huge. What was done, in words ("" when nothing could be changed).
    std::string DamageCell(std::mt19937& random) {
        const auto tables = Column("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE"
                                   " 'sqlite_%' AND sql NOT LIKE 'CREATE VIRTUAL%' ORDER BY name");
        if (tables.empty()) return "";
        const std::string table = tables[random() % tables.size()];
        const auto columns = Column("SELECT name FROM pragma_table_info('" + table + "') ORDER BY cid");
        auto keys = Column("SELECT name FROM pragma_table_info('" + table + "') WHERE pk > 0 ORDER BY pk");
        if (columns.empty()) return "";
        const bool rowid = keys.empty();
        if (rowid) keys = {"rowid"};
        const std::string count = Column("SELECT count(*) FROM \"" + table + "\"").at(0);
        if (count == "0") return "";
        const uint64_t row = random() % std::stoull(count);
        const std::string column = columns[random() % columns.size()];
        std::string where = " WHERE (";
        for (size_t i = 0; i < keys.size(); ++i)
            where += (i ? ", " : "") + std::string("\"") + keys[i] + "\"";
        where += ") IN (SELECT ";
        for (size_t i = 0; i < keys.size(); ++i)
            where += (i ? ", " : "") + std::string("\"") + keys[i] + "\"";
        where += " FROM \"" + table + "\" ORDER BY 1 LIMIT 1 OFFSET " + std::to_string(row) + ")";
        const std::string target = "UPDATE \"" + table + "\" SET \"" + column + "\" = ";
        const std::string old = "(SELECT \"" + column + "\" FROM \"" + table + "\"" + where + ")";
        std::string change, error;
        switch (random() % 12) {
        case 0:
            change = "cut short";
            error = Exec(target + "substr(CAST(" + old + " AS BLOB), 1, " + std::to_string(random() % 12) +
                         ")" + where);
            break;
        case 1:
            change = "cut by one";
            error = Exec(target + "substr(CAST(" + old + " AS BLOB), 1, max(length(CAST(" + old +
                         " AS BLOB)) - 1, 0))" + where);
            break;
        case 2: {
            change = "lengthened";
            error = ExecWithBlob(target + "CAST(" + old + " AS BLOB) || ?1" + where,
                                 RandomBytes(random, 1 + random() % 40));
            break;
        }
        case 3:
        case 4: {
            const int at = static_cast<int>(random() % 24);
            change = "byte " + std::to_string(at) + " changed";
            error = ExecWithBlob(target + "CASE WHEN length(CAST(" + old + " AS BLOB)) > " +
                                     std::to_string(at) + " THEN substr(CAST(" + old + " AS BLOB), 1, " +
                                     std::to_string(at) + ") || ?1 || substr(CAST(" + old + " AS BLOB), " +
                                     std::to_string(at + 2) + ") ELSE ?1 END" + where,
                                 RandomBytes(random, 1));
            break;
        }
        case 5: {
            const int at = static_cast<int>(random() % 8);
            change = "0xFFFF at byte " + std::to_string(at);
            error = ExecWithBlob(target + "substr(CAST(" + old + " AS BLOB), 1, " + std::to_string(at) +
                                     ") || ?1 || substr(CAST(" + old + " AS BLOB), " +
                                     std::to_string(at + 3) + ")" + where,
                                 std::string(2, '\xFF'));
            break;
        }
        case 6:
            change = "NULL";
            error = Exec(target + "NULL" + where);
            break;
        case 7: {
            static const char* const numbers[] = {
                "0", "-1", "-2147483648", "4294967295", "1099511627776", "9223372036854775807", "3"};
            change = std::string("number ") + numbers[random() % 7];
            error = Exec(target + change.substr(7) + where);
            break;
        }
        case 8:
            change = "text";
            error = Exec(target + "'garbage text'" + where);
            break;
        case 9:
            change = "a real";
            error = Exec(target + "2.5" + where);
            break;
        case 10:
            change = "empty";
            error = Exec(target + "x''" + where);
            break;
        default: {
            const std::string other = std::to_string(random() % std::stoull(count));
            change = "the value of row " + other;
            error = Exec(target + "(SELECT \"" + column + "\" FROM \"" + table +
                         "\" ORDER BY 1 LIMIT 1 OFFSET " + other + ")" + where);
            break;
        }
        }
        return table + "." + column + " of row " + std::to_string(row) + ": " + change +
               (error.empty() ? "" : " (refused: " + error + ")");
    }

private:
    sqlite3* db_ = nullptr;
};

// Damage done to the rows of a database that has the items Name (text), Count (number), Tags (text list),
// Nums (number list) and When (time) and at least one view, named for the failures it causes. loose: the
// statements need RawFile::LooseSchema first (they store NULLs or a universal id twice).
struct RowDamage {
    const char* what;
    const char* sql;
    bool loose = false;
};

inline const std::vector<RowDamage>& RowDamages() {
    // The last document, and the view notes, picked out by what they hold rather than by their ids.
    static const std::vector<RowDamage> damages = {
        {"a time of 3 bytes", "UPDATE items SET value = substr(value, 1, 5) WHERE name = 'When'"},
        {"a number list of 7 bytes", "UPDATE items SET value = substr(value, 1, 9) WHERE name = 'Nums'"},
        {"a number of 9 bytes", "UPDATE items SET value = value || x'01' WHERE name = 'Count'"},
        {"a text list whose counts run past its bytes",
         "UPDATE items SET value = substr(value, 1, 2) || x'FF7F0100' || substr(value, 7) WHERE name = "
         "'Tags'"},
        {"text bytes stored as a time",
         "UPDATE items SET type = (SELECT type FROM items WHERE name = 'When' LIMIT 1), value = (SELECT"
         " substr(value, 1, 2) FROM items WHERE name = 'When' LIMIT 1) || substr(value, 3) WHERE name = "
         "'Name'"},
        {"a type column other than the value's type word",
         "UPDATE items SET type = type + 1 WHERE name IN ('Count', 'Tags')"},
        {"values that are no blobs", "UPDATE items SET value = 42 WHERE name = 'Name';"
                                     "UPDATE items SET value = 'some text' WHERE name = 'When'"},
        {"empty values", "UPDATE items SET value = x'' WHERE name IN ('Name', 'Nums')"},
        {"NULL values", "UPDATE items SET value = NULL WHERE name IN ('Tags', 'When')", true},
        {"NULL names, types and flags",
         "UPDATE items SET name = NULL WHERE name = 'Name'; UPDATE items SET type = NULL WHERE name = "
         "'Count';"
         "UPDATE items SET flags = NULL WHERE name = 'Tags'",
         true},
        {"NULL note columns",
         "UPDATE notes SET oid = NULL WHERE id = (SELECT max(id) FROM notes);"
         "UPDATE notes SET added = NULL, class = NULL WHERE id = (SELECT min(id) FROM notes)",
         true},
        {"NULL view rows",
         "UPDATE view_rows SET summary = NULL WHERE note = (SELECT max(note) FROM view_rows);"
         "UPDATE view_rows SET sortvalues = NULL, unid = NULL WHERE note = (SELECT min(note)"
         " FROM view_rows)",
         true},
        {"summaries whose lengths lie", "UPDATE view_rows SET summary = substr(summary, 1, 2) || x'FFFF' ||"
                                        " substr(summary, 5)"},
        {"summaries cut short", "UPDATE view_rows SET summary = substr(summary, 1, length(summary) - 3)"},
        {"summaries lengthened", "UPDATE view_rows SET summary = summary || x'0500FFFF0100'"},
        {"sort values and keys whose lengths lie",
         "UPDATE view_rows SET sortvalues = x'FFFFFFFF' || substr(sortvalues, 5);"
         "UPDATE view_rows SET key = substr(key, 1, 3) || x'FF' WHERE note = (SELECT max(note) FROM "
         "view_rows)"},
        {"view rows of the wrong part and parent", "UPDATE view_rows SET part = 70000, parent = x'0102' "
                                                   "WHERE note = (SELECT max(note) FROM view_rows)"},
        {"note ids of 0 and below",
         "UPDATE items SET note = -3 WHERE note = (SELECT max(id) FROM notes WHERE class = 1);"
         "UPDATE notes SET id = -3 WHERE id = (SELECT max(id) FROM notes WHERE class = 1);"
         "UPDATE items SET note = 0 WHERE note = (SELECT max(id) FROM notes WHERE class = 1);"
         "UPDATE notes SET id = 0 WHERE id = (SELECT max(id) FROM notes WHERE class = 1)"},
        {"note ids past 32 bits",
         "UPDATE items SET note = 4294967301 WHERE note = (SELECT max(id) FROM notes WHERE class = 1);"
         "UPDATE notes SET id = 4294967301 WHERE id = (SELECT max(id) FROM notes WHERE class = 1);"
         "UPDATE items SET note = 4294901761 WHERE note = (SELECT max(id) FROM notes WHERE class = 1 AND id "
         "< 4294967296);"
         "UPDATE notes SET id = 4294901761 WHERE id = (SELECT max(id) FROM notes WHERE class = 1 AND id < "
         "4294967296)"},
        {"view rows of notes past 32 bits and below 0",
         "UPDATE view_rows SET note = 4294967303 WHERE note = (SELECT max(note) FROM view_rows);"
         "UPDATE view_rows SET note = -7 WHERE note = (SELECT min(note) FROM view_rows WHERE note > 0)"},
        {"items of a note that is not there", "INSERT INTO items SELECT 999, seq, name, type, flags, value "
                                              "FROM items WHERE note = (SELECT max(note)"
                                              " FROM items)"},
        {"a universal id twice",
         "UPDATE notes SET unid = (SELECT unid FROM notes WHERE class = 1 ORDER BY id LIMIT 1) WHERE id = "
         "(SELECT"
         " max(id) FROM notes WHERE class = 1)",
         true},
        {"universal ids and originator ids of the wrong size",
         "UPDATE notes SET unid = x'0102', oid = substr(oid, 1, 27) WHERE id = (SELECT max(id) FROM notes "
         "WHERE"
         " class = 1)"},
        {"a view's selection formula of garbage",
         "UPDATE items SET value = substr(value, 1, 2) || x'5A5A00FF0102030405060708090A0B0C0D0E0F10'"
         " WHERE name = '$FORMULA'"},
        {"a view's format of garbage",
         "UPDATE items SET value = substr(value, 1, 2) || x'FFFF01FF7F00' || substr(value, 9)"
         " WHERE name = '$ViewFormat'"},
        {"a view's format cut short",
         "UPDATE items SET value = substr(value, 1, 11) WHERE name = '$ViewFormat'"},
        {"a view index row for a deleted note",
         "DELETE FROM items WHERE note = (SELECT max(id) FROM notes WHERE class = 1);"
         "DELETE FROM notes WHERE id = (SELECT max(id) FROM notes WHERE class = 1)"},
        {"rows of a view that no longer exists",
         "DELETE FROM notes WHERE id IN (SELECT note FROM items WHERE name = '$ViewFormat');"
         "DELETE FROM items WHERE note NOT IN (SELECT id FROM notes)"},
        {"view index rows of the wrong size",
         "UPDATE view_index SET stamp = x'01', collation = 7, layout = 'x', changes = -1"},
        {"the information rows gone", "DELETE FROM info"},
        {"a time whose words are no instant", "UPDATE items SET value = substr(value, 1, 2) || x'FFFFFFF0' "
                                              "|| substr(value, 7) WHERE name = 'When'"},
        {"information times whose words are no instant",
         "UPDATE info SET value = x'FFFFFFF0' || substr(value, 5) WHERE length(value) = 8"},
        {"information values cut short",
         "UPDATE info SET value = substr(value, 1, 3) WHERE length(value) > 3"},
    };
    return damages;
}

// Does damage to the database file at path through a connection of its own: "" when done, else what
// SQLite said.
inline std::string Apply(const RowDamage& damage, const std::string& path) {
    RawFile raw(path);
    if (damage.loose) {
        if (std::string said = raw.LooseSchema(); !said.empty()) return said;
    }
    return raw.Exec(damage.sql);
}

} // namespace testsupport::damage
