// farview-preview: renders a game's view through the stand-in host and the real plug-in module,
// and writes the frames as PNG images. With no arguments it renders the built-in demo game.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "simhost/simhost.h"
#include "tools/demo_game.h"
#include "tools/preview_script.h"

namespace fs = std::filesystem;

namespace {

fs::path defaultModulePath(const char *argv0) {
    std::error_code ignored;
    fs::path program = fs::canonical("/proc/self/exe", ignored);
    if (program.empty()) program = fs::absolute(argv0);
    return program.parent_path() / "libfarview.so";
}

bool readFile(const fs::path &file, std::string &text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

int fail(const std::string &message) {
    std::cerr << "farview-preview: " << message << "\n";
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Renders a game's perspective view through the stand-in host and the Farview plug-in.\n"
                 "With no --game, renders the built-in demo game."};
    std::string game, script, output = "farview-preview-out", module = defaultModulePath(argv[0]).string();
    app.add_option("--game", game, "game folder: map files, ChipSet/, CharSet/, images")->check(CLI::ExistingDirectory);
    app.add_option("--script", script, "script of host steps and comment lines (needed with --game)");
    app.add_option("--out", output, "folder for the rendered frames")->capture_default_str();
    app.add_option("--module", module, "the plug-in module to load")->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    fs::path outputFolder = fs::absolute(output);
    std::error_code failure;
    fs::create_directories(outputFolder, failure);
    if (failure) return fail("cannot create " + outputFolder.string() + ": " + failure.message());

    std::string scriptText, scriptName;
    fs::path gameFolder;
    if (game.empty()) {
        if (!script.empty()) return fail("--script goes with --game");
        gameFolder = outputFolder / "demo-game";
        std::string error;
        if (!preview::writeDemoGame(gameFolder, &error)) return fail(error);
        scriptText = preview::kDemoScript;
        scriptName = "demo";
    } else {
        if (script.empty()) return fail("--game needs a --script");
        if (!readFile(script, scriptText)) return fail("cannot read the script " + script);
        gameFolder = game;
        scriptName = script;
    }

    simhost::resetEngine();
    simhost::PluginModule plugin;
    std::string error;
    if (!simhost::loadPlugin(module, plugin, &error)) return fail(error);

    fs::current_path(gameFolder, failure);
    if (failure) return fail("cannot enter " + gameFolder.string() + ": " + failure.message());
    preview::ScriptResult result = preview::runScript(scriptText, scriptName, plugin, outputFolder);
    for (const std::string &message : simhost::messages()) std::cerr << "host message: " << message << "\n";
    for (const std::string &frame : result.frames) std::cout << "wrote " << frame << "\n";
    simhost::unloadPlugin(plugin);
    return result.ok ? 0 : fail(result.error);
}
