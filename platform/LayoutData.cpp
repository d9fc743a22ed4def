#include "LayoutData.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {
class CentreOnShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) {
            if (const QScreen* s = w->screen()) {
                QRect frame = w->frameGeometry();
                frame.moveCenter(s->availableGeometry().center());
                w->move(frame.topLeft());
            }
            deleteLater();
            w->removeEventFilter(this);
        }
        return false;
    }
};
} // namespace

void applyLayoutFontSizes(QWidget* root) {
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const QVariant size = w->property("pointSizeF");
        if (!size.isValid())
            continue;
        QFont f = w->font();
        f.setPointSizeF(size.toDouble());
        w->setFont(f);
    }
}

void centreOnFirstShow(QWidget* window) {
    window->installEventFilter(new CentreOnShow(window));
}

} // namespace platform
