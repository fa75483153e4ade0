// The options dialog on a data file of 100,000 button lines, timed beside the floor of its
// write in one process on the same file:
//   window : the launcher window made and shown in a running process (for reference; the
//            launcher's start-up as a process is what bench/options_dialog_vs_startup.sh
//            compares the opening with);
//   open   : the options dialog for button 1, from the command to the dialog shown with
//            "ボタン詳細" listed and its row selected;
//   OK     : OK pressed, the settings and the whole data file written (target: at most 2x
//            `cp` + `sync` of the same file);
//   save   : the data file rewrite of OK alone (BeginSave, Commit: the new file written,
//            flushed and renamed over the old one, the folder flushed), without the settings
//            file that OK writes first;
//   cp+sync: `cp file copy && sync copy`.
// Each figure is the median of RUNS runs. With DATA_FILE the file is that one's copy;
// otherwise one is generated.
//
//   xvfb-run -a ./OptionsDialogBench [RUNS [DATA_FILE]]
#include "core/Platform.h"
#include "core/View.h"
#include "core/launcher/Launcher.h"
#include "core/options/ButtonList.h"
#include "core/settings/Settings.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"
#include "ui/options/TFrmBtnSet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tavolin;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// 100,000 button lines in 100 categories of 1,000, targets of each kind (program, file,
// folder, missing), the page on screen first.
void WriteDataFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    const char* targets[] = {"/bin/sh", "/etc/hosts", "/usr/share", "/missing/target.exe"};
    long n = 0;
    for (int c = 0; c < 100; ++c) {
        out << "[category " << c << "]\r\n";
        for (int i = 0; i < 1000; ++i, ++n) {
            out << (i / 24 + 1) << ':' << (i % 24 + 1) << '=' << targets[n % 4] << " <TS>button "
                << n << "<TE>\r\n";
        }
    }
}

class SilentView : public View {
public:
    void Beep(MsgKind) override {}
    MsgResult ShowMessage(const std::string& text, MsgKind, unsigned, int) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::abort();
    }
    void SetBusy(bool) override {}
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    InstallIconFallback();
    const fs::path dir = fs::temp_directory_path() / "tavolin-options-bench";
    fs::create_directories(dir);
    const DataFiles files = DataFilePaths((dir / "tavolin").string(), {}, PathStyle::Posix);
    if (argc > 2) {
        fs::copy_file(argv[2], files.txt, fs::copy_options::overwrite_existing);
    } else {
        WriteDataFile(files.txt);
    }
    const auto platform = CreatePlatform();

    std::vector<double> start, open, ok, save, floor;
    SilentView silent;
    for (int run = 0; run < runs; ++run) {
        fs::remove(files.ini);
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<TFrmMain>(*platform, files);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return 1;
        start.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        TFrmBtnSet dialog(*platform, window->Core(), TFrmBtnSet::Opening{1, {}}, window.get());
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return 1;
        open.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        dialog.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        ok.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (dialog.result() != QDialog::Accepted) {
            std::fprintf(stderr, "OK did not close the dialog\n");
            return 1;
        }

        options::ButtonList list(*platform, silent, files.txt);
        if (!list.Load())
            return 1;
        timer.restart();
        std::string why;
        if (!list.BeginSave(why) || list.Commit(why) != datafile::Placed::Done) {
            std::fprintf(stderr, "%s\n", why.c_str());
            return 1;
        }
        save.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        const std::string copy = files.txt + ".copy";
        const std::string command = "cp '" + files.txt + "' '" + copy + "' && sync '" + copy + "'";
        if (std::system(command.c_str()) != 0)
            return 1;
        floor.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        fs::remove(copy);
    }
    const auto bytes = fs::file_size(files.txt);
    std::printf("data file: %ju KiB; medians of %d runs\n",
                static_cast<std::uintmax_t>(bytes / 1024), runs);
    std::printf("%-34s %9.1f ms\n", "launcher window (in process)", Median(start));
    std::printf("%-34s %9.1f ms\n", "options dialog open", Median(open));
    std::printf("%-34s %9.1f ms\n", "cp + sync", Median(floor));
    std::printf("%-34s %9.1f ms  %.2fx cp + sync (target 2x)\n", "options dialog OK", Median(ok),
                Median(ok) / Median(floor));
    std::printf("%-34s %9.1f ms  %.2fx cp + sync\n", "the data file rewrite alone", Median(save),
                Median(save) / Median(floor));
    fs::remove_all(dir);
    return 0;
}
