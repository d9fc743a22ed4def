#pragma once

#include "AppTitle.h"

#include <QString>

class QWidget;

namespace platform {

// A modal message box with the text, an OK button only and no icon. Returns
// when the user has closed it.
void messageBox(QWidget* parent, const QString& text, const QString& title = applicationTitle());

// The same box for news that must reach the user wherever they are: over
// `owner`, or on its own while `owner` is minimised (a minimised window's
// boxes would be hidden with it). When the user is busy in another program it
// leaves them the keyboard and asks for their attention instead.
void alertBox(QWidget* owner, const QString& text, const QString& title = applicationTitle());

} // namespace platform
