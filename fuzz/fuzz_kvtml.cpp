// The input is a KVTML file. Whatever the bytes, it reads the same in blocks of any size (the first
// byte chooses one of 1 to 16 bytes) as in the program's own 64 KiB: the same records, or refused
// both ways (expat may name another error or place for malformed XML cut elsewhere); entries start
// on lines that never go back, and keep no more fields than asked.
#include "fuzzcheck.h"
#include "wordlists/kvtml.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tamberlo::wordlists;

class Described final : public RecordSink {
public:
    std::vector<std::string> records;
    long long line = 0;

    void take(const Record &record) override
    {
        check(record.location >= line && record.location > 0, "an entry's line goes back");
        check(record.fields.size() <= 2 && record.blankWhenEmpty, "fields past those kept, or a grid row not marked");
        line = record.location;
        std::string text = std::to_string(record.location);
        for (const Field &field : record.fields)
            text += "|" + field.text + "/" + std::to_string(field.characters);
        records.push_back(text);
    }
    void startOver() override { check(false, "a KVTML file read over again"); }
};

std::pair<std::string, std::vector<std::string>> read(const std::string &path, std::size_t block)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    Described sink;
    const std::string reason = Kvtml(fd, ReadOptions{}, block).read(sink);
    ::close(fd);
    return {reason, sink.records};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string path = scratch().write("list.kvtml", std::string(reinterpret_cast<const char *>(data), size));
    const std::size_t block = size > 0 ? 1 + data[0] % 16 : 1;
    const auto [smallReason, smallRecords] = read(path, block);
    const auto [reason, records] = read(path, tamberlo::ReadBlockSize);
    check(smallReason.empty() == reason.empty(), "refused in blocks of one size only");
    check(!reason.empty() || smallRecords == records, "blocks of another size read otherwise");
    return 0;
}
