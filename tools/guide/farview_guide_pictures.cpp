// farview-guide-pictures: renders the pictures of the authoring guide (docs/authoring.md) from the
// demo game through the real plug-in module, one picture for each guide script (NAME.txt gives
// NAME.png). The build's guide-pictures target runs it into docs/authoring/.
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "tools/common/program_files.h"
#include "tools/guide/guide_pictures.h"

namespace fs = std::filesystem;

namespace {

const char *const kExamples = R"(Examples:
  farview-guide-pictures docs/authoring
      renders the guide scripts of docs/authoring/ (each NAME.txt) against the demo game the
      build wrote, and writes each picture as NAME.png into docs/authoring/
  farview-guide-pictures build/guide-check
      the same pictures into another folder, to compare them with the committed ones

Each "frame FILE # LABEL" line of a script, outside any repeat, is one panel of its picture.
)";

struct Request {
    std::string output;
    std::string scripts = FARVIEW_GUIDE_FOLDER;
    std::string game = FARVIEW_DEMO_GAME_FOLDER;
    std::string module;
};

int fail(const std::string &what) {
    std::cerr << "farview-guide-pictures: " << what << "\n";
    return 1;
}

// The scripts' own frames go to a folder of their own for the program's lifetime.
class FrameFolder {
public:
    bool create(std::string *error) {
        std::error_code failure;
        path_ = fs::temp_directory_path(failure) / ("farview-guide-" + std::to_string(getpid()));
        if (!failure) fs::create_directories(path_, failure);
        if (failure) *error = "cannot create a folder for the frames, " + path_.string() + ": " + failure.message();
        return !failure;
    }
    ~FrameFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

class LoadedPlugin {
public:
    ~LoadedPlugin() {
        if (module.handle != nullptr) simhost::initTitleScreen(module); // the plug-in frees its images
        simhost::unloadPlugin(module);
    }
    simhost::PluginModule module;
};

std::vector<fs::path> guideScripts(const fs::path &folder) {
    std::vector<fs::path> scripts;
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ignored))
        if (entry.is_regular_file(ignored) && entry.path().extension() == ".txt") scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

// One picture: false with a message when the script cannot make it.
bool makePicture(const fs::path &script, const fs::path &output, const guide::PictureRun &run, std::string *error) {
    std::string text;
    if (!simhost::readTextFile(script, text, error)) return false;
    std::vector<guide::Panel> panels;
    if (!guide::renderPanels(text, script.filename().string(), run, panels, error)) return false;
    const fs::path picture = output / script.filename().replace_extension(".png");
    if (!guide::writePanelSheet(panels, picture.string(), error)) return false;
    std::error_code ignored;
    std::cout << "wrote " << picture.string() << ": " << panels.size() << " panels, "
              << (fs::file_size(picture, ignored) + 512) / 1024 << " KB\n";
    return true;
}

int makePictures(const Request &request, const fs::path &module) {
    const std::vector<fs::path> scripts = guideScripts(fs::absolute(request.scripts));
    if (scripts.empty()) return fail("no guide scripts (NAME.txt) in " + request.scripts);
    std::string error;
    std::error_code failure;
    const fs::path output = fs::absolute(request.output);
    fs::create_directories(output, failure);
    if (failure) return fail("cannot create " + output.string() + ": " + failure.message());
    simhost::GameFolder game;
    if (!simhost::openGame(fs::absolute(request.game), game, &error)) return fail(error);
    FrameFolder frames;
    if (!frames.create(&error)) return fail(error);
    LoadedPlugin plugin;
    simhost::resetEngine();
    if (!simhost::loadPlugin(module.string(), plugin.module, &error)) return fail(error);
    tools::CurrentDirectory directory; // the plug-in reads the game's files from there
    if (!directory.enter(game.folder, &error)) return fail(error);
    const guide::PictureRun run{&plugin.module, &game, frames.path()};
    int status = 0;
    for (const fs::path &script : scripts)
        if (!makePicture(script, output, run, &error)) status = fail(error);
    return status;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Renders the pictures of the authoring guide from the demo game, through the stand-in host and the "
                 "Farview plug-in: one PNG picture for each guide script.",
                 "farview-guide-pictures"};
    app.footer(kExamples);
    Request request;
    app.add_option("OUT_DIR", request.output, "the folder for the pictures")->required()->type_name("");
    app.add_option("--scripts", request.scripts, "the folder of the guide scripts")
        ->capture_default_str()
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    app.add_option("--game", request.game, "the game folder the scripts run against")
        ->capture_default_str()
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    app.add_option("--module", request.module, "the plug-in module to load (default: the one beside this program)")
        ->type_name("PATH");
    CLI11_PARSE(app, argc, argv);
    try {
        const fs::path module = request.module.empty() ? tools::besideThisProgram(argv[0], tools::kModuleFileName)
                                                       : fs::path(request.module);
        return makePictures(request, module);
    } catch (const std::exception &failure) {
        return fail(failure.what());
    }
}
