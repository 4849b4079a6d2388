// The input is an Anki package or collection. Whatever the bytes, the reader ends, with records or a
// reason: notes numbered 1, 2, 3..., no more fields than kept, each cleaned field's count its text's
// and its text trimmed and collapsed; and no temporary file is left behind.
#include "dictionary/utf8.h"
#include "fuzzcheck.h"
#include "wordlists/ankipackage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace tamberlo::wordlists;

class Checked final : public RecordSink {
public:
    long long notes = 0;

    void take(const Record &record) override
    {
        check(record.location == ++notes, "notes not numbered in turn");
        check(record.fields.size() <= 3 && !record.fields.empty(), "fields past those kept, or none");
        for (const Field &field : record.fields) {
            if (field.text.size() >= field.room)
                continue;
            check(field.characters == tamberlo::utf8::characters(field.text), "a cleaned field's count is not its text's");
            check(!field.text.starts_with(' ') && !field.text.ends_with(' ') && field.text.find("  ") == std::string::npos,
                  "white space left uncollapsed");
        }
    }
    void startOver() override { check(false, "a package read over again"); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The collection is unpacked into the scratch folder, so that one left behind is seen.
    setenv("TMPDIR", scratch().path().c_str(), 1);
    const std::string path = scratch().write("package", std::string(reinterpret_cast<const char *>(data), size));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ReadOptions options;
    options.keptFields = 3;
    Checked sink;
    const std::string reason = AnkiPackage(fd, options).read(sink);
    ::close(fd);
    check(reason.empty() || !reason.starts_with("一時ファイル"), "no temporary file for the collection");
    std::size_t files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(scratch().path()))
        files += entry.is_regular_file();
    check(files == 1, "a temporary file left behind");
    return 0;
}
