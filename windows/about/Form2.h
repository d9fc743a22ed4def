#pragma once

// Not for moc: uic writes this header while moc runs, and what moc writes
// must not depend on which of the two was first.
#ifndef Q_MOC_RUN
#include "ui_Form2.h"
#endif

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>

// The About window: who made the program, the main window's links, and exit.
// One Form2 object for the run; its window is loaded from the layout data
// when shown, and closing it unloads it, so the next showing loads it anew.
class Form2 : public QObject {
    Q_OBJECT
public:
    // The program-wide About window object.
    static Form2& instance();

    ~Form2() override;

    // Shows the window modeless, with no owner window: loads it first (from
    // the layout data, then the load step) when it is not loaded, and centres
    // it on the screen as it first shows; when it is already shown nothing
    // changes.
    void Show();

    // The loaded window and its controls; null while not loaded.
    QWidget* window() const { return window_; }
    Ui::Form2* controls() const { return ui_.get(); }

public Q_SLOTS:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Pictuer1_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form2();
    void load();
    void unload();
    std::uint32_t hWnd() const;

    QPointer<QWidget> window_;
    std::unique_ptr<Ui::Form2> ui_;
};
