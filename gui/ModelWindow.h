// A top-level window of the dialog layer as a Qt dialog: a property sheet with tabs, a wizard with
// Back, Next and Finish, a dialog, or one page on its own. The dialog layer has no change
// notifications, so after every action of the user the window walks the model and shows it again.
#pragma once

#include "gui/PageView.h"

#include <QDialog>
#include <exception>
#include <map>
#include <utility>
#include <vector>

class CPropertyPage;
class CPropertySheet;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTabBar;

namespace gui
{
/// Shows one window of the dialog layer and forwards the user's actions to it: typing, focus
/// moves (so a box that is left checks its value), clicks, list choices, tab changes (which the
/// sheet may refuse), the wizard's and the sheet's buttons and menu commands. The window object
/// must outlive the Qt window; its controls, pages and menu may come and go.
class ModelWindow : public QDialog, public ActionSink
{
  public:
    /// Builds the Qt window for window (which must have its window created): a CPropertySheet as a
    /// tabbed sheet or a wizard, a page on its own, any other window as a dialog. When the model's
    /// focus is outside the window, the first control that can take it gets it, as on the
    /// platform when a dialog opens.
    explicit ModelWindow(CWnd& window, QWidget* parent = nullptr);
    ~ModelWindow() override;
    ModelWindow(const ModelWindow&) = delete;
    ModelWindow& operator=(const ModelWindow&) = delete;

    /// Shows the window modally and runs a Qt event loop until the model's dialog or sheet ends or
    /// its window is destroyed. Rethrows what an action of the model threw (the dialog layer turns
    /// it into the dialog's failure result).
    void runUntilEnded();
    /// True once the model's dialog or sheet has ended, its window has gone, or an action threw.
    bool ended() const;
    /// Shows the model's current state in every widget: title, menu, tabs and pages, the sheet's
    /// buttons, each control, and the focus.
    void sync();

    /// The view of the active page (of the dialog itself when it is not a sheet); null when none.
    PageView* activeView() const;
    /// The tab bar of a tabbed sheet; null for wizards and dialogs.
    QTabBar* tabBar() const;
    /// The menu bar while the window has a menu; null otherwise.
    QMenuBar* shownMenuBar() const;
    /// The sheet's button for PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_OK or PSBTN_CANCEL; null
    /// when the window has no such button.
    QPushButton* sheetButton(int button) const;

    /// The Qt window that shows the model window window or one of its parents; null when none.
    static ModelWindow* showing(HWND window);

    void controlAction(HWND control, const std::function<void(CWnd&)>& action) override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    enum class Kind
    {
        kSheet,
        kWizard,
        kDialog,
        kPage,
    };

    CWnd* model() const;
    CPropertySheet* sheet() const;
    bool isInside(const CWnd* window) const;
    void perform(const std::function<void()>& action);
    bool leaveControls();
    void pressSheetButton(int button);
    void chooseTab(int index);
    void cancel();
    void menuCommand(UINT id);
    void onFocusChanged(QWidget* now);
    void settleInitialFocus();
    void buildSheetFrame();
    void syncTitle();
    void syncMenu();
    void syncPages();
    void syncButtons();
    void syncFocus();
    void orderTabs();
    void fitLargestPage();
    void finish();

    HWND top_;
    Kind kind_;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QWidget* blank_ = nullptr;
    std::map<HWND, PageView*> views_;
    std::vector<std::pair<CPropertyPage*, QString>> tabList_;
    QMenuBar* menuBar_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    HMENU menuShown_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    int acting_ = 0;
    bool syncing_ = false;
    bool looping_ = false;
    std::exception_ptr failure_;
    QMetaObject::Connection focusTracking_;
};

/// The Qt window to own a box or dialog for the model window owner: the window showing it, else
/// the active modal or active window; null when there is none.
QWidget* ownerWidgetOf(HWND owner);
} // namespace gui
