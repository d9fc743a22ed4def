// Fuzz targets, chosen by FUZZ_<name> at build time: the MP3 header check of
// the adhan recording a user puts in place of ours, and the tray tip's trip
// through the shell's narrow code page and back. Beyond what the sanitizers
// catch, each checks what every input must keep and aborts when it breaks.
#include "components/ClipPlayer.h"
#include "shell/Module1.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {
void check(bool holds) {
    if (!holds)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#if defined(FUZZ_mp3_header)
    static const int fd = memfd_create("clip", 0);
    check(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == ssize_t(size));
    const QString why = ClipPlayer::cutShort(QStringLiteral("/proc/self/fd/%1").arg(fd));
    check(why.isEmpty() || why.contains(QStringLiteral("(%1 of the ").arg(size)));
#elif defined(FUZZ_tray_tip) // the shell's narrow tip, then a wide one
    Module1::NOTIFYICONDATA record{};
    shell::NOTIFYICONDATAA narrow{};
    std::memcpy(narrow.szTip, data, std::min<std::size_t>(size, shell::kTipLength));
    Module1::copyBack(narrow, record);
    check(Module1::tip(record).size() == shell::kTipLength);
    Module1::setTip(record,
                    QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    narrow = Module1::toNarrow(record);
    const QByteArray copy(narrow.szTip, qsizetype(strnlen(narrow.szTip, shell::kTipLength)));
    check(Module1::tip(record).startsWith(QString::fromUtf8(copy))); // no character cut in half
#endif
    return 0;
}
