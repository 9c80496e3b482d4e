// tessaly groups: the sample groups of a formatted sample list.
#include "apps/Commands.h"
#include "groups/Group.h"
#include "kelvane/FormattedSampleList.h"

namespace tessaly
{
int groups(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw BadInput("groups takes one sample list");
    requireFile(args[0]);
    CSampleListMem list;
    kelvane::FormattedListColumns columns;
    std::string error;
    if (!kelvane::readFormattedSampleList(args[0], list, columns, error))
        throw BadInput(error);
    bool hasGroups = false;
    for (const auto& field : columns.fields)
        hasGroups = hasGroups || field == "SAMPLE_GROUP";
    if (!hasGroups)
        throw BadInput(args[0] + ": no SAMPLE_GROUP column");

    CGroupArray groups;
    GetGroups(groups, &list);
    for (int i = 0; i < groups.GetSize(); ++i)
    {
        const CGroup& group = groups[i];
        POSITION pos = group.m_Samples.GetHeadPosition();
        const int first = pos ? group.m_Samples.GetNext(pos) : 0;
        const int last = pos ? group.m_Samples.GetNext(pos) : first;
        const CString label = group;
        out << i << '\t' << first << '\t' << last << '\t' << label.GetString() << '\n';
    }
    return kOk;
}

} // namespace tessaly
