#include "Form2.h"

#include "components/DispatchIds.h"
#include "platform/ErrorReport.h"
#include "platform/LayoutData.h"
#include "platform/WindowHandles.h"
#include "shell/Actions.h"

#include <QMouseEvent>

Form2& Form2::instance() {
    // Made once, kept for the rest of the run.
    static Form2* const object = new Form2;
    return *object;
}

Form2::Form2() = default;

Form2::~Form2() = default;

void Form2::Show() {
    if (!window_)
        load();
    window_->show();
}

void Form2::load() {
    // Controls from the layout data; a skin definition that cannot be read
    // is a run-time error here, and the half-made window goes.
    auto window = std::make_unique<QWidget>();
    auto controls = std::make_unique<Ui::Form2>();
    controls->setupUi(window.get());
    platform::applyLayoutFontSizes(window.get());
    platform::centreOnFirstShow(window.get());

    connect(controls->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(controls->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(controls->Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(controls->Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    // The picture is a label: its clicks are caught on their way to it.
    controls->Pictuer1->installEventFilter(this);
    window->installEventFilter(this);

    window_ = window.release();
    ui_ = std::move(controls);
    Form_Load();
}

void Form2::unload() {
    // The closed window goes once the event that closed it is done; from now
    // on the object holds no window, and the next showing loads a new one.
    if (window_) {
        window_->removeEventFilter(this);
        window_->deleteLater();
    }
    window_ = nullptr;
    ui_.reset();
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (window_ && watched == window_ && event->type() == QEvent::Close) {
        // Closing from the frame closes the window and nothing else.
        unload();
        return false;
    }
    if (ui_ && watched == ui_->Pictuer1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton &&
            ui_->Pictuer1->rect().contains(e->position().toPoint()))
            Pictuer1_Click();
    }
    return QObject::eventFilter(watched, event);
}

std::uint32_t Form2::hWnd() const {
    return platform::WindowHandles::handleOf(window_);
}

void Form2::Form_Load() {
    if (!ui_)
        return;
    platform::runHandler([this] {
        platform::callMethod(*ui_->Skin1, dispid::kSkinApply, {QVariant::fromValue(hWnd())});
    });
}

void Form2::Command1_Click() {
    platform::runHandler([this] { shell::openLink(hWnd(), shell::Site::Main); });
}

void Form2::Command2_Click() {
    platform::runHandler([this] { shell::openLink(hWnd(), shell::Site::Seminary); });
}

void Form2::Command3_Click() {
    platform::runHandler([this] { shell::openLink(hWnd(), shell::Site::Library); });
}

void Form2::Command4_Click() {
    platform::runHandler([this] { shell::farewell(window_); });
}

void Form2::Pictuer1_Click() {
    platform::runHandler([this] { shell::openLink(hWnd(), shell::Site::Main); });
}
