// tests/lib/private_config.cpp
// On Linux the registry lives in a database under $XDG_CONFIG_HOME, and the file managers'
// menus it keeps under $XDG_DATA_HOME: both point into a folder of these tests' own before any
// test runs. On Windows the tests use the real registry under test keys that they wipe.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include "test_env.h"

namespace {

struct PrivateConfig : ::testing::Environment {
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    }
    testenv::TempDir dir;
};

const auto* const kPrivateConfig = ::testing::AddGlobalTestEnvironment(new PrivateConfig);

}  // namespace
#endif
