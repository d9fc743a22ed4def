// The MP3 header the player reads to tell a clip cut short: any file gives
// either nothing or a report naming the file's real size and a larger
// announced size. The bytes are handed over as a file, as the player reads it.

#include "FuzzCheck.h"
#include "components/ClipPlayer.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A file in memory, rewritten for each input.
int memoryFile() {
    static const int fd = memfd_create("fuzz-clip", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memoryFile();
    fuzzCheck(fd >= 0, "a memory file can be made");
    fuzzCheck(ftruncate(fd, 0) == 0, "the memory file can be emptied");
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        fuzzCheck(n > 0, "the memory file can be written");
        done += static_cast<std::size_t>(n);
    }
    const QString report = ClipPlayer::cutShort(QStringLiteral("/proc/self/fd/%1").arg(fd));
    if (report.isEmpty())
        return 0;
    static const QRegularExpression form(QStringLiteral(
        "^the file is cut short \\((\\d+) of the (\\d+) bytes its header announces\\)$"));
    const QRegularExpressionMatch m = form.match(report);
    fuzzCheck(m.hasMatch(), "a report has its one form");
    fuzzCheck(m.captured(1).toULongLong() == size, "the report names the file's size");
    fuzzCheck(m.captured(2).toULongLong() > size, "only a larger announced size is reported");
    return 0;
}
