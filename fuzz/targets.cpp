// Fuzz targets, one per parser, chosen by FUZZ_<name> at build time. Beyond
// what the sanitizers catch, each checks what every input must keep and
// aborts when it breaks.
#include "components/ClipPlayer.h"
#include "components/SkinDefinition.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {
void check(bool holds) {
    if (!holds)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in(reinterpret_cast<const char*>(data), qsizetype(size));
#if defined(FUZZ_skin_definition)
    QString why;
    const auto skin = SkinDefinition::parse(in, &why);
    check(skin ? !skin->styleSheet().contains(u'%') : why.startsWith(u"line "));
#elif defined(FUZZ_mp3_header)
    static const int fd = memfd_create("clip", 0);
    check(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == ssize_t(size));
    const QString why = ClipPlayer::cutShort(QStringLiteral("/proc/self/fd/%1").arg(fd));
    check(why.isEmpty() || why.contains(QStringLiteral("(%1 of the ").arg(size)));
#endif
    return 0;
}
