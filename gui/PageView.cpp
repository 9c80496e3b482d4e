#include "gui/PageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>

namespace gui
{
namespace
{
using platform::ControlKind;

QString fromModel(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The images of the icon resources the templates name. They are ours to choose; each suggests
// its step of the run, and an unknown name still shows an image rather than its name.
QStyle::StandardPixmap iconFor(const std::string& name)
{
    static const struct
    {
        const char* word;
        QStyle::StandardPixmap pixmap;
    } icons[] = {
        {"ACQUIRE", QStyle::SP_MediaPlay},
        {"PROCESS", QStyle::SP_BrowserReload},
        {"QUANTIFY", QStyle::SP_FileDialogDetailedView},
        {"INTEGRATE", QStyle::SP_FileDialogContentsView},
        {"CALIBRATE", QStyle::SP_DialogApplyButton},
        {"REPORT", QStyle::SP_FileIcon},
        {"DUMP", QStyle::SP_DialogSaveButton},
    };
    for (const auto& icon : icons)
        if (name.find(icon.word) != std::string::npos)
            return icon.pixmap;
    return QStyle::SP_MessageBoxInformation;
}
} // namespace

ActionSink::~ActionSink() = default;

struct PageView::Bound
{
    platform::DialogControl entry;
    HWND control = nullptr;
    QWidget* widget = nullptr;
    QLabel* ownLabel = nullptr;
    // The template index of the group box the control sits in; -1 for the dialog itself.
    int box = -1;
    // A static text whose mnemonic moves the focus keeps its "&"; any other shows it plain.
    bool hasBuddy = false;
};

PageView::PageView(const CWnd& dialog, ActionSink& sink, QWidget* parent)
    : QWidget(parent), dialog_(dialog.GetSafeHwnd()), sink_(&sink)
{
    std::vector<platform::DialogControl> entries;
    const std::vector<CWnd*> windows = dialog.controls();
    for (const CWnd* control : windows)
        entries.push_back(control->controlTemplate() ? *control->controlTemplate() : platform::DialogControl{});
    build(entries, windows);
    for (size_t i = 0; i < bound_.size(); ++i)
        connectActions(i);
    sync();
}

PageView::PageView(const platform::DialogTemplate& layout, QWidget* parent) : QWidget(parent)
{
    build(layout.controls, {});
}

PageView::~PageView() = default;

HWND PageView::dialogHandle() const
{
    return dialog_;
}

size_t PageView::controlCount() const
{
    return bound_.size();
}

const platform::DialogControl& PageView::entryAt(size_t index) const
{
    return bound_.at(index).entry;
}

QWidget* PageView::widgetAt(size_t index) const
{
    return index < bound_.size() ? bound_[index].widget : nullptr;
}

QLabel* PageView::ownLabelAt(size_t index) const
{
    return index < bound_.size() ? bound_[index].ownLabel : nullptr;
}

QWidget* PageView::widgetOf(HWND control) const
{
    if (!control)
        return nullptr;
    for (const Bound& b : bound_)
        if (b.control == control)
            return b.widget;
    return nullptr;
}

HWND PageView::controlOf(const QWidget* widget) const
{
    for (; widget && widget != this; widget = widget->parentWidget())
        for (const Bound& b : bound_)
            if (b.widget == widget)
                return b.control;
    return nullptr;
}

QWidget* PageView::firstFocusable() const
{
    for (const Bound& b : bound_)
        if ((b.widget->focusPolicy() & Qt::TabFocus) && b.widget->isEnabled())
            return b.widget;
    return nullptr;
}

void PageView::build(const std::vector<platform::DialogControl>& controls, const std::vector<CWnd*>& windows)
{
    bound_.resize(controls.size());
    for (size_t i = 0; i < controls.size(); ++i)
    {
        bound_[i].entry = controls[i];
        bound_[i].control = i < windows.size() ? windows[i]->GetSafeHwnd() : nullptr;
    }
    const LayoutPlan plan = planLayout(controls);
    for (const auto& [box, rows] : plan.boxes)
        for (const Row& row : rows)
            for (const size_t i : row.controls)
                bound_[i].box = box;
    for (size_t i = 0; i < bound_.size(); ++i)
        bound_[i].widget = makeWidget(i);
    for (size_t i = 0; i < bound_.size(); ++i)
        if (bound_[i].entry.kind == ControlKind::kStaticText && plan.buddies[i] >= 0 &&
            !isIconName(bound_[i].entry.label))
        {
            static_cast<QLabel*>(bound_[i].widget)->setBuddy(bound_[static_cast<size_t>(plan.buddies[i])].widget);
            bound_[i].hasBuddy = true;
        }
    for (Bound& b : bound_)
        if (b.entry.kind == ControlKind::kStaticText && !isIconName(b.entry.label))
            static_cast<QLabel*>(b.widget)->setText(
                fromModel(b.hasBuddy ? b.entry.label : platform::plainLabel(b.entry.label)));

    auto* grid = new QGridLayout(this);
    buildBox(-1, plan, *grid);

    // The tab order is the template's, across group boxes, as the platform moves through a dialog.
    QWidget* previous = nullptr;
    for (const Bound& b : bound_)
        if (b.widget->focusPolicy() & Qt::TabFocus)
        {
            if (previous)
                QWidget::setTabOrder(previous, b.widget);
            previous = b.widget;
        }
}

QWidget* PageView::makeWidget(size_t index)
{
    Bound& b = bound_[index];
    const QString label = fromModel(b.entry.label);
    QWidget* widget = nullptr;
    switch (b.entry.kind)
    {
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(b.entry.kind == ControlKind::kReadOnlyEdit);
        if (b.entry.digitsOnly)
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        widget = edit;
        break;
    }
    case ControlKind::kDropDownList:
        widget = new QComboBox(this);
        // A click opens the list without taking the focus; choosing moves it, through the model.
        widget->setFocusPolicy(Qt::TabFocus);
        break;
    case ControlKind::kCheckBox:
        widget = new QCheckBox(label, this);
        break;
    case ControlKind::kRadioButton: {
        auto* radio = new QRadioButton(label, this);
        // The control knows its set (it unchecks the others); Qt must not decide it too.
        radio->setAutoExclusive(false);
        widget = radio;
        break;
    }
    case ControlKind::kPushButton:
        widget = new QPushButton(label, this);
        break;
    case ControlKind::kGroupBox:
        widget = new QGroupBox(label, this);
        break;
    case ControlKind::kStaticText: {
        auto* text = new QLabel(this);
        text->setTextFormat(Qt::PlainText);
        if (isIconName(b.entry.label))
        {
            const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
            text->setPixmap(style()->standardIcon(iconFor(b.entry.label)).pixmap(size, size));
            text->setToolTip(label);
            text->setAccessibleName(label);
        }
        widget = text;
        break;
    }
    }
    // Buttons and lists take the focus from the model when clicked, not from Qt on the mouse press:
    // a box that fails its check on losing the focus must be able to refuse the click.
    if (qobject_cast<QAbstractButton*>(widget))
        widget->setFocusPolicy(Qt::TabFocus);
    if ((b.entry.kind == ControlKind::kEdit || b.entry.kind == ControlKind::kReadOnlyEdit ||
         b.entry.kind == ControlKind::kDropDownList) &&
        !b.entry.label.empty())
    {
        b.ownLabel = new QLabel(label, this);
        b.ownLabel->setTextFormat(Qt::PlainText);
        b.ownLabel->setBuddy(widget);
    }
    widget->setObjectName(QStringLiteral("control%1").arg(b.entry.id));
    widget->setProperty("templateIndex", QVariant::fromValue(static_cast<qulonglong>(index)));
    return widget;
}

void PageView::buildBox(int box, const LayoutPlan& plan, QGridLayout& grid)
{
    int line = 0;
    for (const Row& row : plan.boxes.at(box))
    {
        if (row.nested)
        {
            const size_t inner = row.controls.front();
            auto* groupBox = static_cast<QGroupBox*>(bound_[inner].widget);
            if (plan.boxes.at(static_cast<int>(inner)).empty())
                groupBox->setFlat(true); // a box that names no controls reads as a heading
            else
                buildBox(static_cast<int>(inner), plan, *new QGridLayout(groupBox));
            grid.addWidget(groupBox, line++, 0, 1, 2);
            continue;
        }
        auto* items = new QHBoxLayout;
        bool hasField = false;
        size_t from = 0;
        if (row.labelColumn)
        {
            const Bound& first = bound_[row.controls.front()];
            if (first.ownLabel)
            {
                grid.addWidget(first.ownLabel, line, 0);
                items->addWidget(first.widget, 1);
                hasField = true;
            }
            else
                grid.addWidget(first.widget, line, 0);
            from = 1;
        }
        for (size_t k = from; k < row.controls.size(); ++k)
        {
            const Bound& b = bound_[row.controls[k]];
            const bool field = roleOf(b.entry) == Role::kField;
            if (b.ownLabel)
                items->addWidget(b.ownLabel);
            items->addWidget(b.widget, field ? 1 : 0);
            hasField = hasField || field;
        }
        if (!hasField)
            items->addStretch(1);
        if (row.labelColumn)
            grid.addLayout(items, line, 1);
        else
            grid.addLayout(items, line, 0, 1, 2);
        ++line;
    }
    grid.setColumnStretch(1, 1);
    if (box < 0)
        grid.setRowStretch(line, 1);
}

void PageView::connectActions(size_t index)
{
    const Bound& b = bound_[index];
    const HWND control = b.control;
    switch (b.entry.kind)
    {
    case ControlKind::kEdit:
        connect(static_cast<QLineEdit*>(b.widget), &QLineEdit::textEdited, this, [this, control](const QString& text) {
            const std::string typed = text.toStdString();
            sink_->controlAction(control, [typed](CWnd& edit) { edit.typeText(typed.c_str()); });
        });
        break;
    case ControlKind::kDropDownList:
        connect(static_cast<QComboBox*>(b.widget), &QComboBox::activated, this, [this, control](int item) {
            sink_->controlAction(control, [item](CWnd& list) { list.chooseItem(item); });
        });
        break;
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
    case ControlKind::kPushButton:
        connect(static_cast<QAbstractButton*>(b.widget), &QAbstractButton::clicked, this,
                [this, control] { sink_->controlAction(control, [](CWnd& button) { button.click(); }); });
        break;
    default:
        break;
    }
}

void PageView::sync()
{
    for (size_t i = 0; i < bound_.size(); ++i)
        syncControl(i);
    // A group box on the platform greys only its own title; in Qt it greys what it holds, so it is
    // shown enabled while any control in it is.
    for (size_t i = 0; i < bound_.size(); ++i)
    {
        if (bound_[i].entry.kind != ControlKind::kGroupBox || !bound_[i].control)
            continue;
        const CWnd* box = CWnd::FromHandle(bound_[i].control);
        bool enabled = box && box->IsWindowEnabled();
        for (const Bound& member : bound_)
            if (member.box == static_cast<int>(i))
            {
                const CWnd* control = CWnd::FromHandle(member.control);
                enabled = enabled || (control && control->IsWindowEnabled());
            }
        bound_[i].widget->setEnabled(enabled);
    }
}

void PageView::syncControl(size_t index)
{
    Bound& b = bound_[index];
    if (!b.control)
        return;
    const CWnd* control = CWnd::FromHandle(b.control);
    const bool enabled = control && control->IsWindowEnabled();
    if (b.ownLabel)
        b.ownLabel->setEnabled(enabled);
    if (b.entry.kind != ControlKind::kGroupBox)
        b.widget->setEnabled(enabled);
    if (!control)
        return;
    CString text;
    control->GetWindowText(text);
    const QString shown = QString::fromUtf8(text.GetString(), text.GetLength());
    switch (b.entry.kind)
    {
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit: {
        auto* edit = static_cast<QLineEdit*>(b.widget);
        // Only a different text is set, so the cursor stays where the user is typing.
        if (edit->text() != shown)
            edit->setText(shown);
        break;
    }
    case ControlKind::kDropDownList: {
        auto* list = static_cast<QComboBox*>(b.widget);
        QStringList items;
        for (int i = 0; i < control->GetCount(); ++i)
        {
            CString item;
            control->GetLBText(i, item);
            items << QString::fromUtf8(item.GetString(), item.GetLength());
        }
        QStringList showing;
        for (int i = 0; i < list->count(); ++i)
            showing << list->itemText(i);
        if (items != showing)
        {
            list->clear();
            list->addItems(items);
        }
        list->setCurrentIndex(control->GetCurSel());
        break;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
    case ControlKind::kPushButton: {
        auto* button = static_cast<QAbstractButton*>(b.widget);
        if (button->text() != shown)
            button->setText(shown);
        if (b.entry.kind != ControlKind::kPushButton)
            button->setChecked(control->GetCheck() == BST_CHECKED);
        break;
    }
    case ControlKind::kGroupBox:
        static_cast<QGroupBox*>(b.widget)->setTitle(shown);
        break;
    case ControlKind::kStaticText:
        if (!isIconName(b.entry.label))
            static_cast<QLabel*>(b.widget)->setText(b.hasBuddy ? shown
                                                               : fromModel(platform::plainLabel(text.GetString())));
        break;
    }
}
} // namespace gui
