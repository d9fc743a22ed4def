#include "MessageBox.h"

#include "Attention.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

namespace platform {

namespace {
// How long the window system may take to put a box up and give it the focus
// before the box is taken for one the user has not seen.
constexpr int kSettleMs = 500;

// Plain text, modal for the whole program. (A message box's modality makes it
// a window anew: set first.)
void prepare(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
}
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
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        showWithoutFocus(&box);
    QTimer::singleShot(kSettleMs, &box, [&box] {
        if (!box.isActiveWindow())
            askForAttention(&box);
    });
    box.exec();
}

} // namespace platform
