#include "MessageBox.h"

#include "Attention.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace platform {

namespace {
// How long the window system may take, once a box is up, to give it the focus
// (or to try to) before the box is taken for one the user has not seen.
constexpr int kSettleMs = 500;

// Plain text, modal for the whole program. (A message box's modality makes it
// a window anew: set first.)
void prepare(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
}

// A moment after a box is first exposed, which comes after the window system
// was asked to activate it: a box that came up taking no focus takes it again
// for whenever the user comes to it, and asks for the user's attention unless
// it is where the user is.
class OnceUp : public QObject {
public:
    explicit OnceUp(QWidget* box) : QObject(box), box_(box) {
        box->windowHandle()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Expose || !box_->windowHandle()->isExposed())
            return false;
        box_->windowHandle()->removeEventFilter(this);
        QTimer::singleShot(kSettleMs, this, [this] {
            box_->overrideWindowFlags(box_->windowFlags() & ~Qt::WindowDoesNotAcceptFocus);
            box_->windowHandle()->setFlags(box_->windowFlags());
            askForAttention(box_);
        });
        return false;
    }

private:
    QWidget* box_;
};
} // namespace

void messageBox(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    prepare(box);
    box.exec();
}

void alertBox(QWidget* owner, const QString& text, const QString& title) {
    const bool ownerShown = owner && owner->isVisible() && !owner->isMinimized();
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                    ownerShown ? owner : nullptr);
    prepare(box);
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
        // The user is busy in another program: the box comes up without
        // taking the keyboard from it. Qt itself asks the window manager to
        // activate a modal window once it is mapped (X11), and a window
        // manager gives the focus to a new window it knows nothing about
        // (Wine's); a window that takes no focus is raised instead.
        box.setAttribute(Qt::WA_ShowWithoutActivating);
        box.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    }
    box.winId();
    new OnceUp(&box);
    box.exec();
}

} // namespace platform
