// The window's cost: a run over the largest folder the program accepts
// (34,999 messages of 2 to 10 KB, every tenth a repeat), started from the
// main window, against the same run through the engine alone; and the index
// viewer opening 35,000 records.
//
//   BENCH run_window_vs_engine <window time / engine time> x   (at most 1.2)
//   BENCH viewer_window_open <ms> ms                          (under 500)

#include <QApplication>
#include <QDialog>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "bench/BenchSupport.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "qt/Dialogs.h"
#include "qt/Program.h"
#include "qt/TForm1.h"
#include "qt/TForm2.h"
#include "qt/Widgets.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/NullPort.h"
#include "tests/support/TempDir.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::bench;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The folders live in memory when the machine offers it: the window's
    // cost is work of the processor, and the disk's moods are no part of it.
    if (std::filesystem::is_directory("/dev/shm"))
        setenv("TMPDIR", "/dev/shm", 1);
    QApplication app(argc, argv);
    Dialogs::SetTesting(true);
    TempDir mail('D');
    TempDir settings('S');
    const std::string index = mail / "BIG.PMI";
    const std::string message = mail / "BIG.PMM";

    const FolderBytes big = BigFolder(34999, 10);
    auto freshFolder = [&] {
        platform::RemoveFile(mail / "BIG.BKI");
        platform::RemoveFile(mail / "BIG.BKM");
        WriteFileBytes(index, big.pmi);
        WriteFileBytes(message, big.pmm);
        ::sync();
    };

    AppState engineState;
    engineState.settings.RunCheck = LockCheck::Never;
    engineState.currentDirectory = mail.path();
    engineState.ListBox1.Add(index);
    NullPort nullPort;

    Forms forms = CreateForms(settings / "Kestrove.INI");
    TForm1& window = *forms.Form1;
    window.show();
    QCoreApplication::processEvents();
    window.state().settings.RunCheck = LockCheck::Never;
    window.state().ListBox1.Add(index);
    window.ListChanged(ListId::ListBox1);

    // The window's time runs until it has painted the result.
    const std::optional<Comparison> times = CompareAlternately(
        24, freshFolder, [&] { RunDeleteDupes1Click(engineState, nullPort); },
        [&] {
            window.RunDeleteDupes1Click();
            QCoreApplication::processEvents();
        },
        [&] {
            return window.LabelInfoMsg1->text() == QStringLiteral("1 of 1 files processed.") &&
                   window.state().table.count == 34999 && Dialogs::Failures().isEmpty();
        });
    if (!times) {
        std::fprintf(stderr, "the window's run did not go through\n");
        return 1;
    }
    const double engine = times->reference, through = times->measured;
    std::printf("# run over 34999 records: engine %.3f s, window %.3f s (%+.1f ms)\n", engine,
                through, (through - engine) * 1000.0);
    std::printf("BENCH run_window_vs_engine %.3f x\n", through / engine);

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
        Dialogs::SetNextModal([&](QDialog* d) {
            d->repaint();
            shown = Clock::now();
        });
        const auto t0 = Clock::now();
        window.ListBox1DblClick();
        openTimes.push_back(Seconds(shown - t0) * 1000.0);
        if (forms.Form2->model().RecordCount() != 35000) {
            std::fprintf(stderr, "the viewer did not show the records\n");
            return 1;
        }
    }
    std::printf("BENCH viewer_window_open %.1f ms\n", Median(openTimes));
    return Dialogs::Failures().isEmpty() ? 0 : 1;
}
