// Times the main window's paste, quote and copy cycle against the plain paste of the same text,
// through the handlers a user's clicks run, on the application's own clipboard.
//
//   QuoteCycleBench FILE [REPETITIONS]     all paths, interleaved; medians and their ratios
//   QuoteCycleBench FILE 1 PATH            one run of one path (paste, icon or window), for
//                                          the peak memory of that path alone
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
#include "gui/settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
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
    ConfigForm->AutoPaste->setChecked(icon);
    QApplication::processEvents();
}

// One timed run: the clipboard is filled with the mail first, outside the timing.
double timeRun(const QString& mail, const std::function<void()>& run)
{
    QGuiApplication::clipboard()->setText(mail);
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    run();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
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
    const QString mail = QString::fromUtf8(file.readAll());
    file.close();
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    navrik::createWindows(app);
    ConfigForm->AutoLines->setChecked(true);
    ConfigForm->LineCount->setValue(70);
    MainForm->FlagEdit->setText(QStringLiteral("> "));
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
    const std::string expected = navrik::quoteText(lfOnly(mail.toStdString()), "> ", 68);

    std::map<QString, std::vector<double>> times;
    for (int rep = 0; rep < repetitions; ++rep) {
        for (const QString& name : order) {
            if (!only.isEmpty() && name != only)
                continue;
            // The mode switch belongs to no command: make it before the timing.
            setIconMode(name == "icon");
            times[name].push_back(timeRun(mail, paths.at(name)));
            if (rep == 0 && name != "paste" && QGuiApplication::clipboard()->text().toStdString() != expected) {
                std::fprintf(stderr, "%s: the clipboard does not hold the quoted mail\n", qPrintable(name));
                return 1;
            }
        }
    }

    std::printf("%s: %.1f MB, %lld lines, %d repetitions\n", argv[1], double(file.size()) / (1024 * 1024),
                qlonglong(mail.count(QLatin1Char('\n'))), repetitions);
    for (const QString& name : order) {
        if (times.count(name) == 0)
            continue;
        const double ms = median(times[name]);
        std::printf("  %-7s median %8.1f ms", qPrintable(name), ms);
        if (name != "paste" && times.count("paste"))
            std::printf("   %.2f x paste", ms / median(times["paste"]));
        std::printf("\n");
    }
    std::printf("  peak resident memory %.1f MB\n", double(peakKilobytes()) / 1024);
    navrik::destroyWindows();
    return 0;
}
