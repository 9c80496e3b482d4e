#include "testing/Unprivileged.h"

#include <cstdio>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testkit
{
int runUnprivileged(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
    {
        if (::geteuid() == 0)
        {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(255);
        }
        int result = body();
        std::fflush(nullptr);
        ::_exit(result & 0xff);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

void openToEveryone(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (fs::path p = fs::absolute(path); !p.empty() && p != p.root_path(); p = p.parent_path())
        if (fs::is_directory(p, ignored))
            fs::permissions(p, fs::perms::others_exec | fs::perms::others_read | fs::perms::group_exec,
                            fs::perm_options::add, ignored);
}
} // namespace testkit
