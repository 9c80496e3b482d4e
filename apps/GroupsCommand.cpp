// tessaly groups: the sample groups of a sample list, read through the host as the quantify step
// reads it.
#include "apps/Commands.h"
#include "groups/Group.h"
#include "host/host.h"

#include <memory>

namespace tessaly
{
namespace
{
int groups(const std::string& list, std::ostream& out)
{
    requireFile(list);
    const std::unique_ptr<CSampleListMem> rows = openSampleList(list);

    CGroupArray groups;
    GetGroups(groups, rows.get());
    // Groups and rows count from 1 for people, as quan counts them.
    for (int i = 0; i < groups.GetSize(); ++i)
    {
        const CGroup& group = groups[i];
        POSITION pos = group.m_Samples.GetHeadPosition();
        const int first = pos ? group.m_Samples.GetNext(pos) : 0;
        const int last = pos ? group.m_Samples.GetNext(pos) : first;
        const CString label = group;
        out << i + 1 << '\t' << first + 1 << '\t' << last + 1 << '\t' << label.GetString() << '\n';
    }
    return kOk;
}
} // namespace

void addGroupsCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* command = tessaly.add_subcommand(
        "groups", "prints the sample groups of LIST: number, first row, last row, label (counted from 1)");
    auto list = std::make_shared<std::string>();
    command->add_option("LIST", *list, "sample list (.csv, .txt, .spl, .olb, .sdb)")->required();
    onParsed(*command, action, [list](std::ostream& out) { return groups(*list, out); });
}
} // namespace tessaly
