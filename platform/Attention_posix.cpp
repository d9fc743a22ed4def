#include "Attention.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {
// Lets a window that was shown taking no focus take it again once it is up:
// at its first expose, which comes after Qt's request to activate it.
class FocusOnceUp : public QObject {
public:
    explicit FocusOnceUp(QWidget* window) : QObject(window), window_(window) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_->windowHandle()->isExposed()) {
            window_->overrideWindowFlags(window_->windowFlags() & ~Qt::WindowDoesNotAcceptFocus);
            window_->windowHandle()->setFlags(window_->windowFlags());
            window_->windowHandle()->removeEventFilter(this);
        }
        return false;
    }

private:
    QWidget* window_;
};
} // namespace

void showWithoutFocus(QWidget* window) {
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    // Qt asks the window manager to activate a modal window once it is mapped,
    // with its latest time stamp, and a window manager that guards the focus
    // takes that for the user's own request. A window that takes no focus is
    // raised instead; it takes the focus again for when the user comes to it.
    window->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    window->winId();
    window->windowHandle()->installEventFilter(new FocusOnceUp(window));
}

void askForAttention(QWidget* window) {
    QApplication::alert(window, 0);
}

} // namespace platform
