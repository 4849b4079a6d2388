#include "wordlists/ankipackage.h"

#include "dictionary/posixfile.h"
#include "dictionary/systemreason.h"
#include "wordlists/cardtext.h"

#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <string_view>
#include <unistd.h>

namespace tamberlo::wordlists {

namespace {

// A collection bigger than this is no word list, whatever says so.
constexpr std::uint64_t MaxCollectionBytes = std::uint64_t{2} << 30;
// Deflate packs a collection's text a few times; a bomb's zeros pack a thousandfold.
constexpr std::uint64_t MaxExpansion = 64;
// An entry this small is harmless however well it packed, as a nearly empty collection's pages do.
constexpr std::uint64_t AnyExpansionBelow = 1 << 20;
// zstd's levels up to 19 ask a window of 8 MiB at most; a frame asking past 32 MiB is refused.
constexpr int MaxZstdWindowLog = 25;
constexpr std::size_t Chunk = 64 * 1024;

constexpr std::array<std::string_view, 3> Collections = {"collection.anki21b", "collection.anki21", "collection.anki2"};

std::string errorText(const char *text) { return text ? text : "?"; }

std::string bombReason(std::string_view name, std::uint64_t size, std::uint64_t packed)
{
    const std::string what = "ZIPの中身が大きすぎます（" + std::string(name) + "は展開すると";
    if (size > MaxCollectionBytes)
        return what + "2 GiBを超えます）";
    if (size > AnyExpansionBelow && size > MaxExpansion * packed)
        return what + std::to_string(size) + "バイト、圧縮の" + std::to_string(size / std::max<std::uint64_t>(packed, 1)) +
               "倍になります。64倍まで）";
    return {};
}

// The unpacked collection: a file in $TMPDIR that goes as soon as SQLite has it open.
class ScratchFile {
public:
    ~ScratchFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    std::string create()
    {
        const char *dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tamberlo-dict-XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return "一時ファイルを作れません: " + systemReason(errno);
        m_file = std::make_unique<File>(fd);
        m_path = pattern;
        return {};
    }
    // Appends bytes, refusing a collection past MaxCollectionBytes as `name`'s bomb.
    std::string write(const char *at, std::size_t size, std::string_view name)
    {
        if ((m_written += size) > MaxCollectionBytes)
            return bombReason(name, m_written, 0);
        for (const char *end = at + size; at < end;) {
            const ssize_t n = retryOnEintr([&] { return ::write(m_file->fd(), at, static_cast<std::size_t>(end - at)); });
            if (n <= 0)
                return "一時ファイルに書けません: " + systemReason(n < 0 ? errno : EIO);
            at += n;
        }
        return {};
    }
    const std::string &path() const { return m_path; }
    void unlinkNow()
    {
        ::unlink(m_path.c_str());
        m_path.clear();
        m_file.reset();
    }

private:
    std::unique_ptr<File> m_file;
    std::string m_path;
    std::uint64_t m_written = 0;
};

// Streams a zstd frame's content into the file, within the window it may ask for.
class ZstdUnpacker {
public:
    ZstdUnpacker() : m_context(ZSTD_createDCtx(), ZSTD_freeDCtx), m_out(ZSTD_DStreamOutSize(), '\0')
    {
        ZSTD_DCtx_setParameter(m_context.get(), ZSTD_d_windowLogMax, MaxZstdWindowLog);
    }
    std::string feed(std::string_view bytes, ScratchFile &file, std::string_view name)
    {
        ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
        ZSTD_outBuffer out{m_out.data(), m_out.size(), 0};
        do {
            out.pos = 0;
            m_left = ZSTD_decompressStream(m_context.get(), &out, &in);
            if (ZSTD_isError(m_left))
                return std::string(name) + "を展開できません（" + ZSTD_getErrorName(m_left) + "）";
            if (std::string reason = file.write(m_out.data(), out.pos, name); !reason.empty())
                return reason;
        } while (in.pos < in.size || out.pos == out.size);
        return {};
    }
    bool complete() const { return m_left == 0; }

private:
    std::unique_ptr<ZSTD_DCtx, std::size_t (*)(ZSTD_DCtx *)> m_context;
    std::string m_out;
    std::size_t m_left = 1;
};

std::string zipReason(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = "ZIPとして読めません（" + errorText(zip_error_strerror(&error)) + "）";
    zip_error_fini(&error);
    return reason;
}

// The newest collection of the package, unpacked into `file`.
std::string unpackPackage(int fd, ScratchFile &file)
{
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return systemReason(errno);
    int code = 0;
    std::unique_ptr<zip_t, void (*)(zip_t *)> zip(zip_fdopen(copy, 0, &code), zip_discard);
    if (!zip) {
        ::close(copy);
        return zipReason(code);
    }
    zip_int64_t index = -1;
    std::string_view name;
    for (const std::string_view candidate : Collections)
        if (index < 0 && (index = zip_name_locate(zip.get(), std::string(candidate).c_str(), 0)) >= 0)
            name = candidate;
    if (index < 0) {
        const bool workbook = zip_name_locate(zip.get(), "[Content_Types].xml", 0) >= 0 ||
                              zip_name_locate(zip.get(), "mimetype", 0) >= 0;
        return std::string("Ankiのパッケージにコレクションがありません") +
               (workbook ? "（Excelのブックなら、CSVで保存してから取り込んでください）" : "");
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        return zipReason(zip_error_code_zip(zip_get_error(zip.get())));
    // The sizes the ZIP states are checked first, those it gives as it unpacks after.
    const std::uint64_t packed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    if (std::string reason = bombReason(name, (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0, packed); !reason.empty())
        return reason;
    std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> entry(zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(index), 0), zip_fclose);
    if (!entry)
        return "ZIPの中身を読めません（" + std::string(name) + ": " + errorText(zip_strerror(zip.get())) + "）";
    const bool zstd = name == Collections[0];
    ZstdUnpacker unpacker;
    std::string chunk(Chunk, '\0');
    std::uint64_t unpacked = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(entry.get(), chunk.data(), chunk.size());
        if (n < 0)
            return "ZIPの中身を読めません（" + std::string(name) + ": " + errorText(zip_file_strerror(entry.get())) + "）";
        if (n == 0)
            break;
        if (std::string reason = bombReason(name, unpacked += static_cast<std::uint64_t>(n), packed); !reason.empty())
            return reason;
        const std::string_view bytes(chunk.data(), static_cast<std::size_t>(n));
        if (std::string reason = zstd ? unpacker.feed(bytes, file, name) : file.write(bytes.data(), bytes.size(), name);
            !reason.empty())
            return reason;
    }
    if (zstd && !unpacker.complete())
        return std::string(name) + "を展開できません（圧縮データが途中で切れています）";
    return {};
}

// A collection given as it is, copied so that SQLite can open it by name.
std::string copyCollection(int fd, ScratchFile &file)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return systemReason(errno);
    if (static_cast<std::uint64_t>(st.st_size) > MaxCollectionBytes)
        return "Ankiのコレクションが大きすぎます（2 GiBまで）";
    std::string chunk(Chunk, '\0');
    for (off_t offset = 0;;) {
        const ssize_t n = retryOnEintr([&] { return ::pread(fd, chunk.data(), chunk.size(), offset); });
        if (n < 0)
            return systemReason(errno);
        if (n == 0)
            return {};
        if (std::string reason = file.write(chunk.data(), static_cast<std::size_t>(n), "データベース"); !reason.empty())
            return reason;
        offset += n;
    }
}

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
    if (std::string reason = file.create(); !reason.empty())
        return reason;
    if (std::string reason = zip ? unpackPackage(m_fd, file) : copyCollection(m_fd, file); !reason.empty())
        return reason;
    Database db(nullptr, sqlite3_close_v2);
    if (std::string reason = openCollection(file, db); !reason.empty())
        return reason;
    if (std::string reason = notesShapeReason(db.get()); !reason.empty())
        return reason;
    return readNotes(db.get(), m_options, sink);
}

} // namespace tamberlo::wordlists
