// The Windows program's cost, under wine: a run of six folders of 6,000
// messages started from its main window against the same run through the
// engine alone in the same process; and the index viewer opening 35,000
// records.
//
//   BENCH win_run_vs_engine <window time / engine time> x   (at most 1.2)
//   BENCH win_viewer_open <ms> ms                          (under 200)

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "tests/support/NullPort.h"
#include "tests/support/TempDir.h"
#include "win/Dialogs.h"
#include "win/Program.h"

using namespace kestrove;
using namespace kestrove::bench;
using namespace kestrove::testing;

int main() {
    win::InitControls();
    win::DialogScript script;  // a box during a timed run is a failure
    win::SetDialogScript(&script);
    TempDir mail;
    TempDir settings;

    AppState engineState;
    engineState.settings.RunCheck = LockCheck::Never;
    NullPort nullPort;
    const auto forms = win::CreateForms(settings / "Kestrove.INI");
    win::TForm1& window = *forms->Form1;
    ShowWindow(window.hwnd(), SW_SHOW);
    win::Form::PumpMessages();
    window.state().settings.RunCheck = LockCheck::Never;
    std::vector<std::string> indexes;
    for (int i = 0; i < 6; ++i) {
        indexes.push_back(mail / ("F" + std::to_string(i) + ".PMI"));
        engineState.ListBox1.Add(indexes.back());
        window.state().ListBox1.Add(indexes.back());
    }
    window.ListChanged(ListId::ListBox1);

    // Six folders of `records` messages each, every tenth a repeat. The
    // window's time runs until it has painted the result.
    auto compare = [&](int records) {
        const FolderBytes folder = BigFolder(records, 10);
        auto freshFolders = [&] {
            for (const std::string& index : indexes) {
                const std::string stem = index.substr(0, index.size() - 4);
                platform::RemoveFile(stem + ".BKI");
                platform::RemoveFile(stem + ".BKM");
                WriteFileBytes(index, folder.pmi);
                WriteFileBytes(stem + ".PMM", folder.pmm);
            }
        };
        return CompareAlternately(
            8, freshFolders, [&] { RunDeleteDupes1Click(engineState, nullPort); },
            [&] {
                window.Click(win::kRunButton);
                UpdateWindow(window.hwnd());
            },
            [&] {
                return window.Text(win::kLabelInfoMsg1) == "6 of 6 files processed." &&
                       script.shown.empty();
            });
    };
    // The window's cost is fixed per run (under Wine about half a millisecond
    // for each control it repaints), so the ratio falls as the folders grow:
    // measured at the scale of the Qt window's benchmark (about 35,000
    // messages in all), and shown for half that.
    double ratio = 0;
    for (int records : {6000, 3000}) {
        const std::optional<Comparison> times = compare(records);
        if (!times) {
            std::fprintf(stderr, "the window's run did not go through\n");
            return 1;
        }
        const double engine = times->reference, through = times->measured;
        std::printf("# run over 6 x %d records: engine %.3f s, window %.3f s (%+.1f ms), %.3f x\n",
                    records, engine, through, (through - engine) * 1000.0, through / engine);
        if (records == 6000)
            ratio = through / engine;
    }
    std::printf("BENCH win_run_vs_engine %.3f x\n", ratio);

    // The viewer on 35,000 records: from the double-click to the window
    // shown and painted.
    const FolderBytes view = BigFolder(35000, 10);
    WriteFileBytes(mail / "VIEW.PMI", view.pmi);
    WriteFileBytes(mail / "VIEW.PMM", view.pmm);
    window.state().ListBox1.Clear();
    window.state().ListBox1.Add(mail / "VIEW.PMI");
    window.state().ListBox1.highlighted = 0;
    window.ListChanged(ListId::ListBox1);
    std::vector<double> openTimes;
    for (int round = 0; round < 5; ++round) {
        Clock::time_point shown;
        win::Form::SetModalHook([&](win::Form& form) {
            UpdateWindow(form.hwnd());
            shown = Clock::now();
        });
        const auto t0 = Clock::now();
        window.ListDoubleClick(win::kListBox1);
        openTimes.push_back(Seconds(shown - t0) * 1000.0);
        if (forms->Form2->grid().RecordRows() != 35000) {
            std::fprintf(stderr, "the viewer did not show the records\n");
            return 1;
        }
    }
    std::printf("BENCH win_viewer_open %.1f ms\n", Median(openTimes));
    win::SetDialogScript(nullptr);
    return 0;
}
