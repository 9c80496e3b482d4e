// A program built against an installed Brenmo the way a host developer builds one: it installs
// the stand-in host, reads a method file and opens an analysis list through the libraries.
#include <brenmo/groups/QuanState.h>
#include <brenmo/kelvane/KelvaneHost.h>
#include <brenmo/method/BrenmoOptions.h>
#include <brenmo/method/TessalyOptionsSheet.h>
#include <brenmo/platform/WinPath.h>

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: consumer DATA-DIRECTORY METHOD-FILE ANALYSIS-LIST\n";
        return 2;
    }
    kelvane::install(argv[1]);
    const CBrenmoOptions& options = CTessalyOptionsSheet::OpenFile(platform::toHostPath(argv[2]).c_str());
    std::cout << "Cone Voltage Max=" << options.m_dConeVoltageMax << '\n';
    const int opened = QuanOpenSampleList(platform::toHostPath(argv[3]).c_str());
    std::cout << "Groups=" << nQuanGroups << '\n';
    QuanCloseSampleList();
    kelvane::uninstall();
    return opened ? 0 : 1;
}
