#include "gui/QtUserInterface.h"

#include "gui/ModelWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace gui
{
namespace
{
// Message box bits beyond those the dialog layer spells: which button is the default.
constexpr UINT kDefaultButtonMask = 0x00000F00;
constexpr UINT kDefaultButtonShift = 8;

// A message box as the platform shows it: Escape and the close box answer only where the box has
// a Cancel button or is a single OK; Qt would let them answer No or Abort too.
class PlatformMessageBox final : public QMessageBox
{
  public:
    PlatformMessageBox(QWidget* owner, bool escapes) : QMessageBox(owner), escapes_(escapes)
    {
        setWindowFlag(Qt::WindowCloseButtonHint, escapes);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && !escapes_)
            return event->accept();
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (!escapes_)
            return event->ignore();
        QMessageBox::closeEvent(event);
    }

  private:
    bool escapes_;
};

// What a message box type (MB_...) asks of a QMessageBox: its buttons with the results they
// give, in order, the icon, the default button's position and the result of Escape (0 when
// Escape does nothing, as in a box without Cancel or a single OK).
struct MessageBoxButtons
{
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    size_t defaultButton = 0;
    int escapeResult = 0;
};

// The buttons of a message box type; an unknown button set shows OK alone.
MessageBoxButtons messageBoxButtonsOf(UINT type)
{
    using Box = QMessageBox;
    MessageBoxButtons box;
    switch (type & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        box.buttons = {{Box::Ok, IDOK}, {Box::Cancel, IDCANCEL}};
        box.escapeResult = IDCANCEL;
        break;
    case MB_ABORTRETRYIGNORE:
        box.buttons = {{Box::Abort, IDABORT}, {Box::Retry, IDRETRY}, {Box::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        box.buttons = {{Box::Yes, IDYES}, {Box::No, IDNO}, {Box::Cancel, IDCANCEL}};
        box.escapeResult = IDCANCEL;
        break;
    case MB_YESNO:
        box.buttons = {{Box::Yes, IDYES}, {Box::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        box.buttons = {{Box::Retry, IDRETRY}, {Box::Cancel, IDCANCEL}};
        box.escapeResult = IDCANCEL;
        break;
    default:
        box.buttons = {{Box::Ok, IDOK}};
        box.escapeResult = IDOK;
        break;
    }
    switch (type & MB_ICONMASK)
    {
    case MB_ICONHAND:
        box.icon = Box::Critical;
        break;
    case MB_ICONQUESTION:
        box.icon = Box::Question;
        break;
    case MB_ICONEXCLAMATION:
        box.icon = Box::Warning;
        break;
    case MB_ICONASTERISK:
        box.icon = Box::Information;
        break;
    default:
        break;
    }
    // A default beyond the last button falls back to the first, as on the platform.
    const size_t chosen = (type & kDefaultButtonMask) >> kDefaultButtonShift;
    box.defaultButton = chosen < box.buttons.size() ? chosen : 0;
    return box;
}

} // namespace

int QtUserInterface::showMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    const MessageBoxButtons layout = messageBoxButtonsOf(type);
    PlatformMessageBox box(ownerWidgetOf(owner), layout.escapeResult != 0);
    // An empty caption reads "Error", as the platform titles a box given none.
    box.setWindowTitle(*caption ? QString::fromUtf8(caption) : QStringLiteral("Error"));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text));
    box.setIcon(layout.icon);
    for (const auto& [button, result] : layout.buttons)
    {
        QPushButton* pushButton = box.addButton(button);
        if (result == layout.escapeResult)
            box.setEscapeButton(pushButton);
    }
    box.setDefaultButton(static_cast<QPushButton*>(box.button(layout.buttons[layout.defaultButton].first)));
    box.exec();
    // The box's owner is the active window again, as on the platform, whatever the window
    // system would choose.
    if (QWidget* owner = box.parentWidget())
        owner->window()->activateWindow();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const auto& [button, result] : layout.buttons)
        if (button == pressed)
            return result;
    return layout.escapeResult != 0 ? layout.escapeResult : IDCANCEL;
}

bool QtUserInterface::setWindowText(HWND, const char*)
{
    return true;
}
} // namespace gui
