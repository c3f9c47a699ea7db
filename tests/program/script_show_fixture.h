// The road a user's scene script takes, whole: the script's text written to a scratch folder,
// the whole program run on it as a user would (WireProgram, the settings "Conf01" and
// "Stock01", Main with "/w": ReadScript into the scene model, RunShow, the sections, the train
// starts, motion and painting), for a number of presented frames. Only what lies below the
// program is the test's: the clock moves on by exactly 20 ms for each presented frame, each
// presented batch of blits is copied at once onto the show's DC (no blit thread, no timer),
// and only the main loop's full steps run (steps from inside long work would come as often as
// the loader thread's timing makes them). With "$RANDOMIZE n" in the script the run repeats
// exactly.
//
// These fixed 20 ms steps are the deterministic single-step run: the show's own single-step
// key mode (ShowState::StepMode) holds every train start and wait, so it cannot run a script.
//
// The program's state is process-wide (its tables, settings, engine, windows), so every such
// test runs in a child copy of the test program, which keeps the test binary right in any
// order (--gtest_shuffle). A test body starts with
//
//     if (road::RunInChild()) return;
//
// In the parent this runs this very test again in a child (scratch YOV_CONFIG_HOME, TMP and
// XDG_RUNTIME_DIR, the offscreen platform), waits for it, and checks its exit status, showing
// its output. In the child it returns false; the body writes its script, runs the show and
// makes its checks, and the child ends with the test's result as soon as the test ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace road {

// True in the parent, after the child ran the current test (its failures are the parent's).
// timeoutMs: how long the child may take before it is killed and the test fails.
bool RunInChild(int timeoutMs = 180000);

// The child's scratch folder (also its TMP, where the error log goes), with a trailing "/".
std::string Folder();
// Writes a file of the scratch folder and returns its full path.
std::string WriteFile(const std::string& name, const std::string& text);
// "$RANDOMIZE seed" and "$STOCK" naming the demo's stock (whose pictures stay in the demo's
// folder), the head of a test script.
std::string DemoHead(int seed);
// The full name of a picture of the demo's folder, for BG= and the like.
std::string DemoFile(const std::string& name);
// Writes a picture of the scratch folder: a 24-bit BMP of width x height in one colour
// (0x00BBGGRR, as the raster's pixels read), and returns its full path.
std::string WriteSolidBmp(const std::string& name, int width, int height, uint32_t colour);
// A stock of the scratch folder: the demo's stock with `entries` (stock lines, each ended by
// "\n") added to its entries, the demo's pictures copied beside it. Returns its full path,
// for "$STOCK" (ScriptHead) or RunOptions::stock.
std::string WriteDemoStockWith(const std::string& name, const std::string& entries);
// "$RANDOMIZE seed" and "$STOCK" naming the given stock file.
std::string ScriptHead(int seed, const std::string& stock);
// A full path as a picture list of a script names it: "/" is an operator of the pattern
// language there, so the folders are separated by "\".
std::string PictureName(const std::string& path);

// One presented frame, as it is on the show's DC.
struct Frame {
    int number = 0;       // 1 for the first presented frame
    int64_t clockMs = 0;  // the program's clock after it
    int32_t dc = 0;       // 0 for a flipped frame, which reaches the show window only
    int32_t width = 0;
    int32_t height = 0;
    uint32_t Pixel(int32_t x, int32_t y) const;
    bool SavePng(const std::string& path) const;
};

struct RunOptions {
    std::string stock;  // "Stock01"; empty: the demo's stock
    // Further settings stored before the start, as the settings dialog would.
    std::vector<std::pair<std::u16string, std::u16string>> settings;
    std::u16string commandLine = u"/w";
};

struct Run {
    int frames = 0;     // presented frames
    int exitCode = -1;  // what the program's own end asked for (-1: it did not end)
    std::string log;    // the error log's text
};

// Runs the scene script of the scratch folder for `frames` presented frames (then asks the
// show to stop, as Esc would), calling `observer` after each; the train records, the run
// queue and the section records are the program's own (yov::trains(), yov::runQueue(),
// yov::sectRec()). Once per child.
Run RunScript(const std::string& scriptName, int frames, const std::function<void(const Frame&)>& observer = {},
              const RunOptions& options = {});

// The error log's text as it stands (also during a run).
std::string ErrorLog();

// What the tests look at in a frame.
// The active train records that have member pictures on their line now.
std::vector<int32_t> TrainsWithPictures();
// The text of the script line a train record runs ("" for none).
std::string LineText(int32_t train);
// The names of the stock entries of a train's vehicles, member by member, each member's from
// left to right along the line (a train running right has its front vehicle last).
std::vector<std::string> VehicleNames(int32_t train);
// The error log's lines holding `text`.
int CountLogLines(const std::string& log, const std::string& text);

}  // namespace road
