#include "wordlists/packagefile.h"

#include "dictionary/posixfile.h"
#include "dictionary/systemreason.h"

#include <zip.h>
#include <zstd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
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
std::string unpackZip(int fd, ScratchFile &file)
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

} // namespace

ScratchFile::ScratchFile() = default;

ScratchFile::~ScratchFile()
{
    if (!m_path.empty())
        ::unlink(m_path.c_str());
}

std::string ScratchFile::create()
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

std::string ScratchFile::write(const char *at, std::size_t size, std::string_view name)
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

void ScratchFile::unlinkNow()
{
    ::unlink(m_path.c_str());
    m_path.clear();
    m_file.reset();
}

std::string unpackCollection(int fd, bool zip, ScratchFile &file)
{
    if (std::string reason = file.create(); !reason.empty())
        return reason;
    return zip ? unpackZip(fd, file) : copyCollection(fd, file);
}

} // namespace tamberlo::wordlists
