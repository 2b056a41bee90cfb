// tests/lib/private_config.cpp
// On Linux the registry lives in a database under $XDG_CONFIG_HOME; these tests point it at a
// fresh folder of their own before any test runs, so the user's settings and file-manager
// menus are never touched.
// On Windows the tests use the real registry under test keys that they wipe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
namespace {

class PrivateConfig : public ::testing::Environment {
public:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zapfile-lib-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr) {
            dir_ = tmpl;
            setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
            // Entries written for file managers land here, not in the user's menus.
            setenv("XDG_DATA_HOME", (dir_ + "/data").c_str(), 1);
        }
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ec);
    }

private:
    std::string dir_;
};

const auto* const kPrivateConfig = ::testing::AddGlobalTestEnvironment(new PrivateConfig);

}  // namespace
#endif
