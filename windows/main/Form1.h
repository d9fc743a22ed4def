#pragma once

#include "clock/AlarmCheck.h"
#include "clock/ClockView.h"
#include "platform/RegionalFormat.h"

// Not for moc: uic writes this header while moc runs, and what moc writes
// must not depend on which of the two was first.
#ifndef Q_MOC_RUN
#include "ui_Form1.h"
#endif

#include <QMainWindow>

namespace platform {
class Clock;
class SecondBeat;
} // namespace platform

// The main window: the clock, the three prayer times and their editing
// switch, the player, and the buttons and menu.
class Form1 : public QMainWindow, private prayer::ClockView {
    Q_OBJECT
public:
    // `clock` is where the window reads the time; `format` the regional forms.
    explicit Form1(const platform::Clock& clock, platform::RegionalFormat format,
                   QWidget* parent = nullptr);
    ~Form1() override;

    // The window's controls, as its layout data made them.
    const Ui::Form1& controls() const { return ui; }
    Ui::Form1& controls() { return ui; }

    // Drive the timers from another beat (tests run one on a clock of their own).
    void setBeat(platform::SecondBeat* beat);

public Q_SLOTS:
    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void mnAbout_Click();
    void mnExit_Click();

private:
    // What the clock logic sees of this window.
    int switchValue() const override;
    QString fieldText(int slot) const override;
    void setFieldEnabled(int slot, bool enabled) override;
    platform::Dispatchable& clockLabel() override;
    platform::Dispatchable& dateLabel() override;
    platform::Dispatchable& player() override;
    void showMessage(const QString& text) override;

    QLineEdit* field(int slot) const;

    Ui::Form1 ui;
    const platform::Clock& clock_;
    platform::RegionalFormat format_;
    prayer::AlarmCheck alarm_;
};
