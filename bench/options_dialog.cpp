// Opening the options dialog as a user does: from the click to the dialog on screen with the
// shipped city list (2,875 places) in its city box, and the time to filter that list by a few
// letters typed into the box.
//
//   options_dialog [runs] [city list]
//
// runs defaults to 20; the city list to the one beside this benchmark's build. Uses the display
// of the environment (DISPLAY), else Qt's offscreen platform. The settings file is a temporary
// one, so the user's own is never touched.

#include "settings/settings.h"
#include "tfoptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orlam;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QString cities =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ORLAM_BIN_DIR "/../share/orlam/city.tab");
    if (!QFileInfo::exists(cities)) {
        std::fprintf(stderr, "options_dialog: no city list at %s\n", qPrintable(cities));
        return 1;
    }
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("Orlam.ini")));
    TSettings settings;

    std::vector<double> open;
    std::vector<double> filter;
    int places = 0;
    int matches = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        TfOptions dialog(store, settings, {}, cities);
        dialog.show();
        while (!dialog.windowHandle() || !dialog.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        dialog.repaint();
        open.push_back(timer.nsecsElapsed() / 1e6);
        places = dialog.ComboBox1->count();

        timer.restart();
        QCompleter *completer = dialog.ComboBox1->completer();
        completer->setCompletionPrefix(QStringLiteral("san"));
        matches = completer->completionCount();
        filter.push_back(timer.nsecsElapsed() / 1e6);
        dialog.hide();
    }
    std::printf("options dialog open with %d places: first %.1f ms, median %.1f ms, worst %.1f ms (%d runs, "
                "target < 150 ms)\n",
                places, open.front(), median(open), *std::max_element(open.begin(), open.end()), runs);
    std::printf("filter by \"san\": %d matches, median %.2f ms\n", matches, median(filter));
    return 0;
}
