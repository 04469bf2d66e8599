// Start-up of the configuration tool: from building the register catalogue
// to the first painted main window, and on to the usable window (every
// page created, the port list filled, "Ready."; the pages are created
// 100 ms after the window is on screen, so that delay is part of it).
// Offscreen unless a display is there:
//   build/tests/bench/bench_app_startup
//   xvfb-run -a build/tests/bench/bench_app_startup
#include "app/CTavemoConfigurationToolApp.h"
#include "app/CTavemoConfigurationToolDlg.h"
#include "tests/support/QtApp.h"
#include "tests/support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QWindow>

#include <cstdlib>

namespace {

// Private ports, lockout and log folders, as for the tests.
const testsupport::TestEnvironment kEnvironment(TAVEMO_BENCH_BIN_DIR);

QApplication& Application()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return testsupport::App();
}

// Counts time until the window has painted once.
class FirstPaint : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

template <class Pred> void WaitFor(Pred pred)
{
    while (!pred())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void Measure(benchmark::State& state, bool untilReady)
{
    Application();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        CTavemoConfigurationToolApp tool;
        CTavemoConfigurationToolDlg& window = tool.Start();
        FirstPaint paint;
        window.installEventFilter(&paint);
        WaitFor([&] { return paint.painted && window.windowHandle() && window.windowHandle()->isExposed(); });
        if (untilReady)
            WaitFor([&] { return window.isStarted(); });
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        window.removeEventFilter(&paint);
        window.close();
        tool.Finish();
    }
}

void BM_StartupToFirstShownWindow(benchmark::State& state)
{
    Measure(state, false);
}
BENCHMARK(BM_StartupToFirstShownWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupToReadyWindow(benchmark::State& state)
{
    Measure(state, true);
}
BENCHMARK(BM_StartupToReadyWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
