// farview-preview's command line called in-process, in a scratch folder, with what it printed.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/preview/preview_cli.h"

// A file the tool wrote, byte for byte.
inline std::string readWritten(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PreviewCommandLine : public ::testing::Test {
protected:
    int preview(std::vector<std::string> arguments, bool terminal = false) {
        arguments.insert(arguments.begin(), "farview-preview");
        std::vector<const char *> argv;
        for (const std::string &argument : arguments) argv.push_back(argument.c_str());
        out.str("");
        err.str("");
        return preview::runPreview(static_cast<int>(argv.size()), argv.data(), paths, out, err, terminal);
    }

    farview_test::ScratchDirectory scratch;
    preview::PreviewPaths paths{FARVIEW_MODULE_PATH, ""};
    std::ostringstream out;
    std::ostringstream err;
};
