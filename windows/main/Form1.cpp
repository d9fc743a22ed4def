#include "Form1.h"

#include "clock/RefreshTick.h"
#include "components/DispatchIds.h"
#include "platform/Clock.h"
#include "platform/ErrorReport.h"
#include "platform/LayoutData.h"
#include "platform/MessageBox.h"
#include "platform/WindowHandles.h"

#include <QLayout>
#include <QScreen>

Form1::Form1(const platform::Clock& clock, platform::RegionalFormat format, QWidget* parent)
    : QMainWindow(parent), clock_(clock), format_(std::move(format)), alarm_(*this) {
    ui.setupUi(this);
    platform::applyLayoutFontSizes(this);
    // The window keeps the size of its layout: the client area below the menu.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(ui.Timer1, &platform::IntervalTimer::Timer, this, &Form1::Timer1_Timer);
    connect(ui.Timer2, &platform::IntervalTimer::Timer, this, &Form1::Timer2_Timer);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::setBeat(platform::SecondBeat* beat) {
    ui.Timer1->setBeat(beat);
    ui.Timer2->setBeat(beat);
}

void Form1::Form_Load() {
    platform::runHandler([this] {
        // The notification-area icon is registered here, before the skin.
        platform::callMethod(*ui.Skin1, dispid::kSkinApply,
                             {QVariant::fromValue(platform::WindowHandles::handleOf(this))});
    });
}

void Form1::Timer1_Timer() {
    platform::runHandler([this] { prayer::refreshTick(*this, clock_, format_); });
}

void Form1::Timer2_Timer() {
    platform::runHandler([this] { alarm_.run(); });
}

void Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

QLineEdit* Form1::field(int slot) const {
    switch (slot) {
    case 0:
        return ui.Text1;
    case 1:
        return ui.Text2;
    default:
        return ui.Text3;
    }
}

int Form1::switchValue() const {
    switch (ui.Check1->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

QString Form1::fieldText(int slot) const { return field(slot)->text(); }

void Form1::setFieldEnabled(int slot, bool enabled) { field(slot)->setEnabled(enabled); }

platform::Dispatchable& Form1::clockLabel() { return *ui.time1; }
platform::Dispatchable& Form1::dateLabel() { return *ui.date1; }
platform::Dispatchable& Form1::player() { return *ui.RealAudio1; }

void Form1::showMessage(const QString& text) { platform::messageBox(this, text); }
