#include "gui/ModelWindow.h"

#include "platform/Menu.h"
#include "platform/PropertySheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QVBoxLayout>

namespace gui
{
namespace
{
std::map<HWND, ModelWindow*>& shownWindows()
{
    static std::map<HWND, ModelWindow*> windows;
    return windows;
}

QString fromModel(const CString& text)
{
    return QString::fromUtf8(text.GetString(), text.GetLength());
}

// The status-bar text of a command: the first line of its string resource (the second line is
// the tool tip's text on the platform).
QString statusTextOf(UINT id)
{
    const std::string text = platform::loadStringResource(id);
    return QString::fromStdString(text.substr(0, text.find('\n')));
}
} // namespace

ModelWindow::ModelWindow(CWnd& window, QWidget* parent) : QDialog(parent), top_(window.GetSafeHwnd())
{
    shownWindows()[top_] = this;
    const auto* asSheet = dynamic_cast<const CPropertySheet*>(&window);
    if (asSheet)
        kind_ = asSheet->IsWizard() ? Kind::kWizard : Kind::kSheet;
    else
        kind_ = dynamic_cast<const CPropertyPage*>(&window) ? Kind::kPage : Kind::kDialog;

    auto* layout = new QVBoxLayout(this);
    if (asSheet)
        buildSheetFrame();
    else
    {
        auto* view = new PageView(window, *this, this);
        views_[top_] = view;
        layout->addWidget(view);
        // Enter presses the dialog's OK button, as the platform's dialogs do.
        for (size_t i = 0; i < view->controlCount(); ++i)
            if (view->entryAt(i).id == IDOK)
                if (auto* ok = qobject_cast<QPushButton*>(view->widgetAt(i)))
                    ok->setDefault(true);
    }
    focusTracking_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { onFocusChanged(now); });
    sync();
    settleInitialFocus();
}

ModelWindow::~ModelWindow()
{
    // Widgets going away move Qt's focus; the model must not hear of that.
    disconnect(focusTracking_);
    shownWindows().erase(top_);
}

void ModelWindow::buildSheetFrame()
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    auto* pages = new QVBoxLayout;
    pages->setSpacing(0);
    if (kind_ == Kind::kSheet)
    {
        tabs_ = new QTabBar(this);
        tabs_->setDrawBase(false);
        tabs_->setExpanding(false);
        // Every tab in sight, as the platform's sheet shows them: the window is as wide as they are.
        tabs_->setUsesScrollButtons(false);
        connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
            if (!syncing_)
                chooseTab(index);
        });
        pages->addWidget(tabs_);
    }
    stack_ = new QStackedWidget(this);
    if (kind_ == Kind::kSheet)
        stack_->setFrameShape(QFrame::StyledPanel);
    blank_ = new QWidget(stack_);
    stack_->addWidget(blank_);
    pages->addWidget(stack_, 1);
    layout->addLayout(pages, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const auto addButton = [&](int button, const char* text) {
        auto* pushButton = new QPushButton(QString::fromLatin1(text), this);
        pushButton->setFocusPolicy(Qt::TabFocus);
        connect(pushButton, &QPushButton::clicked, this, [this, button] { pressSheetButton(button); });
        buttons_[button] = pushButton;
        row->addWidget(pushButton);
    };
    if (kind_ == Kind::kWizard)
    {
        auto* rule = new QFrame(this);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        layout->addWidget(rule);
        addButton(PSBTN_BACK, "< &Back");
        addButton(PSBTN_NEXT, "&Next >");
        addButton(PSBTN_FINISH, "Finish");
        row->addSpacing(12);
        addButton(PSBTN_CANCEL, "Cancel");
    }
    else
    {
        addButton(PSBTN_OK, "OK");
        addButton(PSBTN_CANCEL, "Cancel");
        buttons_[PSBTN_OK]->setDefault(true);
    }
    layout->addLayout(row);
}

CWnd* ModelWindow::model() const
{
    return CWnd::FromHandle(top_);
}

CPropertySheet* ModelWindow::sheet() const
{
    return dynamic_cast<CPropertySheet*>(model());
}

bool ModelWindow::isInside(const CWnd* window) const
{
    for (; window; window = window->GetParent())
        if (window->GetSafeHwnd() == top_)
            return true;
    return false;
}

bool ModelWindow::ended() const
{
    if (failure_)
        return true;
    CWnd* top = model();
    if (!top)
        return true;
    if (const auto* asSheet = dynamic_cast<const CPropertySheet*>(top))
        return asSheet->isEnded();
    if (kind_ == Kind::kPage)
        return false;
    const auto* dialog = dynamic_cast<const CDialog*>(top);
    return dialog && dialog->isEnded();
}

ModelWindow* ModelWindow::showing(HWND window)
{
    for (const CWnd* at = CWnd::FromHandle(window); at; at = at->GetParent())
    {
        const auto found = shownWindows().find(at->GetSafeHwnd());
        if (found != shownWindows().end())
            return found->second;
    }
    return nullptr;
}

PageView* ModelWindow::activeView() const
{
    if (const CPropertySheet* asSheet = sheet())
    {
        const CPropertyPage* page = asSheet->GetActivePage();
        const auto found = page ? views_.find(page->GetSafeHwnd()) : views_.end();
        return found == views_.end() ? nullptr : found->second;
    }
    const auto found = views_.find(top_);
    return found == views_.end() ? nullptr : found->second;
}

QTabBar* ModelWindow::tabBar() const
{
    return tabs_;
}

QMenuBar* ModelWindow::shownMenuBar() const
{
    return menuShown_ ? menuBar_ : nullptr;
}

QPushButton* ModelWindow::sheetButton(int button) const
{
    const auto found = buttons_.find(button);
    return found == buttons_.end() ? nullptr : found->second;
}

void ModelWindow::runUntilEnded()
{
    if (!ended())
    {
        looping_ = true;
        exec();
        looping_ = false;
    }
    if (failure_)
        std::rethrow_exception(failure_);
}

QWidget* ownerWidgetOf(HWND owner)
{
    if (ModelWindow* window = ModelWindow::showing(owner))
        return window;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// --- The user's actions -----------------------------------------------------------------------

void ModelWindow::perform(const std::function<void()>& action)
{
    ++acting_;
    try
    {
        action();
    }
    catch (...)
    {
        // Qt cannot carry an exception through its event loop: it ends the window instead, and
        // runUntilEnded hands it on.
        if (!failure_)
            failure_ = std::current_exception();
    }
    --acting_;
    if (acting_ == 0)
        sync();
}

void ModelWindow::controlAction(HWND control, const std::function<void(CWnd&)>& action)
{
    perform([&] {
        CWnd* target = CWnd::FromHandle(control);
        if (!target || ended())
            return;
        if (CWnd::GetFocus() != target)
        {
            target->SetFocus();
            target = CWnd::FromHandle(control);
            if (!target || CWnd::GetFocus() != target)
                return;
        }
        action(*target);
    });
}

// A click on a tab or on one of the sheet's buttons takes the focus to it on the platform, so the
// box being left checks its value first; the model has no window for those, so the sheet itself
// takes the focus. False when the box kept it.
bool ModelWindow::leaveControls()
{
    CWnd* top = model();
    const CWnd* focus = CWnd::GetFocus();
    if (!top || !focus || focus == top || !isInside(focus))
        return top != nullptr;
    top->SetFocus();
    return model() && CWnd::GetFocus() == model();
}

void ModelWindow::pressSheetButton(int button)
{
    perform([&] {
        CPropertySheet* asSheet = sheet();
        if (!asSheet || ended())
            return;
        // Cancel does not wait for the box being left: a value that fails its check must not
        // keep the user from giving up.
        if (button != PSBTN_CANCEL && !leaveControls())
            return;
        if ((asSheet = sheet()) != nullptr)
            asSheet->PressButton(button);
    });
}

void ModelWindow::chooseTab(int index)
{
    perform([&] {
        if (!sheet() || ended() || !leaveControls())
            return;
        if (CPropertySheet* asSheet = sheet())
            asSheet->SetActivePage(index);
    });
}

void ModelWindow::cancel()
{
    perform([&] {
        CWnd* top = model();
        if (!top || ended())
            return;
        if (CPropertySheet* asSheet = sheet())
            asSheet->PressButton(PSBTN_CANCEL);
        else if (kind_ == Kind::kDialog)
            top->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
}

void ModelWindow::menuCommand(UINT id)
{
    perform([&] {
        CWnd* top = model();
        if (top && !ended())
            top->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    });
}

void ModelWindow::onFocusChanged(QWidget* now)
{
    if (acting_ || syncing_ || !now || now->window() != this || ended())
        return;
    HWND target = top_;
    for (const auto& [handle, view] : views_)
        if (const HWND control = view->controlOf(now))
            target = control;
    perform([&] {
        CWnd* window = CWnd::FromHandle(target);
        if (window && CWnd::GetFocus() != window)
            window->SetFocus();
    });
}

void ModelWindow::settleInitialFocus()
{
    if (ended() || isInside(CWnd::GetFocus()))
        return;
    const PageView* view = activeView();
    const HWND first = view ? view->controlOf(view->firstFocusable()) : nullptr;
    if (first)
        perform([&] {
            if (CWnd* control = CWnd::FromHandle(first))
                control->SetFocus();
        });
}

bool ModelWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip && statusBar_)
    {
        statusBar_->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void ModelWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (kind_ == Kind::kPage)
        return;
    // The window's close box: the window hears WM_CLOSE; what the platform's own handling then
    // does, ending the dialog or sheet as cancelled, follows unless the window ended itself.
    perform([&] {
        if (CWnd* top = model(); top && !ended())
            top->SendMessage(WM_CLOSE);
    });
    if (!ended())
        cancel();
}

void ModelWindow::reject()
{
    cancel();
}

void ModelWindow::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Tab and Ctrl+Shift+Tab move between the tabs of a sheet.
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (tabs_ && control && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab))
    {
        const int count = tabs_->count();
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        if (count > 0)
            chooseTab((tabs_->currentIndex() + (back ? count - 1 : 1)) % count);
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- Showing the model ------------------------------------------------------------------------

void ModelWindow::sync()
{
    if (syncing_)
        return;
    syncing_ = true;
    if (!ended())
    {
        syncTitle();
        syncMenu();
        syncPages();
        syncButtons();
        for (const auto& [handle, view] : views_)
            view->sync();
        syncFocus();
    }
    syncing_ = false;
    if (ended())
        finish();
}

void ModelWindow::finish()
{
    if (looping_ && isVisible())
        done(QDialog::Accepted);
}

void ModelWindow::syncTitle()
{
    CString title;
    model()->GetWindowText(title);
    // A wizard shows the caption of its current page in the title bar, not the sheet's.
    if (kind_ == Kind::kWizard)
        if (const CPropertyPage* page = sheet()->GetActivePage(); page && !page->caption().IsEmpty())
            title = page->caption();
    // "[*]" is Qt's mark for a modified document; doubled, it shows as written.
    const QString shown = fromModel(title).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (windowTitle() != shown)
        setWindowTitle(shown);
}

void ModelWindow::syncMenu()
{
    const CMenu* menu = model()->GetMenu();
    const HMENU handle = menu ? menu->GetSafeHmenu() : nullptr;
    if (handle == menuShown_)
        return;
    menuShown_ = handle;
    // A command may take the menu away while its action is still being delivered, so the old bar
    // goes once control is back in the event loop.
    if (menuBar_)
    {
        menuBar_->hide();
        menuBar_->deleteLater();
        menuBar_ = nullptr;
    }
    const platform::MenuTemplate* items = menu ? menu->menuTemplate() : nullptr;
    if (statusBar_)
        statusBar_->setVisible(items != nullptr);
    if (!items)
    {
        menuShown_ = nullptr;
        return;
    }
    menuBar_ = new QMenuBar(this);
    layout()->setMenuBar(menuBar_);
    if (!statusBar_)
    {
        statusBar_ = new QStatusBar(this);
        statusBar_->setSizeGripEnabled(false);
        layout()->addWidget(statusBar_);
    }
    const auto commandOf = [this](const platform::MenuItem& item, QWidget& owner) {
        // The label keeps its "\t" and shortcut text: a menu shows it in the shortcut column, and
        // no key is bound, as the menu resource binds none.
        auto* action = new QAction(QString::fromStdString(item.label), &owner);
        action->setStatusTip(statusTextOf(item.id));
        const UINT id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { menuCommand(id); });
        return action;
    };
    const std::function<void(QMenu&, const std::vector<platform::MenuItem>&)> fill =
        [&](QMenu& into, const std::vector<platform::MenuItem>& popup) {
            for (const platform::MenuItem& item : popup)
                if (item.separator)
                    into.addSeparator();
                else if (!item.popup.empty())
                    fill(*into.addMenu(QString::fromStdString(item.label)), item.popup);
                else
                    into.addAction(commandOf(item, into));
        };
    for (const platform::MenuItem& item : items->items)
        if (item.separator)
            menuBar_->addSeparator();
        else if (!item.popup.empty())
            fill(*menuBar_->addMenu(QString::fromStdString(item.label)), item.popup);
        else
            menuBar_->addAction(commandOf(item, *menuBar_));
    statusBar_->show();
}

void ModelWindow::syncPages()
{
    CPropertySheet* asSheet = sheet();
    if (!asSheet)
        return;
    std::vector<std::pair<CPropertyPage*, QString>> wanted;
    for (int i = 0; i < asSheet->GetPageCount(); ++i)
        wanted.emplace_back(asSheet->GetPage(i), fromModel(asSheet->GetPage(i)->caption()));
    bool viewsChanged = false;
    if (wanted != tabList_)
    {
        tabList_ = wanted;
        if (tabs_)
        {
            while (tabs_->count() > 0)
                tabs_->removeTab(tabs_->count() - 1);
            for (const auto& [page, caption] : tabList_)
                tabs_->addTab(caption);
        }
        fitLargestPage();
    }
    for (auto at = views_.begin(); at != views_.end();)
        if (!CWnd::FromHandle(at->first))
        {
            // The view may be the sender of the signal being handled; it goes once control is
            // back in the event loop.
            stack_->removeWidget(at->second);
            at->second->hide();
            at->second->deleteLater();
            at = views_.erase(at);
            viewsChanged = true;
        }
        else
            ++at;
    for (const auto& [page, caption] : tabList_)
        if (const HWND handle = page->GetSafeHwnd(); handle && !views_.count(handle))
        {
            auto* view = new PageView(*page, *this, stack_);
            views_[handle] = view;
            stack_->addWidget(view);
            viewsChanged = true;
        }
    if (viewsChanged)
        orderTabs();
    PageView* active = activeView();
    stack_->setCurrentWidget(active ? static_cast<QWidget*>(active) : blank_);
    if (tabs_)
        tabs_->setCurrentIndex(asSheet->GetActiveIndex());
}

// The platform sizes a sheet for its largest page, created or not; a template-only view of each
// page measures it.
void ModelWindow::fitLargestPage()
{
    QSize largest;
    for (const auto& [page, caption] : tabList_)
        if (const platform::DialogTemplate* layout = page->dialogTemplate())
        {
            const PageView measured(*layout);
            largest = largest.expandedTo(measured.sizeHint());
        }
    const int frame = 2 * stack_->frameWidth();
    stack_->setMinimumSize(largest + QSize(frame, frame));
}

// Tab moves from the tabs through the page's controls to the sheet's buttons, as on the platform;
// the views of hidden pages are skipped by Qt.
void ModelWindow::orderTabs()
{
    std::vector<QWidget*> chain;
    if (tabs_)
        chain.push_back(tabs_);
    for (int i = 0; i < stack_->count(); ++i)
        if (const auto* view = dynamic_cast<const PageView*>(stack_->widget(i)))
            for (size_t c = 0; c < view->controlCount(); ++c)
                if (view->widgetAt(c)->focusPolicy() & Qt::TabFocus)
                    chain.push_back(view->widgetAt(c));
    for (const int button : {PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_OK, PSBTN_CANCEL})
        if (QPushButton* pushButton = sheetButton(button))
            chain.push_back(pushButton);
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void ModelWindow::syncButtons()
{
    const CPropertySheet* asSheet = sheet();
    if (!asSheet)
        return;
    for (const auto& [button, pushButton] : buttons_)
        pushButton->setEnabled(asSheet->isButtonEnabled(button));
    if (kind_ != Kind::kWizard)
        return;
    // Finish takes the place of Next when it is offered, enabled or not.
    const bool finishShown = (asSheet->wizardButtons() & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
    buttons_[PSBTN_NEXT]->setVisible(!finishShown);
    buttons_[PSBTN_FINISH]->setVisible(finishShown);
    buttons_[finishShown ? PSBTN_FINISH : PSBTN_NEXT]->setDefault(true);
    buttons_[finishShown ? PSBTN_NEXT : PSBTN_FINISH]->setDefault(false);
}

void ModelWindow::syncFocus()
{
    const CWnd* focus = CWnd::GetFocus();
    if (!focus || !isInside(focus))
        return;
    QWidget* target = nullptr;
    if (focus->GetSafeHwnd() == top_)
    {
        // The sheet itself has the focus: a tab, a button of the sheet or the tab bar in Qt. Only a
        // control still holding Qt's focus is moved off.
        const QWidget* current = focusWidget();
        for (const auto& [handle, view] : views_)
            if (current && view->controlOf(current))
                current = nullptr;
        if (current)
            return;
        target = tabs_ ? static_cast<QWidget*>(tabs_)
                       : sheetButton(sheet() && (sheet()->wizardButtons() & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH))
                                         ? PSBTN_FINISH
                                         : PSBTN_NEXT);
    }
    for (const auto& [handle, view] : views_)
        if (QWidget* widget = view->widgetOf(focus->GetSafeHwnd()))
            target = widget;
    if (target && target->isEnabled() && target->isVisibleTo(this) && focusWidget() != target)
        target->setFocus(Qt::OtherFocusReason);
}
} // namespace gui
