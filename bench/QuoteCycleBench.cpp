// SPDX-License-Identifier: MIT
// Times the main window's paste, quote and copy cycle against the plain paste of the same text,
// through the handlers a user's clicks run, on the application's own clipboard.
//
//   QuoteCycleBench FILE [REPETITIONS]     all paths, interleaved: medians of the elapsed and the
//                                          processor time, their ratios to the paste, and each
//                                          path's peak memory
//   QuoteCycleBench FILE 1 PATH            one run of one path (paste, icon or window) on an
//                                          empty buffer
//
// Paths: "paste" is the paste button (clear, paste); "icon" is the popup menu's paste-and-quote
// item in icon mode (auto paste on); "window" is the paste button and then the quote button in
// window mode. Line adjustment is on at 70 columns with the mark "> ". Every timing includes the
// events the run leaves behind (the buffer's repaint when it is shown again).
#include "app/Forms.h"
#include "app/Startup.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/mainwindow/ToolButton.h"
#include "core/QuoteCommand.h"
#include "gui/ErrorBox.h"
#include "gui/settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

// The process's peak resident memory since the last resetPeak(), in kilobytes (VmHWM).
long peakKilobytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long kilobytes = 0;
    char line[256];
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
            break;
    }
    if (status)
        std::fclose(status);
    return kilobytes;
}

// Starts the peak over from the memory in use now, so a run's peak is its own (the windows and
// the clipboard's text, which the running program holds too, included).
void resetPeak()
{
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

std::string lfOnly(const std::string& text)
{
    std::string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            lf += text[i];
        else if (text.compare(i, 2, "\r\n") != 0)
            lf += '\n';
    }
    return lf;
}

void setIconMode(bool icon)
{
    ConfigForm->findChild<QCheckBox*>(QStringLiteral("AutoPaste"))->setChecked(icon);
    QApplication::processEvents();
}

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest time in the current run during which the event loop handled nothing: the window
// could not repaint then. The benchmark's 20 ms timer measures it.
QElapsedTimer sinceEvents;
double longestStall = 0; // ms

void eventsHandled()
{
    longestStall = std::max(longestStall, double(sinceEvents.nsecsElapsed()) / 1e6);
    sinceEvents.start();
}

struct Timing {
    double stall; // ms, see longestStall
    double wall; // ms
    double cpu;  // ms of the process's processor time, which other work on a shared machine barely moves
    long peak;   // kB, the run's peak resident memory
};

// One timed run: the clipboard is filled with the mail first, outside the timing.
Timing timeRun(const QString& mail, const std::function<void()>& run)
{
    QGuiApplication::clipboard()->setText(mail);
    QApplication::processEvents();
    resetPeak();
    longestStall = 0;
    sinceEvents.start();
    QElapsedTimer timer;
    const double cpuStart = cpuMilliseconds();
    timer.start();
    navrik::guarded(run); // as a click runs a handler: an error goes to the error box
    QApplication::processEvents();
    eventsHandled();
    return {longestStall, double(timer.nsecsElapsed()) / 1e6, cpuMilliseconds() - cpuStart,
            peakKilobytes()};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPETITIONS [paste|icon|window]]\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    // Read through a mapping, so the file's bytes and the text are not both held on the heap.
    const qint64 fileSize = file.size();
    uchar* mapped = file.map(0, fileSize);
    const QString mail = QString::fromUtf8(reinterpret_cast<const char*>(mapped), fileSize);
    file.unmap(mapped);
    file.close();
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    navrik::createWindows(app);
    // A text the buffer refuses (a line too long) brings up the error box: close it at once, so
    // the refusal is timed too.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        eventsHandled();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    closer.start(20);
    ConfigForm->findChild<QCheckBox*>(QStringLiteral("AutoLines"))->setChecked(true);
    ConfigForm->findChild<QLineEdit*>(QStringLiteral("LineCount"))->setText(QStringLiteral("70"));
    MainForm->findChild<QLineEdit*>(QStringLiteral("FlagEdit"))->setText(QStringLiteral("> "));
    MainForm->show();
    QApplication::processEvents();

    const std::map<QString, std::function<void()>> paths = {
        {"paste", [] { MainForm->PasteBtnClick(); }},
        {"icon", [] { MainForm->IconImgDblClick(); }},
        {"window", [] {
             MainForm->PasteBtnClick();
             MainForm->MakeBtnClick();
         }},
    };
    const std::vector<QString> order = {"paste", "icon", "window"};

    std::map<QString, std::vector<double>> times;
    std::map<QString, std::vector<double>> cpuTimes;
    std::map<QString, long> peaks;
    std::map<QString, double> stalls;
    for (int rep = 0; rep < repetitions; ++rep) {
        for (const QString& name : order) {
            if (!only.isEmpty() && name != only)
                continue;
            // The mode switch belongs to no command: make it before the timing.
            setIconMode(name == "icon");
            const Timing timing = timeRun(mail, paths.at(name));
            times[name].push_back(timing.wall);
            cpuTimes[name].push_back(timing.cpu);
            peaks[name] = std::max(peaks[name], timing.peak);
            stalls[name] = std::max(stalls[name], timing.stall);
            if (rep == 0 && name != "paste") {
                // A text the buffer refuses leaves the clipboard as it was; any other run must
                // leave the quoted mail there.
                const QString copied = QGuiApplication::clipboard()->text();
                if (copied == mail) {
                    std::printf("  %-7s refused: the buffer and the clipboard stay as they were\n",
                                qPrintable(name));
                } else if (copied.toStdString() != navrik::quoteText(lfOnly(mail.toStdString()), "> ", 68)) {
                    std::fprintf(stderr, "%s: the clipboard does not hold the quoted mail\n", qPrintable(name));
                    return 1;
                }
            }
        }
    }

    std::printf("%s: %.1f MB, %lld lines, %d repetitions\n", argv[1], double(fileSize) / (1024 * 1024),
                qlonglong(mail.count(QLatin1Char('\n'))), repetitions);
    for (const QString& name : order) {
        if (times.count(name) == 0)
            continue;
        const double ms = median(times[name]);
        const double cpu = median(cpuTimes[name]);
        std::printf("  %-7s median %8.1f ms", qPrintable(name), ms);
        if (name != "paste" && times.count("paste"))
            std::printf(" (%.2f x paste)", ms / median(times["paste"]));
        std::printf(", processor %8.1f ms", cpu);
        if (name != "paste" && times.count("paste"))
            std::printf(" (%.2f x paste)", cpu / median(cpuTimes["paste"]));
        std::printf(", peak %.0f MB, longest without repaint %.0f ms\n", double(peaks[name]) / 1024,
                    stalls[name]);
    }
    navrik::destroyWindows();
    return 0;
}
