#pragma once

#include "AppTitle.h"

#include <QString>

class QWidget;

namespace platform {

// A modal message box with the text, an OK button only and no icon. Returns
// when the user has closed it.
void messageBox(QWidget* parent, const QString& text, const QString& title = applicationTitle());

} // namespace platform
