#include "WindowDriver.h"

#include "app/Startup.h"
#include "platform/RegionalFormat.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>

namespace holding {

QString expectedClockText(const QDateTime& t) {
    const QTime time = t.time();
    const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QString::asprintf("%02d:%02d:%02d ", h12, time.minute(), time.second()) +
           (time.hour() < 12 ? QStringLiteral("ص") : QStringLiteral("م"));
}

QString expectedDateText(const QDateTime& t) {
    const QDate d = t.date();
    return QString::asprintf("%02d/%02d/%04d", d.day(), d.month(), d.year());
}

WindowDriver::WindowDriver(const QDateTime& start) : clock_(start), beat_(clock_) {
    app::setUpApplication(*qApp);
    window_ = std::make_unique<Form1>(
        clock_, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    window_->setBeat(&beat_);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        problems << QStringLiteral("the window was not shown");
    // Showing asks the beat for a first tick right away.
    for (int i = 0; i < 100 && controls().time1->text() == u"time"; ++i)
        processEvents();
    if (controls().time1->text() != expectedClockText(clock_.now()))
        problems << QStringLiteral("no first tick on showing: %1").arg(controls().time1->text());
    armedMs_ = platform::SecondBeat::msUntilNextSecond(clock_.now().toMSecsSinceEpoch());
}

WindowDriver::~WindowDriver() = default;

void WindowDriver::processEvents() {
    QCoreApplication::processEvents();
}

void WindowDriver::wake() {
    ++wakes_;
    if (earlyEvery > 0 && wakes_ % earlyEvery == 0 && pendingStepMs_ == 0 && armedMs_ > 60) {
        // The timer comes 20 ms before the second it was aimed at.
        clock_.advanceMs(armedMs_ - 20);
        const quint64 before = beat_.beats();
        beat_.wake();
        ++earlyWakes_;
        if (beat_.beats() != before && problems.size() < 10)
            problems << QStringLiteral("an early wake at %1 delivered")
                            .arg(clock_.now().toString(Qt::ISODateWithMs));
        armedMs_ = platform::SecondBeat::msUntilNextSecond(clock_.now().toMSecsSinceEpoch());
    }
    clock_.advanceMs(armedMs_ + pendingStepMs_ + latencyMs);
    pendingStepMs_ = 0;
    beat_.wake();
    if (!beat_.isArmed() && problems.size() < 10)
        problems << QStringLiteral("the beat was not re-armed at %1")
                        .arg(clock_.now().toString(Qt::ISODateWithMs));
    // What the beat aimed at: the next second on the clock it reads.
    armedMs_ = platform::SecondBeat::msUntilNextSecond(clock_.now().toMSecsSinceEpoch());
}

QLineEdit* WindowDriver::field(int slot) const {
    switch (slot) {
    case 0:
        return controls().Text1;
    case 1:
        return controls().Text2;
    default:
        return controls().Text3;
    }
}

namespace {
template <typename F> bool waitFor(F&& done) {
    for (int i = 0; i < 1000; ++i) {
        if (done())
            return true;
        WindowDriver::processEvents();
    }
    return done();
}
} // namespace

bool WindowDriver::input() {
    const quint64 before = beat_.beats();
    QTest::keyClick(window_.get(), Qt::Key_Shift);
    return waitFor([&] { return beat_.beats() > before; });
}

QString WindowDriver::openField(QLineEdit* f) {
    QTest::mouseClick(controls().Check1, Qt::LeftButton);
    if (!waitFor([f] { return f->isEnabled(); }))
        return QStringLiteral("the field did not open when the switch was ticked");
    f->setFocus();
    f->selectAll();
    return {};
}

QString WindowDriver::closeField(QLineEdit* f) {
    QTest::mouseClick(controls().Check1, Qt::LeftButton);
    if (!waitFor([f] { return !f->isEnabled(); }))
        return QStringLiteral("the field did not close when the switch was cleared");
    return {};
}

QString WindowDriver::pasteIntoField(int slot, const QString& text) {
    QLineEdit* f = field(slot);
    if (QString why = openField(f); !why.isEmpty())
        return why;
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
    return closeField(f);
}

QString WindowDriver::typeIntoField(int slot, const QString& text) {
    QLineEdit* f = field(slot);
    if (QString why = openField(f); !why.isEmpty())
        return why;
    // One key event for each character (a surrogate pair is one character).
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, text.mid(i, n), {});
        i += n;
    }
    return closeField(f);
}

} // namespace holding
