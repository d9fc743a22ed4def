#include "LayoutData.h"

#include <QWidget>

namespace platform {

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

} // namespace platform
