#include "gui/ControlLayout.h"
#include "platform/Dialog.h"

#include <gtest/gtest.h>

namespace
{
using gui::planLayout;
using platform::ControlKind;
using platform::DialogControl;

// The rows of a box as text: control indexes joined by ",", rows by " / "; "L" marks a row whose
// first control sits in the label column, "G" a row that is a nested group box.
std::string rowsOf(const gui::LayoutPlan& plan, int box)
{
    std::string text;
    for (const gui::Row& row : plan.boxes.at(box))
    {
        text += text.empty() ? "" : " / ";
        text += row.nested ? "G" : row.labelColumn ? "L" : "";
        for (size_t i = 0; i < row.controls.size(); ++i)
            text += (i ? "," : "") + std::to_string(row.controls[i]);
    }
    return text;
}

DialogControl control(int id, ControlKind kind, const char* label, int groupBox = 0, bool startsGroup = false)
{
    return {id, kind, label, groupBox, startsGroup, false};
}

constexpr auto kEdit = ControlKind::kEdit;
constexpr auto kShown = ControlKind::kReadOnlyEdit;
constexpr auto kCheck = ControlKind::kCheckBox;
constexpr auto kRadio = ControlKind::kRadioButton;
constexpr auto kButton = ControlKind::kPushButton;
constexpr auto kGroup = ControlKind::kGroupBox;
constexpr auto kStatic = ControlKind::kStaticText;
constexpr auto kList = ControlKind::kDropDownList;

TEST(ControlLayout, RowsFollowTheTemplateOrderAndBoxesHoldTheirControls)
{
    struct Case
    {
        const char* name;
        std::vector<DialogControl> controls;
        std::map<int, const char*> boxes; // the rows of each box, -1 for the dialog
    } cases[] = {
        {"a label and its edit share a row", {control(-1, kStatic, "&Name:"), control(10, kEdit, "")}, {{-1, "L0,1"}}},
        {"short labels continue a range on one row",
         {control(1, kEdit, "m&in"), control(2, kEdit, "m&ax"), control(3, kEdit, "s&tep")},
         {{-1, "L0,1,2"}}},
        {"a long label starts its own row",
         {control(1, kEdit, "Total &Cycle Time"), control(2, kEdit, "Max &Dwell Time")},
         {{-1, "L0 / L1"}}},
        {"separate statics for a range",
         {control(-1, kStatic, "m&in"), control(1, kEdit, ""), control(-1, kStatic, "m&ax"), control(2, kEdit, "")},
         {{-1, "L0,1,2,3"}}},
        {"a read-only edit takes its buttons",
         {control(21, kShown, ""), control(22, kButton, "&Browse..."), control(48, kButton, "Cl&ear"),
          control(-1, kStatic, "&Column:"), control(23, kShown, ""), control(24, kButton, "Bro&wse...")},
         {{-1, "0,1,2 / L3,4,5"}}},
        {"a short radio set on one row, a long one a row each",
         {control(13, kRadio, "+ve", 0, true), control(14, kRadio, "-ve"), control(15, kRadio, "&both"),
          control(71, kRadio, "&Per sample group", 0, true), control(72, kRadio, "Be&fore any analyses")},
         {{-1, "0,1,2 / 3 / 4"}}},
        {"a radio set ends where the next starts",
         {control(1, kRadio, "&1", 0, true), control(2, kRadio, "&2"), control(3, kRadio, "&MS", 0, true)},
         {{-1, "0,1 / 2"}}},
        {"an icon pairs with its check box",
         {control(137, kStatic, "ACQUIREICON"), control(104, kCheck, "&Acquire Sample Data"),
          control(138, kStatic, "PROCESSICON"), control(134, kCheck, "Auto &Process Samples")},
         {{-1, "L0,1 / L2,3"}}},
        {"check boxes stand alone unless a field follows",
         {control(1, kCheck, "&H2O"), control(2, kCheck, "&CO2"), control(3, kCheck, "P&re-Run"),
          control(132, kEdit, "")},
         {{-1, "0 / 1 / L2,3"}}},
        {"a subscript and a bracket stay with their check box",
         {control(33, kCheck, "[M + &NH"), control(60, kStatic, "4"), control(59, kStatic, "]"),
          control(37, kCheck, "[M + ?]")},
         {{-1, "L0,1,2 / 3"}}},
        {"OK and Cancel sit apart from the fields",
         {control(5, kEdit, ""), control(IDOK, kButton, "OK"), control(IDCANCEL, kButton, "Cancel")},
         {{-1, "0 / 1,2"}}},
        {"a list with its own label", {control(12, kList, "Ion &source"), control(13, kCheck, "x")}, {{-1, "L0 / 1"}}},
        {"an empty template", {}, {{-1, ""}}},
        {"members go inside, others stay outside",
         {control(100, kGroup, "Cone Voltage"), control(1, kEdit, "m&in", 100), control(2, kEdit, "m&ax", 100),
          control(3, kCheck, "&Flag")},
         {{-1, "G0 / 3"}, {0, "L1,2"}}},
        {"members listed before their box still go inside",
         {control(1, kCheck, "&A", 100), control(100, kGroup, "Box"), control(2, kCheck, "&B")},
         {{-1, "G1 / 2"}, {1, "0"}}},
        {"a box naming no controls is a row of its own",
         {control(-1, kGroup, "Process"), control(1027, kCheck, "P&re-Run"), control(132, kEdit, "")},
         {{-1, "G0 / L1,2"}, {0, ""}}},
        {"boxes nest",
         {control(100, kGroup, "Outer"), control(101, kGroup, "Inner", 100), control(1, kCheck, "&x", 101)},
         {{-1, "G0"}, {0, "G1"}, {1, "2"}}},
        {"a box that is not there leaves the control in the dialog", {control(1, kCheck, "&x", 555)}, {{-1, "0"}}},
        {"boxes naming each other are drawn in the dialog",
         {control(10, kGroup, "A", 11), control(11, kGroup, "B", 10), control(1, kCheck, "&x", 10)},
         {{-1, "G0 / G1 / 2"}, {0, ""}, {1, ""}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const gui::LayoutPlan plan = planLayout(c.controls);
        ASSERT_EQ(plan.boxes.size(), c.boxes.size());
        for (const auto& [box, rows] : c.boxes)
            EXPECT_EQ(rowsOf(plan, box), rows) << "box " << box;
    }
}

TEST(ControlLayout, MnemonicsReachTheControlTheyName)
{
    const std::vector<DialogControl> controls = {
        control(-1, kStatic, "&Loop:"),      // 0: the next control
        control(1, kShown, ""),              // 1
        control(2, kEdit, "&Injection"),     // 2: a field's own label names the field
        control(-1, kStatic, "&Options"),    // 3: statics and boxes are skipped
        control(-1, kGroup, "Box"),          // 4
        control(-1, kStatic, "note"),        // 5
        control(3, kCheck, "&Flag"),         // 6
        control(-1, kStatic, "ACQUIREICON"), // 7: an icon is a static like any other
        control(-1, kStatic, "&Last"),       // 8: nothing after it
    };
    const std::vector<int> expected = {1, -1, 2, 6, -1, 6, -1, -1, -1};
    EXPECT_EQ(planLayout(controls).buddies, expected);
}

TEST(ControlLayout, IconNamesAreResourceNames)
{
    struct Case
    {
        const char* label;
        bool icon;
    } cases[] = {
        {"QUANTIFYICON", true},  {"DUMP_ICON2ICON", true}, {"ICON", false},          {"Quantify ICON", false},
        {"ACQUIREICONS", false}, {"quantifyicon", false},  {"&QUANTIFYICON", false}, {"", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(gui::isIconName(c.label), c.icon);
        EXPECT_EQ(gui::roleOf(control(-1, kStatic, c.label)), c.icon ? gui::Role::kIcon : gui::Role::kLabel);
    }
}
} // namespace
