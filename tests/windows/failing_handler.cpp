// Runs one handler whose component call is refused, the way the program's
// handlers run, and answers the error box when it appears (printing what it
// showed), so a test can see the whole report from outside.

#include "components/SkinnedLabel.h"
#include "platform/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Project1"));
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("box title: %s\nbox text: %s\nbox icon: %d\n",
                        qPrintable(box->windowTitle()), qPrintable(box->text()),
                        static_cast<int>(box->icon()));
            std::fflush(stdout);
            box->accept();
        }
    });
    answer.start(5);
    SkinnedLabel label;
    QTimer::singleShot(0, [&] {
        platform::runHandler([&] {
            // The label has no method 7: the call is refused.
            platform::callMethod(label, 7);
        });
        std::printf("handler returned\n");
    });
    return QApplication::exec();
}
