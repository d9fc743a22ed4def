#pragma once

#include <QString>

class QWidget;

namespace platform {

// The application title, used where a message gives none.
QString applicationTitle();

// A modal message box with the text, an OK button only and no icon. Returns
// when the user has closed it.
void messageBox(QWidget* parent, const QString& text, const QString& title = applicationTitle());

} // namespace platform
