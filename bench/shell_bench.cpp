// The real window, offscreen: selecting the largest file a chain can hold until all five panes hold
// their texts, switching views with a button, sorting a full 144-row list.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "bench/hostile_inputs.h"
#include "shell/control_ids.h"
#include "shell/disk_map_view.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "viewer/session.h"

namespace {

using kestrune::testing::Block;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

// 3,000 lines of BASIC in 64 KB: keywords, strings with colours and runs.
Bytes LongBasicProgram() {
    const Bytes printLine = {0x99, 0x22, 0x93, 0x11, 0x11, 0x48, 0x49,
                             0x20, 0x20, 0x20, 0x58, 0x22, 0x3B, 0x41};
    const Bytes forLine = {0x81, 0x49, 0xB2, 0x31, 0xA4, 0x31, 0x30, 0x30, 0x3A, 0x97,
                           0x35, 0x33, 0x32, 0x38, 0x30, 0x2C, 0x49, 0x3A, 0x82};
    std::vector<kestrune::testing::BasicLine> lines;
    for (std::uint16_t number = 1; lines.size() < 3000; ++number)
        lines.push_back({number, number % 2 ? printLine : forLine});
    return kestrune::testing::BasicProgram(0x0801, lines);
}

// Row 1: the largest file loading at load (a 64 KB BASIC program at $0801, noise elsewhere);
// row 2: a one-block SEQ file.
std::string LargestFileDisk(const kestrune::testing::TempDir& dir, std::uint16_t load) {
    DiskBuilder disk = DiskBuilder::D71();
    Bytes data = kestrune::testing::Program(
        load, load == 0x0801 ? LongBasicProgram() : kestrune::testing::Noise(258 * 254 - 2));
    disk.AddFile("LARGEST", 0x82, data);
    disk.AddFile("SMALL", 0x81, Bytes{0x41});
    return disk.WriteTo(dir / "largest.d71").string();
}

struct Window {
    explicit Window(const std::string& image) {
        ReplaceMessageBoxes([](const kestrune::Message&) { return false; });
        dialog.show();
        QApplication::processEvents();
        dialog.openImage(QString::fromStdString(image));
        QApplication::processEvents();
    }
    ~Window() { ReplaceMessageBoxes(nullptr); }

    // Selects a row and lets the window paint what it shows.
    void Select(int row) {
        List()->selectRow(row);
        QApplication::processEvents();
    }

    // File > Close.
    void Close() {
        for (QAction* action : dialog.findChildren<QAction*>()) {
            if (action->text() == QStringLiteral("&Close")) action->trigger();
        }
        QApplication::processEvents();
    }

    QTableView* List() const {
        return dialog.findChild<QTableView*>(QString::number(IDC_FILE_LIST));
    }
    QWidget* Control(int id) const { return dialog.findChild<QWidget*>(QString::number(id)); }

    MainWindow dialog;
};

void SelectLargestFile(benchmark::State& state, std::uint16_t load) {
    kestrune::testing::TempDir dir;
    Window window(LargestFileDisk(dir, load));
    for (auto _ : state) {
        window.Select(0);
        state.PauseTiming();
        window.Select(1);
        state.ResumeTiming();
    }
}

void BM_SelectLargestFileAsCode(benchmark::State& state) {
    SelectLargestFile(state, 0xC000);
}
BENCHMARK(BM_SelectLargestFileAsCode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectLargestFileAsBasic(benchmark::State& state) {
    SelectLargestFile(state, 0x0801);
}
BENCHMARK(BM_SelectLargestFileAsBasic)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SwitchViews(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    Window window(LargestFileDisk(dir, 0xC000));
    window.Select(0);
    int view = 0;
    for (auto _ : state) {
        view = (view + 1) % 5;
        static_cast<QAbstractButton*>(window.Control(IDC_RADIO_BASIC + view))->click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SwitchViews)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two Koala pictures of noise, selected in turn: each opens in the Picture view, decoded, drawn in
// its palette and painted.
void BM_SelectPictureFile(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    DiskBuilder disk;
    disk.AddFile("FIRST", 0x82,
                 kestrune::testing::Program(0x6000, kestrune::testing::Noise(10001)));
    disk.AddFile("SECOND", 0x82,
                 kestrune::testing::Program(0x6000, kestrune::testing::Noise(10001, 7)));
    Window window(disk.WriteTo(dir / "pictures.d64").string());
    int row = 0;
    for (auto _ : state) {
        window.Select(row);
        row = 1 - row;
    }
}
BENCHMARK(BM_SelectPictureFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// A file of 64 MiB of noise selected, then one view shown: the window's panes hold a first part
// of such a file, so each action stays short whatever the file's size.
void BM_SelectHugeFileInAView(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    const auto path = kestrune::testing::WriteFile(
        dir / "huge.prg",
        kestrune::testing::Program(0xC000, kestrune::testing::Noise((64u << 20) - 2)));
    Window window(path.string());
    auto* button = static_cast<QAbstractButton*>(
        state.range(0) < 5 ? window.Control(IDC_RADIO_BASIC + static_cast<int>(state.range(0)))
                           : window.dialog.findChild<QWidget*>(QStringLiteral("diskButton")));
    for (auto _ : state) {
        window.Select(0);
        button->click();
        QApplication::processEvents();
        state.PauseTiming();
        window.List()->clearSelection();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectHugeFileInAView)
    ->DenseRange(0, 5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

void BM_Sort144Rows(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    DiskBuilder disk;
    const Block file = disk.AddFile("PROGRAM", 0x82, Bytes{0x01, 0x08, 0x00});
    for (int i = 1; i < 144; ++i) {
        disk.AddEntry(
            {0x82, static_cast<std::uint8_t>(file.track), static_cast<std::uint8_t>(file.sector),
             "FILE " + std::to_string((i * 37) % 144), static_cast<std::uint16_t>(i % 7)});
    }
    Window window(disk.WriteTo(dir / "full.d64").string());
    int column = 0;
    for (auto _ : state) {
        // What a click on the column's heading does.
        emit window.List()->horizontalHeader()->sectionClicked(column);
        if (state.range(0)) QApplication::processEvents();
        column = (column + 1) % 6;
    }
    state.counters["rows"] = window.List()->model()->rowCount();
}
BENCHMARK(BM_Sort144Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Disk view's map of a D81 (80 tracks of 40 sectors) painted whole: 60 files of 50 blocks,
// one file's chain marked.
void BM_PaintD81DiskView(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    auto disk = kestrune::testing::LayoutDiskBuilder::D81();
    for (int file = 0; file < 60; ++file) {
        std::vector<Block> blocks;
        for (int i = 0; i < 50; ++i) {
            const int at = file * 50 + i;
            blocks.push_back({1 + at / 40 + (at / 40 >= 39 ? 1 : 0), at % 40});
        }
        disk.Chain(Bytes(50 * 254, static_cast<std::uint8_t>(file)), blocks);
        disk.Entry({40, 3 + file / 8}, file % 8,
                   {0x82, static_cast<std::uint8_t>(blocks[0].track), 0,
                    "FILE " + std::to_string(file), 50});
        if (file % 8 == 7)
            disk.Sector(40, 3 + file / 8)[0] = 40, disk.Sector(40, 3 + file / 8)[1] =
                                                       static_cast<std::uint8_t>(4 + file / 8);
    }
    const auto path = kestrune::testing::WriteFile(dir / "full.d81", disk.bytes());
    kestrune::Session session;
    session.Open(path.string(), [](const kestrune::Message&) { return false; });
    DiskMapView view;
    view.setMap(session.Map(), [](int, int) { return QString(); });
    view.setHighlightRow(7);
    QImage image(view.sizeHint(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["sectors"] = 3200;
}
BENCHMARK(BM_PaintD81DiskView)->Unit(benchmark::kMillisecond)->UseRealTime();

// The longest the window's thread goes without serving a timer of 1 ms, between Start and Stop.
class StallWatch {
  public:
    StallWatch() {
        QObject::connect(&tick_, &QTimer::timeout, [this] { Passed(); });
    }
    void Start() {
        last_ = std::chrono::steady_clock::now();
        tick_.start(1);
    }
    void Stop() {
        Passed();
        tick_.stop();
    }
    double Longest() const { return longest_; }

  private:
    void Passed() {
        const auto now = std::chrono::steady_clock::now();
        longest_ =
            std::max(longest_, std::chrono::duration<double, std::milli>(now - last_).count());
        last_ = now;
    }
    QTimer tick_;
    std::chrono::steady_clock::time_point last_;
    double longest_ = 0;
};

// A file made to cost as much as it can, opened in the window until it has painted what it
// shows (the list, and with diskView the Disk view's map and findings), then its last row
// selected. The file is read on a thread of its own: longest_stall_ms is the longest the window
// went without answering, select_last_row_ms what the selection took.
void OpenHostileFile(benchmark::State& state, const char* name, Bytes (*make)(), bool diskView) {
    kestrune::testing::TempDir dir;
    const QString path =
        QString::fromStdString(kestrune::testing::WriteFile(dir / name, make()).string());
    Window window(DiskBuilder().WriteTo(dir / "blank.d64").string());
    if (diskView) window.dialog.findChild<QAbstractButton*>(QStringLiteral("diskButton"))->click();
    double selecting = 0;
    // The longest the window's thread went without serving a timer while the file opened.
    StallWatch watch;
    for (auto _ : state) {
        watch.Start();
        window.dialog.openImage(path);
        QApplication::processEvents();
        watch.Stop();
        state.PauseTiming();
        const int lastRow = window.List()->model()->rowCount() - 1;
        const auto start = std::chrono::steady_clock::now();
        window.Select(lastRow);
        selecting = std::max(selecting, std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - start)
                                            .count());
        window.Close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["select_last_row_ms"] = selecting;
    state.counters["longest_stall_ms"] = watch.Longest();
}
#define OPEN_HOSTILE(label, name, make, diskView)                                      \
    BENCHMARK_CAPTURE(OpenHostileFile, label, name, kestrune::hostile::make, diskView) \
        ->Unit(benchmark::kMillisecond)                                                \
        ->UseRealTime()                                                                \
        ->Iterations(3)
OPEN_HOSTILE(zip_1000_entries_on_one_member, "bomb.zip", ZipBomb, false);
OPEN_HOSTILE(t64_65535_entries_at_one_offset, "same.t64.gz", TapeOfSameEntries, false);
OPEN_HOSTILE(file_64MiB, "zeros.prg", Zeros, false);
OPEN_HOSTILE(file_64MiB_zipped, "zeros.zip", ZippedZeros, false);
OPEN_HOSTILE(d82_16432_rows_on_one_chain, "same.d82", D82, false);
OPEN_HOSTILE(d82_16432_rows_on_one_chain_disk_view, "same.d82", D82, true);
OPEN_HOSTILE(d82_with_errors_disk_view, "errors.d82", D82WithErrors, true);

// A folder of 2,000 D64s of ten programs opened in the Collection pane and indexed while a
// name is typed into its query box, a letter every 50 ms: the longest the window's thread went
// without serving a timer, and how long the indexing took.
void BM_IndexFolderWhileTyping(benchmark::State& state) {
    kestrune::testing::TempDir dir;
    std::filesystem::create_directory(dir / "disks");
    for (int disk = 0; disk < 2000; ++disk) {
        DiskBuilder d64;
        for (int file = 0; file < 10; ++file) {
            d64.AddFile("GAME " + std::to_string(disk) + "-" + std::to_string(file), 0x82,
                        kestrune::testing::Program(
                            0x0801, kestrune::testing::Noise(
                                        1500, static_cast<std::uint32_t>(disk * 10 + file))));
        }
        d64.WriteTo(dir / "disks" / ("disk" + std::to_string(disk) + ".d64"));
    }
    Window window(DiskBuilder().WriteTo(dir / "blank.d64").string());
    StallWatch watch;
    double indexing = 0;
    for (auto _ : state) {
        const QString typed = QStringLiteral("game 1234-5");
        const auto start = std::chrono::steady_clock::now();
        watch.Start();
        window.dialog.openImage(QString::fromStdString((dir / "disks").string()));
        auto* cancel = window.dialog.findChild<QWidget*>(QStringLiteral("cancelIndexing"));
        auto* query = window.dialog.findChild<QLineEdit*>(QStringLiteral("collectionQuery"));
        query->clear();
        int letters = 0;
        auto typedAt = start;
        while (cancel->isVisible()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            const auto now = std::chrono::steady_clock::now();
            if (letters < typed.size() && now - typedAt > std::chrono::milliseconds(50)) {
                query->setText(typed.left(++letters));
                typedAt = now;
            }
        }
        indexing =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        watch.Stop();
    }
    state.counters["longest_stall_ms"] = watch.Longest();
    state.counters["indexing_ms"] = indexing;
}
BENCHMARK(BM_IndexFolderWhileTyping)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    kestrune::testing::TempDir data;
    setenv("XDG_DATA_HOME", (data / "data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
