// A rename run that dies: runs 按钮2 (delete the first "a" of every name) over a folder with the
// history in a state folder, and kills itself with SIGKILL where VELMORA_KILL_AT says:
//   confirm   while the confirmation is open, before the plan is written down
//   commit    at the first disk sync of the plan's commit
//   k         after k rename attempts (0: before the first; all of them: right after the last,
//             before the end of the run is written)
//   unset     never (the test kills it from outside at a random moment)
//
//   velmora-kill-helper <folder> <state folder> [plan]
//
// VELMORA_KILL_BELOW=1 renames the folders at every depth below the folder instead of its files.
//
// Given a plan file (lines "old name part<TAB>new name part"), it renames as that plan says, through
// the renames in order of the rules of page " 更 多 " (chains, swaps and cycles through temporary
// names), instead of running 按钮2.
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "core/history/journal.h"
#include "interaction/click.h"
#include "interaction/rule.h"
#include "rules/catalogue.h"
#include "rules/common.h"
#include "tests/support/fake_window.h"

namespace {

long killAfter = -1;  // rename attempts
bool killAtCommit = false;
bool armed = false;  // the history is open: the next sync belongs to the plan's commit
long attempts = 0;

void die() { kill(getpid(), SIGKILL); }

void countAttempt() {
    if (killAfter >= 0 && attempts == killAfter) die();
}

class DyingWindow : public velmora::testing::FakeWindow {
public:
    bool dieAtConfirmation = false;
    int confirmWithPlan(const velmora::Text& text, velmora::MessageStyle style, std::optional<velmora::Text> caption,
                        const velmora::PlanDetails& details, const velmora::Text& summary,
                        bool cancelByDefault) override {
        if (dieAtConfirmation) die();
        return FakeWindow::confirmWithPlan(text, style, std::move(caption), details, summary, cancelByDefault);
    }
};

}  // namespace

// The program's renames and SQLite's syncs come here first (this executable's definitions win
// over the C library's), then go to the kernel.
extern "C" int renameat2(int oldDir, const char* oldName, int newDir, const char* newName, unsigned int flags) {
    countAttempt();
    const int result = static_cast<int>(syscall(SYS_renameat2, oldDir, oldName, newDir, newName, flags));
    const int saved = errno;
    // A disk that does not take the flag refuses it before renaming anything: no attempt yet.
    if (result == 0 || saved != EINVAL) {
        ++attempts;
        countAttempt();
    }
    errno = saved;
    return result;
}

// Where the disk takes no no-replace flag, renames end here.
extern "C" int renameat(int oldDir, const char* oldName, int newDir, const char* newName) {
    countAttempt();
    const int result = static_cast<int>(syscall(SYS_renameat2, oldDir, oldName, newDir, newName, 0));
    const int saved = errno;
    ++attempts;
    countAttempt();
    errno = saved;
    return result;
}

extern "C" int fdatasync(int fd) {
    if (armed && killAtCommit) die();
    return static_cast<int>(syscall(SYS_fdatasync, fd));
}

extern "C" int fsync(int fd) {
    if (armed && killAtCommit) die();
    return static_cast<int>(syscall(SYS_fsync, fd));
}

int main(int argc, char* argv[]) {
    using namespace velmora;
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <folder> <state folder> [plan]\n", argv[0]);
        return 2;
    }
    DyingWindow window;
    if (const char* at = std::getenv("VELMORA_KILL_AT")) {
        if (std::strcmp(at, "confirm") == 0)
            window.dieAtConfirmation = true;
        else if (std::strcmp(at, "commit") == 0)
            killAtCommit = true;
        else
            killAfter = std::strtol(at, nullptr, 10);
    }
    Session session;
    if (session.journal.open(argv[2]) != Journal::Opened::Ok) return 3;
    armed = true;
    window.setFolder(argv[1]);
    if (const char* below = std::getenv("VELMORA_KILL_BELOW"); below && *below == '1') {
        window.setChecked(component::选择框1, false);
        window.setChecked(component::选择框2, true);
        window.setChecked(component::选择框_包括子文件夹, true);
    }
    if (argc == 4) {
        std::map<std::string, std::string> plan;
        std::ifstream in(argv[3]);
        for (std::string line; std::getline(in, line);) {
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos) plan[line.substr(0, tab)] = line.substr(tab + 1);
        }
        RenameRule rule = reorderingRule();
        rule.files = entryPass([plan](const Entry& e) -> std::optional<Text> {
            const auto it = plan.find(e.subject.bytes());
            if (it == plan.end()) return std::nullopt;
            return Text::fromBytes(it->second);
        });
        rule.folders = rule.files;
        runRenameRule(rule, window, session, nullptr, Text::fromUtf8("按计划"));
        return 0;
    }
    window.type(component::编辑框1, "a");
    runRenameRule(deleteOccurrences(), window, session, nullptr, Text::fromUtf8("删除"));
    return 0;
}
