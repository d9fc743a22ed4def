#include "Attention.h"

#include <QApplication>

namespace platform {

void askForAttention(QWidget* window) {
    QApplication::alert(window, 0);
}

} // namespace platform
