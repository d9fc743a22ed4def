#include "TestSupport.h"

#include "components/DispatchIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace testing {

using platform::CallKind;
using platform::DispatchError;
using platform::DispatchResult;

DispatchResult RecordingPlayer::invoke(std::int32_t id, CallKind kind, const QVariantList& args) {
    calls.push_back({id, kind, args});
    if (id == dispid::kPlayerSource && kind == CallKind::PropertyPut && args.size() == 1) {
        source = args.front().toString();
        return DispatchResult::success();
    }
    if (id == dispid::kPlayerPlay && kind == CallKind::Method && args.isEmpty()) {
        ++plays;
        if (onPlay)
            onPlay();
        return DispatchResult::success();
    }
    return DispatchResult::failure(DispatchError::MemberNotFound);
}

BoxAnswerer::BoxAnswerer(QObject* parent) : QObject(parent) {
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::poll);
    timer_.start();
}

void BoxAnswerer::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    if (box != last_) {
        last_ = box;
        seen.push_back({box->text(), box->windowTitle(), box->icon() != QMessageBox::NoIcon,
                        static_cast<int>(box->buttons().size())});
        if (whileOpen)
            whileOpen(box);
    }
    if (answer && box == last_ && box->isVisible()) {
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }
}

QString sourceDir() {
    return qEnvironmentVariable("ADHAN_SOURCE_DIR");
}
QString buildDir() {
    return qEnvironmentVariable("ADHAN_BUILD_DIR");
}

} // namespace testing
