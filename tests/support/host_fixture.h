// Tests that drive the plug-in's code through the stand-in host.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "host/host.h"
#include "simhost/simhost.h"

namespace farview_test {

// A fresh stand-in engine, bound as the plug-in's host.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        simhost::resetEngine();
        farview::bindHost(&simhost::hostInterface());
    }
};

// A fresh stand-in engine with the real plug-in module loaded, as a host loads it.
class ModuleTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        std::string error;
        ASSERT_TRUE(simhost::loadPlugin(FARVIEW_MODULE_PATH, module, &error)) << error;
    }
    void TearDown() override { simhost::unloadPlugin(module); }

    simhost::PluginModule module;
};

// A new empty folder that is the current directory for the object's lifetime: map files and
// graphics are read relative to the current directory.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

} // namespace farview_test
