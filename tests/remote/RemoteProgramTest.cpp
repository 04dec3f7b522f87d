// kadrant-remote as a program: what it prints for pairing, how it refuses a bad command line, and
// that it stops cleanly on SIGTERM.
#include "tests/support/ChildWait.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TRun {
    pid_t Pid = -1;
    int Out = -1;
    std::string Text;

    TRun(const std::vector<std::string>& args) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        Pid = fork();
        if (Pid == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            std::vector<char*> argv{const_cast<char*>(REMOTE_PROGRAM)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(REMOTE_PROGRAM, argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        Out = pipeFds[0];
    }
    ~TRun() {
        testwait::KillChild(Pid);
        if (Out >= 0)
            close(Out);
    }
    bool ReadUntil(const std::string& needle, int timeoutMs = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Text.find(needle) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            pollfd p{Out, POLLIN, 0};
            char buffer[4096];
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
                return false;
            ssize_t n = read(Out, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            Text.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    int Wait() {
        int status = 0;
        const bool ended = testwait::WaitChild(Pid, &status);
        Pid = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST(RemoteProgram, PrintsThePairingUrlAndCodeAndStopsOnSigterm) {
    char pattern[] = "/tmp/kadrant-remote-prog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    // A token left readable by others is no secret: a new one, and one line that says so.
    const std::string exposed = "0123456789abcdef0123456789abcdef";
    std::ofstream(dir + "/remote-token") << exposed << "\n";
    chmod((dir + "/remote-token").c_str(), 0644);
    // The view token under the same rule: readable by its group is exposed too.
    std::ofstream(dir + "/remote-view-token") << exposed << "\n";
    chmod((dir + "/remote-view-token").c_str(), 0640);
    {
        TRun run({"--dir", dir, "--listen", "127.0.0.1:0"});
        ASSERT_TRUE(run.ReadUntil("\u2588\n")) << run.Text;
        std::string token;
        std::getline(std::ifstream(dir + "/remote-token"), token);
        ASSERT_EQ(token.size(), 32u);
        EXPECT_NE(token, exposed);
        EXPECT_NE(run.Text.find("remote-token was readable by other users: replaced"),
                  std::string::npos)
            << run.Text;
        EXPECT_NE(run.Text.find("new pairing token"), std::string::npos) << run.Text;
        EXPECT_NE(run.Text.find("  http://127.0.0.1:"), std::string::npos) << run.Text;
        EXPECT_NE(run.Text.find("/#token=" + token + "\n"), std::string::npos) << run.Text;
        EXPECT_EQ(run.Text.find("http://0.0.0.0"), std::string::npos) << run.Text;

        std::string view;
        std::getline(std::ifstream(dir + "/remote-view-token"), view);
        struct stat info {};
        ASSERT_EQ(stat((dir + "/remote-view-token").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_NE(view, exposed);
        EXPECT_NE(view, token);
        EXPECT_NE(run.Text.find("remote-view-token was readable by other users: replaced"),
                  std::string::npos)
            << run.Text;
        EXPECT_TRUE(run.ReadUntil("/overlay#token=" + view + "\n")) << run.Text;
        EXPECT_NE(run.Text.find("/view#token=" + view + "\n"), std::string::npos) << run.Text;
        kill(run.Pid, SIGTERM);
        EXPECT_TRUE(run.ReadUntil("stopped")) << run.Text;
        EXPECT_EQ(run.Wait(), 0);
    }
    std::filesystem::remove_all(dir);
}

TEST(RemoteProgram, BadCommandLineExits2WithTheReasonAndUsage) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--listen", "nowhere"}, std::vector<std::string>{"--colour"}}) {
        TRun run(args);
        run.ReadUntil("usage:");
        EXPECT_EQ(run.Wait(), 2) << run.Text;
        EXPECT_NE(run.Text.find("usage: kadrant-remote"), std::string::npos) << run.Text;
    }
}

TEST(RemoteProgram, TokenLinkOrOpenDirectoryStopsItWithOneLine) {
    for (bool link : {true, false}) {
        char pattern[] = "/tmp/kadrant-remote-prog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        std::string dir = pattern;
        if (link)
            ASSERT_EQ(symlink("/etc/passwd", (dir + "/remote-token").c_str()), 0);
        else
            chmod(pattern, 0777);
        const std::string reason = link ? "is a link" : "may be changed by other users";
        {
            TRun run({"--dir", dir, "--listen", "127.0.0.1:0"});
            run.ReadUntil(reason);
            EXPECT_EQ(run.Wait(), 1) << run.Text;
            EXPECT_NE(run.Text.find(reason), std::string::npos) << run.Text;
            EXPECT_EQ(std::count(run.Text.begin(), run.Text.end(), '\n'), 1) << run.Text;
        }
        std::filesystem::remove_all(dir);
    }
}

} // namespace
