// One pipe per working directory, named as Windows compares paths.
#include "controlpipe/ControlPipeName.h"

#include <gtest/gtest.h>

using controlpipe::PipeNameFor;

TEST(ControlPipeName, OneNamePerDirectoryAsWindowsComparesPaths) {
    const std::string name = PipeNameFor("C:\\Users\\Ops\\AppData\\Roaming\\Kadrant");
    EXPECT_EQ(name.rfind("\\\\.\\pipe\\kadrant-control-", 0), 0u);
    EXPECT_EQ(name.size(), std::string("\\\\.\\pipe\\kadrant-control-").size() + 16);
    EXPECT_EQ(PipeNameFor("c:/users/ops/appdata/roaming/kadrant/"), name);
    EXPECT_NE(PipeNameFor("C:\\Users\\Ops\\AppData\\Roaming\\Kadrant2"), name);
    EXPECT_NE(PipeNameFor("D:\\Users\\Ops\\AppData\\Roaming\\Kadrant"), name);
}
