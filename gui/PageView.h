// The Qt widgets of one dialog or property page, bound to the window's controls in the dialog
// layer. The controls are the truth: the widgets show their state after every sync, and what the
// user does to a widget goes to its control as the platform would deliver it.
#pragma once

#include "gui/ControlLayout.h"
#include "platform/Dialog.h"

#include <QWidget>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;

namespace gui
{
/// Where the user's actions on the widgets go: the owner of the whole window, which moves the
/// focus, runs the action on the control and then syncs every widget of the window.
class ActionSink
{
  public:
    virtual ~ActionSink();
    /// The user acted on control (a click, typing, a choice): the control gets the focus first,
    /// as a click or a mnemonic gives it on the platform, and the action runs unless the focus
    /// was refused (a box that failed its check took it back) or the control has gone.
    virtual void controlAction(HWND control, const std::function<void(CWnd&)>& action) = 0;
};

/// The widgets of one dialog window, laid out by planLayout, in the template's tab order.
class PageView : public QWidget
{
  public:
    /// Widgets for the controls of dialog's window, bound to them by handle (a control that goes
    /// away leaves its widget disabled). The user's actions go to sink.
    PageView(const CWnd& dialog, ActionSink& sink, QWidget* parent = nullptr);
    /// Widgets for a template with no window behind them, showing the template's labels; used to
    /// measure a page that has not been created yet.
    explicit PageView(const platform::DialogTemplate& layout, QWidget* parent = nullptr);
    ~PageView() override;
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;

    /// The handle of the window shown; null for a template-only view.
    HWND dialogHandle() const;
    /// Shows the state of every control: text, enabled, check, list items and selection.
    void sync();

    /// The number of controls (the template's, in tab order).
    size_t controlCount() const;
    /// The template entry of control index.
    const platform::DialogControl& entryAt(size_t index) const;
    /// The widget of control index (a label, field, button or group box).
    QWidget* widgetAt(size_t index) const;
    /// The label shown before a field that carries its own label; null for other controls.
    QLabel* ownLabelAt(size_t index) const;
    /// The widget of a control handle; null when it is not one of this view's.
    QWidget* widgetOf(HWND control) const;
    /// The control handle of a widget of this view (or of a widget inside it); null when none.
    HWND controlOf(const QWidget* widget) const;
    /// The first widget in tab order that can take the focus now; null when none can.
    QWidget* firstFocusable() const;

  private:
    struct Bound;
    void build(const std::vector<platform::DialogControl>& controls, const std::vector<CWnd*>& windows);
    void buildBox(int box, const LayoutPlan& plan, QGridLayout& grid);
    QWidget* makeWidget(size_t index);
    void connectActions(size_t index);
    void syncControl(size_t index);

    HWND dialog_ = nullptr;
    ActionSink* sink_ = nullptr;
    std::vector<Bound> bound_;
};
} // namespace gui
