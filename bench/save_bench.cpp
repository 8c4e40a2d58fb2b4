// Files saved per second by the save command, per format, for 1,000 selected rows
// of 32 x 32 icons; and for BMP and JPEG, ImageMagick's convert doing the same
// conversion in one process: the same PNG files in, the same number and kind of
// files out (32 x 32 24-bit BMPs with the 40-byte header; baseline JPEGs with the
// quality 90 tables, the standard Huffman tables and 2 x 2 chroma sampling), each
// flattened on white as the program draws them. The files every run writes are counted and their
// kind read back from their headers; a run that wrote nothing, or a convert run whose files differ
// in number or kind from the program's, fails.
//
// There is no convert run for ICO: the program writes 16- or 256-colour icons
// with an AND mask, convert 32-bit ones with alpha, so neither the work nor the
// files are the same.
//
//   bench_save_bench [--icons=DIR] [--windows=DIR] [benchmark options]
//
// By default the rows are the 32 x 32 PNG icons of the installed icon themes
// (--icons, default /usr/share/icons), decoded by Qt while saving. With
// --windows, the rows are the icons of the .exe and .dll files under DIR, read by
// the program's own extraction while saving; convert is not run then, as it
// could not read the same input.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/paths.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "export/save_command.h"
#include "icon_corpus.h"
#include "large_list.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "work_check.h"

using namespace pellimar;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 1000;
QString gIconRoot = "/usr/share/icons";
QString gWindowsRoot;

fs::path outFolder() {
    return fs::temp_directory_path() / "pellimar-save-bench";
}

struct Corpus {
    std::vector<SaveRow> rows;        // kRows rows
    std::vector<std::string> inputs;  // the PNG file of each row (PNG themes only)
    std::size_t distinctIcons = 0;
    bool windows = !gWindowsRoot.isEmpty();
    fs::path out = outFolder();
    Corpus() {
        if (windows) {
            const auto icons = bench::loadWindowsIcons(gWindowsRoot, 32, kRows);
            distinctIcons = icons.size();
            for (int i = 0; i < kRows && !icons.empty(); ++i) {
                const auto& w = icons[std::size_t(i) % icons.size()];
                rows.push_back({w.file, w.index, true});
            }
        } else {
            const auto icons = bench::loadCorpus(gIconRoot, 32, kRows);
            distinctIcons = icons.size();
            for (int i = 0; i < kRows && !icons.empty(); ++i) {
                inputs.push_back(icons[std::size_t(i) % icons.size()].first);
                rows.push_back({inputs.back(), 0, true});
            }
        }
    }
    void freshOut() {
        fs::remove_all(out);
        fs::create_directories(out);
    }
};

Corpus& corpus() {
    static Corpus c;
    return c;
}

// Each row's icon is read from its file when it is saved, as a save run does: a
// group of one image, the PNG as stored.
RowGroupSource pngRowGroups() {
    return [](const fs::path& file, int, ResourceKind) -> Result<IconGroup> {
        auto bytes =
            std::make_shared<const std::vector<std::uint8_t>>(fixtures::readWholeFile(file));
        const auto header = readPngHeader(*bytes);
        if (!header) return failure(Fault::DamagedImage, "not a PNG file");
        StoredImage image;
        image.entry.width = std::uint8_t(header->width >= 256 ? 0 : header->width);
        image.entry.height = std::uint8_t(header->height >= 256 ? 0 : header->height);
        image.entry.planes = 1;
        image.entry.bitCount = std::uint16_t(header->bitsPerPixel);
        image.entry.bytesInRes = std::uint32_t(bytes->size());
        image.depth = header->bitsPerPixel;
        image.length = bytes->size();
        image.data = *bytes;
        image.storage = std::move(bytes);
        IconGroup group;
        group.statedCount = 1;
        group.images.push_back(std::move(image));
        return group;
    };
}

// ---- what a run wrote --------------------------------------------------------

unsigned get16le(const std::vector<char>& b, std::size_t at) {
    return unsigned(std::uint8_t(b[at])) | unsigned(std::uint8_t(b[at + 1])) << 8;
}
unsigned get32le(const std::vector<char>& b, std::size_t at) {
    return get16le(b, at) | get16le(b, at + 2) << 16;
}
unsigned get16be(const std::vector<char>& b, std::size_t at) {
    return unsigned(std::uint8_t(b[at])) << 8 | unsigned(std::uint8_t(b[at + 1]));
}

// A short description of a written picture, from its headers: the format, the
// size, the depth and, for JPEG, the frame type, the sampling factors and a
// checksum of the quantisation tables (which the quality decides) and of the
// Huffman tables (standard ones, or ones fitted to the picture in a second pass).
std::string pictureKind(const std::vector<char>& b) {
    const auto n = b.size();
    if (n >= 54 && b[0] == 'B' && b[1] == 'M')
        return "BMP " + std::to_string(get32le(b, 18)) + "x" + std::to_string(get32le(b, 22)) +
               " " + std::to_string(get16le(b, 28)) + "-bit, " + std::to_string(get32le(b, 14)) +
               "-byte header";
    if (n >= 6 && get16le(b, 0) == 0 && get16le(b, 2) == 1) {
        std::string kind = "ICO";
        const unsigned count = get16le(b, 4);
        for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= n; ++i) {
            const std::size_t entry = 6 + 16 * i;
            const std::size_t data = get32le(b, entry + 12);
            const unsigned bits = data + 16 <= n ? get16le(b, data + 14) : 0;
            kind += " " + std::to_string(std::uint8_t(b[entry])) + "x" +
                    std::to_string(std::uint8_t(b[entry + 1])) + "/" + std::to_string(bits);
        }
        return kind;
    }
    if (n >= 4 && std::uint8_t(b[0]) == 0xFF && std::uint8_t(b[1]) == 0xD8) {
        std::string frame = "?", sampling;
        unsigned tables = 0;
        for (std::size_t at = 2; at + 4 <= n && std::uint8_t(b[at]) == 0xFF;) {
            const unsigned marker = std::uint8_t(b[at + 1]);
            const std::size_t length = get16be(b, at + 2);
            if (marker == 0xDA || at + 2 + length > n) break;  // start of scan
            if (marker == 0xDB || marker == 0xC4)
                for (std::size_t k = at + 4; k < at + 2 + length; ++k)
                    tables = tables * 31 + std::uint8_t(b[k]);
            if ((marker == 0xC0 || marker == 0xC2) && length >= 8) {
                frame = (marker == 0xC0 ? "baseline " : "progressive ") +
                        std::to_string(get16be(b, at + 7)) + "x" +
                        std::to_string(get16be(b, at + 5));
                const unsigned components = std::uint8_t(b[at + 9]);
                for (unsigned c = 0; c < components && at + 11 + 3 * c < n; ++c) {
                    const unsigned f = std::uint8_t(b[at + 11 + 3 * c]);
                    sampling +=
                        (c ? "," : "") + std::to_string(f >> 4) + "x" + std::to_string(f & 15);
                }
            }
            at += 2 + length;
        }
        char checksum[16];
        std::snprintf(checksum, sizeof checksum, "%08x", tables);
        return "JPEG " + frame + " sampling " + sampling + " tables " + checksum;
    }
    return "unknown";
}

struct Outputs {
    long long files = 0;
    long long bytes = 0;
    std::map<std::string, int> kinds;

    std::string summary() const {
        std::string s;
        for (const auto& [kind, count] : kinds)
            s += (s.empty() ? "" : "; ") + std::to_string(count) + " x " + kind;
        return s;
    }
};

Outputs readOutputs(const fs::path& folder) {
    Outputs o;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        ++o.files;
        o.bytes += (long long)bytes.size();
        ++o.kinds[pictureKind(bytes)];
    }
    return o;
}

// What the program's own run wrote, per format, for the convert runs to match.
std::map<std::string, Outputs> gOurOutputs;

void reportOutputs(benchmark::State& state, const Outputs& o) {
    bench::countWork(state, "files", double(o.files));
    state.counters["files/s"] = benchmark::Counter(double(o.files) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["kB/file"] = o.files ? double(o.bytes) / double(o.files) / 1e3 : 0.0;
    state.SetLabel(o.summary());
}

// ---- the runs ------------------------------------------------------------------

Outputs ourSaveOnce(const std::string& ext, SaveReport& report) {
    Corpus& c = corpus();
    AppSettings settings;
    settings.saveSize128 = settings.saveSize16 = false;
    settings.saveSize32 = true;
    // With no row group source the rows' own files are read, as the window's save does.
    SaveContext ctx{settings, report, c.windows ? RowGroupSource() : pngRowGroups()};
    c.freshOut();
    report.clear();
    saveSelectedRows(c.rows, c.out / ("pic." + ext), ctx);
    return readOutputs(c.out);
}

void ourSave(benchmark::State& state, const std::string& ext) {
    Corpus& c = corpus();
    if (c.rows.empty()) {
        bench::failRun(state, "no icons found");
        return;
    }
    AppSettings settings;
    settings.saveSize128 = settings.saveSize16 = false;
    settings.saveSize32 = true;
    SaveReport report;
    SaveContext ctx{settings, report, c.windows ? RowGroupSource() : pngRowGroups()};
    for (auto _ : state) {
        state.PauseTiming();
        c.freshOut();
        report.clear();
        state.ResumeTiming();
        saveSelectedRows(c.rows, c.out / ("pic." + ext), ctx);
    }
    // Monochrome icons have no colour image and give no .ico file, so fewer files
    // than rows can be right; the report and the folder must agree, though.
    const Outputs outputs = readOutputs(c.out);
    bench::expectCount(state, "files in the folder against the report", outputs.files,
                       (long long)report.files().size());
    if (report.failureCount() > 0)
        bench::failRun(state, "the save said: " + problemText(report.failures().front()));
    if (!report.unreadableRows().empty())
        bench::failRun(state,
                       "a row could not be read: " + problemText(report.unreadableRows().front()));
    if (report.stopped())
        bench::failRun(state, "the save stopped: " + problemText(*report.stopReason()));
    state.counters["rows"] = double(c.rows.size());
    state.counters["distinct_icons"] = double(c.distinctIcons);
    reportOutputs(state, outputs);
    gOurOutputs[ext] = outputs;
}

void convertSave(benchmark::State& state, const std::string& ext) {
    Corpus& c = corpus();
    if (c.inputs.empty()) {
        bench::failRun(state, "no icons found");
        return;
    }
    // One process: every PNG in, one picture per PNG out.
    std::string command = "convert";
    for (const std::string& png : c.inputs) command += " '" + png + "'";
    command += " -background white -alpha remove -alpha off";
    if (ext == "bmp")
        command += " -type TrueColor +adjoin 'BMP3:" + (c.out / "pic-%04d.bmp").string() + "'";
    else
        command +=
            " -strip -quality 90 -sampling-factor 2x2 -define jpeg:optimize-coding=false"
            " +adjoin '" +
            (c.out / "pic-%04d.jpg").string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        c.freshOut();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) {
            bench::failRun(state, "convert failed");
            break;
        }
    }
    const Outputs outputs = readOutputs(c.out);
    if (!gOurOutputs.count(ext)) {  // the program's run was filtered out: make its files now
        SaveReport report;
        gOurOutputs[ext] = ourSaveOnce(ext, report);
    }
    const Outputs& ours = gOurOutputs[ext];
    state.counters["rows"] = double(c.inputs.size());
    reportOutputs(state, outputs);
    bench::expectCount(state, "files written (the program's count)", outputs.files, ours.files);
    if (outputs.kinds != ours.kinds)
        bench::failRun(state, "convert wrote other files: " + outputs.summary() +
                                  " where the program wrote " + ours.summary());
}

// Save All of the largest list (393,210 rows, one 32 px icon file each) through
// the window, its dialogs answered at once: the time from the command to the
// first file in the folder, and the most memory the process held against what it
// held with the list alone. Writing all 393,210 files takes many minutes on a
// shared disk, so the run is stopped once kFilesBeforeStop files are in the
// folder (Stop, as the person would): its start and the memory a run holds from
// its start are measured, and the files a second.
void SaveAllLargeList(benchmark::State& state) {
    bench::LargeListFiles files;
    // The export options write their settings file there.
    setProgramDir(files.path());
    test::ScriptedDesktop desktop;
    MainWindow window(desktop);
    ReportDialog report(desktop);
    ExportOptionsDialog exportOptions(window.settings(), desktop);
    window.setReportDialog(&report);
    window.setExportOptionsDialog(&exportOptions);
    AppSettings& settings = window.settings();
    settings.saveSize128 = settings.saveSize16 = false;
    settings.saveSize32 = true;
    settings.saveFormat = "ico";
    bench::openLargeList(window, files);
    const fs::path out = files.path() / "out";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(out);
        fs::create_directories(out);
        malloc_trim(0);
        QApplication::processEvents();
        const std::size_t listBytes = bench::residentBytes();
        const bool peakReset = bench::resetPeakResident();
        desktop.modalScripts.push_back([&](QDialog&) {
            exportOptions.showCurrentSettings();
            exportOptions.confirm();
            return exportOptions.result();
        });
        desktop.saveAnswers.push_back(out / "x.ico");
        double firstFileMs = -1, endMs = -1;
        QElapsedTimer clock;
        desktop.modalScripts.push_back([&](QDialog&) {
            endMs = double(clock.nsecsElapsed()) / 1e6;
            return 1;
        });
        constexpr long kFilesBeforeStop = 10000;
        long filesSeen = 0;
        double stopMs = -1;
        QTimer look;
        look.setInterval(2);
        QObject::connect(&look, &QTimer::timeout, [&] {
            std::error_code ec;
            if (firstFileMs < 0) {
                if (fs::directory_iterator(out, ec) != fs::directory_iterator())
                    firstFileMs = double(clock.nsecsElapsed()) / 1e6;
                return;
            }
            if (stopMs >= 0) return;
            filesSeen = std::distance(fs::directory_iterator(out, ec), fs::directory_iterator());
            if (filesSeen >= kFilesBeforeStop) {
                stopMs = double(clock.nsecsElapsed()) / 1e6;
                window.stopBackgroundWork();
            }
        });
        state.ResumeTiming();
        clock.start();
        look.start();
        window.saveAll();
        while (window.backgroundWorkRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QApplication::processEvents();
        state.PauseTiming();
        look.stop();
        const std::size_t peak = bench::residentBytes(true);
        state.counters["first_file_ms"] = firstFileMs;
        state.counters["run_ms"] = endMs;
        state.counters["files/s"] =
            stopMs > firstFileMs ? double(filesSeen) / (stopMs - firstFileMs) * 1e3 : 0;
        state.counters["rss_list_MB"] = double(listBytes) / 1e6;
        state.counters["rss_peak_MB"] = double(peak) / 1e6;
        state.counters["peak_ratio"] = listBytes ? double(peak) / double(listBytes) : 0;
        const std::size_t written = report.report().files().size();
        const std::string problem = report.report().failures().empty()
                                        ? ""
                                        : problemText(report.report().failures().front());
        const std::string error = desktop.errors.empty() ? "" : desktop.errors.front();
        state.ResumeTiming();
        if (written < std::size_t(kFilesBeforeStop))
            bench::failRun(state, "only " + std::to_string(written) + " files were written");
        if (!peakReset) bench::failRun(state, "the peak of resident memory cannot be reset");
        if (firstFileMs < 0) bench::failRun(state, "no file was seen in the folder");
        if (!problem.empty()) bench::failRun(state, "the save said: " + problem);
        if (!error.empty()) bench::failRun(state, "the window said: " + error);
    }
    fs::remove_all(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (auto root = bench::takeOption(argc, argv, "icons"))
        gIconRoot = QString::fromStdString(*root);
    if (auto root = bench::takeOption(argc, argv, "windows"))
        gWindowsRoot = QString::fromStdString(*root);
    bench::initialize(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Some theme icons carry an sRGB profile libpng remarks on, once per reading.
    QLoggingCategory::setFilterRules("qt.gui.imageio.info=false");

    const bool withConvert =
        gWindowsRoot.isEmpty() && std::system("command -v convert >/dev/null 2>&1") == 0;
    for (const std::string ext : {"ico", "bmp", "jpg"}) {
        benchmark::RegisterBenchmark(("SaveCommand/" + ext).c_str(), ourSave, ext)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        if (withConvert && ext != "ico")
            benchmark::RegisterBenchmark(("ConvertOneProcess/" + ext).c_str(), convertSave, ext)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(2);
    }
    benchmark::RegisterBenchmark("SaveAllLargeList", SaveAllLargeList)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::AddCustomContext("rows",
                                gWindowsRoot.isEmpty()
                                    ? "32 x 32 PNG icons under " + gIconRoot.toStdString()
                                    : "icons of the programs under " + gWindowsRoot.toStdString());
    if (!withConvert)
        benchmark::AddCustomContext("convert", gWindowsRoot.isEmpty()
                                                   ? "not installed: not compared"
                                                   : "not compared on --windows");

    const int status = bench::runAndCheck();
    std::error_code ec;
    fs::remove_all(outFolder(), ec);
    return status;
}
