// The notification-area icon on a real X display: the main window puts it up
// at load; with no tray host the program runs on without a word; when a host
// (Debian's trayer) starts, the icon docks by itself, shows the program's
// name as its tooltip, and clicks on it do nothing.

#include "ShellTestSupport.h"
#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "platform/WindowHandles.h"
#include "shell/Shell.h"
#include "tests/support/TestSupport.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolTip>

#include <memory>

using namespace testing;

namespace {

// The xwininfo tree as (depth, line) pairs: a child's line is indented
// deeper than its parent's.
struct TreeLine {
    int depth;
    QString text;
};

QList<TreeLine> windowTree() {
    const QString out = QString::fromUtf8(
        runTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}));
    QList<TreeLine> lines;
    for (const QString& l : out.split(QLatin1Char('\n'))) {
        const qsizetype indent = l.size() - l.trimmed().size();
        if (l.trimmed().startsWith(QLatin1String("0x")))
            lines.append({int(indent), l.trimmed()});
    }
    return lines;
}

// Where a 22x22 window of this process sits inside trayer's panel, on the
// screen; an empty rectangle when there is none.
QRect dockedInPanel(const QString& instance) {
    const QList<TreeLine> tree = windowTree();
    const QString ours = QStringLiteral("(\"%1\" ").arg(instance);
    static const QRegularExpression absolute(
        QStringLiteral(" 22x22\\+-?\\d+\\+-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)$"));
    for (qsizetype i = 0; i < tree.size(); ++i) {
        const QRegularExpressionMatch m = absolute.match(tree[i].text);
        if (!tree[i].text.contains(ours) || !m.hasMatch())
            continue;
        int depth = tree[i].depth;
        for (qsizetype j = i - 1; j >= 0; --j) {
            if (tree[j].depth >= depth)
                continue;
            depth = tree[j].depth;
            if (tree[j].text.contains(QLatin1String("(\"panel\" \"trayer\")")))
                return QRect(m.captured(1).toInt(), m.captured(2).toInt(), 22, 22);
        }
    }
    return {};
}

// The class instance of this process's windows: the program file's name.
QString instance() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

// The windows on the screen, the tooltip aside, by class and name.
QStringList visibleWindows() {
    QStringList list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->inherits("QTipLabel"))
            list.append(QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('/') +
                        w->objectName());
    list.sort();
    return list;
}

} // namespace

class TrayDockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void runsOnWithoutHostThenDocks();

private:
    QProcess trayer_;
};

void TrayDockTest::initTestCase() {
    app::setUpApplication(*qApp);
    QVERIFY2(!QSystemTrayIcon::isSystemTrayAvailable(),
             "a tray host is already running on this display; the test needs one without");
}

void TrayDockTest::cleanupTestCase() {
    if (trayer_.state() != QProcess::NotRunning) {
        trayer_.terminate();
        trayer_.waitForFinished(5000);
    }
}

void TrayDockTest::runsOnWithoutHostThenDocks() {
    // Not a word on the console, now or later.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    FakeClock clock;
    auto window = std::make_unique<Form1>(
        clock, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    // The load sequence put the icon up for the main window, id 1.
    QSystemTrayIcon* icon = shell::addedIcon(platform::WindowHandles::handleOf(window.get()), 1);
    QVERIFY(icon);
    QVERIFY(icon->isVisible());
    QCOMPARE(icon->toolTip(), QStringLiteral("نيسمور"));

    // No host: no tray, nothing docked, and the window goes on working.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(icon->geometry().isEmpty());
    QVERIFY(dockedInPanel(instance()).isEmpty());
    window->controls().Check1->click();
    QVERIFY(window->controls().Check1->isChecked());

    // A host appears: the icon docks by itself.
    trayer_.start(QStringLiteral("trayer"),
                  {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                   QStringLiteral("right"), QStringLiteral("--widthtype"),
                   QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("24")});
    QVERIFY2(trayer_.waitForStarted(5000), qPrintable(trayer_.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    // Docked once the server shows it in the panel where the icon says it
    // is, twice running: the panel settles its size after taking the icon.
    QRect docked, last;
    const auto settled = [&] {
        last = docked;
        docked = dockedInPanel(instance());
        return !docked.isEmpty() && docked == last && icon->geometry() == docked;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 10000);
    QCOMPARE(icon->geometry().size(), QSize(22, 22));

    // The tooltip is the name, nothing after it.
    const QPoint centre = docked.center();
    moveMouse(centre + QPoint(0, 60)); // away first, then onto the icon
    moveMouse(centre);
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
    QCOMPARE(QToolTip::text(), QStringLiteral("نيسمور"));

    // Clicks, a double click and a right click reach the icon and do nothing.
    const QStringList before = visibleWindows();
    QWidget* const activeBefore = QApplication::activeWindow();
    QSignalSpy activated(icon, &QSystemTrayIcon::activated);
    clickAt(centre, 1, 1);
    clickAt(centre, 1, 2);
    clickAt(centre, 3, 1);
    const auto seen = [&activated](QSystemTrayIcon::ActivationReason r) {
        for (const QList<QVariant>& args : activated)
            if (args.value(0).value<QSystemTrayIcon::ActivationReason>() == r)
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(seen(QSystemTrayIcon::DoubleClick) && seen(QSystemTrayIcon::Context),
                             5000);
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(visibleWindows(), before);
    QCOMPARE(QApplication::activeWindow(), activeBefore);
    QVERIFY(window->isVisible());
}

QTEST_MAIN(TrayDockTest)
#include "tst_tray_dock.moc"
