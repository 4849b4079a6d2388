#include "wordlists/ankipackage.h"

#include "dictionary/posixfile.h"
#include "dictionary/systemreason.h"
#include "wordlists/cardtext.h"
#include "wordlists/packagefile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace tamberlo::wordlists {

namespace {

constexpr std::size_t Chunk = 64 * 1024;

std::string errorText(const char *text) { return text ? text : "?"; }

// file: URI of a path: bytes other than unreserved ones percent-encoded.
std::string fileUri(const std::string &path)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += digits[c >> 4];
            uri += digits[c & 15];
        }
    }
    return uri + "?immutable=1";
}

using Database = std::unique_ptr<sqlite3, int (*)(sqlite3 *)>;
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

std::string corrupt(sqlite3 *db) { return "Ankiのコレクションが壊れています（" + errorText(sqlite3_errmsg(db)) + "）"; }

// Opens the file read-only, trusting nothing in it: no extensions, triggers or views, no schema
// functions, no writes even through a corrupt schema, and no value or statement past 1 MiB loaded.
std::string openCollection(ScratchFile &file, Database &db)
{
    sqlite3 *handle = nullptr;
    const int opened = sqlite3_open_v2(fileUri(file.path()).c_str(), &handle,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    db.reset(handle);
    file.unlinkNow();
    if (opened != SQLITE_OK)
        return handle ? corrupt(handle) : "Ankiのコレクションを開けません";
    for (const int option : {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, SQLITE_DBCONFIG_ENABLE_TRIGGER,
                             SQLITE_DBCONFIG_ENABLE_VIEW, SQLITE_DBCONFIG_TRUSTED_SCHEMA})
        sqlite3_db_config(handle, option, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, 1 << 20);
    sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, 1 << 20);
    if (sqlite3_exec(handle, "PRAGMA mmap_size=0; PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        return corrupt(handle);
    return {};
}

Statement prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return Statement(statement, sqlite3_finalize);
}

// Why the collection holds no notes that can be read as Anki keeps them, or empty.
std::string notesShapeReason(sqlite3 *db)
{
    const Statement encoding = prepare(db, "PRAGMA encoding");
    if (!encoding || sqlite3_step(encoding.get()) != SQLITE_ROW)
        return corrupt(db);
    const std::string_view name = reinterpret_cast<const char *>(sqlite3_column_text(encoding.get(), 0));
    if (name != "UTF-8")
        return "Ankiのコレクションの文字コードがUTF-8ではありません（" + std::string(name) + "）";
    if (prepare(db, "SELECT id, flds FROM notes"))
        return {};
    const std::string message = errorText(sqlite3_errmsg(db));
    if (sqlite3_errcode(db) != SQLITE_ERROR)
        return corrupt(db);
    if (message.starts_with("no such table"))
        return "Ankiのコレクションではありません（ノートの表notesがありません）";
    return "Ankiのノートの表の形が違います（" + message + "）";
}

// The fields of one note as its flds arrives in pieces: kept ones each up to CardFieldRoom bytes.
class NoteFields {
public:
    explicit NoteFields(std::size_t kept) : m_fields(kept)
    {
        for (Field &field : m_fields)
            field.room = CardFieldRoom;
    }
    void start()
    {
        for (Field &field : m_fields)
            field.clear();
        m_count = 1;
    }
    void feed(std::string_view bytes)
    {
        for (std::size_t i = 0; i <= bytes.size();) {
            const std::size_t stop = std::min(bytes.find('\x1F', i), bytes.size());
            if (m_count <= m_fields.size())
                m_fields[m_count - 1].append(bytes.substr(i, stop - i));
            if (stop == bytes.size())
                break;
            ++m_count;
            i = stop + 1;
        }
    }
    void finish(Record &record)
    {
        record.fields.assign(m_fields.begin(), m_fields.begin() + static_cast<std::ptrdiff_t>(std::min(m_count, m_fields.size())));
        std::for_each(record.fields.begin(), record.fields.end(), cleanCardField);
    }

private:
    std::vector<Field> m_fields;
    std::size_t m_count = 1;
};

// Each note's flds read through a blob handle in chunks: SQLite never holds a whole value.
std::string readNotes(sqlite3 *db, const ReadOptions &options, RecordSink &sink)
{
    const Statement notes = prepare(db, "SELECT rowid FROM notes ORDER BY id, rowid");
    if (!notes)
        return "Ankiのノートの表の形が違います（" + errorText(sqlite3_errmsg(db)) + "）";
    std::unique_ptr<sqlite3_blob, int (*)(sqlite3_blob *)> blob(nullptr, sqlite3_blob_close);
    NoteFields fields(options.keptFields);
    std::string chunk(Chunk, '\0');
    Record record;
    record.encoding = "UTF-8";
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(notes.get())) == SQLITE_ROW) {
        const sqlite3_int64 rowid = sqlite3_column_int64(notes.get(), 0);
        sqlite3_blob *handle = blob.release();
        const int opened = handle ? sqlite3_blob_reopen(handle, rowid)
                                  : sqlite3_blob_open(db, "main", "notes", "flds", rowid, 0, &handle);
        blob.reset(handle);
        if (opened != SQLITE_OK)
            return opened == SQLITE_ERROR ? "Ankiのノートの表の形が違います（" + errorText(sqlite3_errmsg(db)) + "）"
                                          : corrupt(db);
        fields.start();
        const int size = sqlite3_blob_bytes(handle);
        for (int at = 0; at < size;) {
            const int n = std::min(size - at, static_cast<int>(chunk.size()));
            if (sqlite3_blob_read(handle, chunk.data(), n, at) != SQLITE_OK)
                return corrupt(db);
            fields.feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
            at += n;
        }
        ++record.location;
        fields.finish(record);
        sink.take(record);
    }
    return stepped == SQLITE_DONE ? std::string() : corrupt(db);
}

} // namespace

std::string AnkiPackage::read(RecordSink &sink)
{
    char magic[16] = {};
    if (retryOnEintr([&] { return ::pread(m_fd, magic, sizeof magic, 0); }) < 0)
        return systemReason(errno);
    const std::string_view head(magic, sizeof magic);
    const bool zip = head.starts_with("PK\x03\x04") || head.starts_with(std::string_view("PK\x05\x06", 4));
    if (!zip && head != std::string_view("SQLite format 3\0", 16))
        return "Ankiのパッケージではありません（ZIPでもSQLiteのデータベースでもありません）";
    ScratchFile file;
    if (std::string reason = unpackCollection(m_fd, zip, file); !reason.empty())
        return reason;
    Database db(nullptr, sqlite3_close_v2);
    if (std::string reason = openCollection(file, db); !reason.empty())
        return reason;
    if (std::string reason = notesShapeReason(db.get()); !reason.empty())
        return reason;
    return readNotes(db.get(), m_options, sink);
}

} // namespace tamberlo::wordlists
