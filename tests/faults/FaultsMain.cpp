// GoogleTest main for the fault tests: one QApplication on the offscreen platform. Started with
// KADRANT_FAULTS_AS_UID set, it first gives up root for that user, so that a test can run itself
// again as an unprivileged user (root writes through any file permission).
#include <QApplication>
#include <cstdlib>
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (const char* uid = std::getenv("KADRANT_FAULTS_AS_UID"); uid && ::geteuid() == 0) {
        const auto id = static_cast<uid_t>(std::strtoul(uid, nullptr, 10));
        if (::setgroups(0, nullptr) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0)
            return 126;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
