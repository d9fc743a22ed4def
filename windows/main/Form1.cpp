#include "Form1.h"

#include "clock/RefreshTick.h"
#include "components/DispatchIds.h"
#include "platform/Clock.h"
#include "platform/ErrorReport.h"
#include "platform/LayoutData.h"
#include "platform/MessageBox.h"
#include "platform/WindowHandles.h"
#include "shell/Actions.h"
#include "windows/about/Form2.h"

#include <QLayout>

Form1::Form1(const platform::Clock& clock, platform::RegionalFormat format, QWidget* parent)
    : QMainWindow(parent), clock_(clock), format_(std::move(format)), alarm_(*this) {
    ui.setupUi(this);
    platform::applyLayoutFontSizes(this);
    // The window keeps the size of its layout: the client area below the menu.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    platform::centreOnFirstShow(this);

    connect(ui.Timer1, &platform::IntervalTimer::Timer, this, &Form1::Timer1_Timer);
    connect(ui.Timer2, &platform::IntervalTimer::Timer, this, &Form1::Timer2_Timer);
    // The fields follow the switch at once, whatever changed it (a click, a
    // key, a screen reader, a program), not only at the next tick.
    connect(ui.Check1, &QCheckBox::stateChanged, this, &Form1::Timer1_Timer);
    connect(ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(ui.Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(ui.Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(ui.mnAbout, &QAction::triggered, this, &Form1::mnAbout_Click);
    connect(ui.mnExit, &QAction::triggered, this, &Form1::mnExit_Click);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::setBeat(platform::SecondBeat* beat) {
    ui.Timer1->setBeat(beat);
    ui.Timer2->setBeat(beat);
}

void Form1::Form_Load() {
    platform::runHandler([this] {
        shell::registerIcon(this);
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

void Form1::Command1_Click() {
    platform::runHandler([] { Form2::instance().Show(); });
}

void Form1::Command2_Click() {
    platform::runHandler([this] { shell::farewell(this); });
}

void Form1::Command4_Click() {
    platform::runHandler(
        [this] { shell::openLink(platform::WindowHandles::handleOf(this), shell::Site::Main); });
}

void Form1::Command5_Click() {
    platform::runHandler(
        [this] { shell::openLink(platform::WindowHandles::handleOf(this), shell::Site::Library); });
}

void Form1::Command6_Click() {
    platform::runHandler([this] {
        shell::openLink(platform::WindowHandles::handleOf(this), shell::Site::Seminary);
    });
}

void Form1::mnAbout_Click() {
    platform::runHandler([] { Form2::instance().Show(); });
}

void Form1::mnExit_Click() {
    platform::runHandler([] { shell::endAtOnce(); });
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

QString Form1::fieldText(int slot) const {
    return field(slot)->text();
}

void Form1::setFieldEnabled(int slot, bool enabled) {
    field(slot)->setEnabled(enabled);
}

platform::Dispatchable& Form1::clockLabel() {
    return *ui.time1;
}
platform::Dispatchable& Form1::dateLabel() {
    return *ui.date1;
}
platform::Dispatchable& Form1::player() {
    return *ui.RealAudio1;
}

void Form1::showMessage(const QString& text) {
    platform::alertBox(this, text);
}
