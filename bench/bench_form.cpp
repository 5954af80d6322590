// Board form: time to build the whole form into a widget and show it (offscreen), beside
// building and showing as many plain labels, in a grid, as the form has widgets, in the same run.
//
//     bench_form [--short] [runs]        (default 15 runs of each, alternately; 1 if short)
#include "benchenv.h"
#include "ui_board.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QTabBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{

const QSize FormSize(1395, 968);

// Milliseconds to build a widget with build and show it until it is exposed; -1 on failure.
double timeShown(const std::function<void(QWidget &)> &build)
{
    QElapsedTimer timer;
    timer.start();
    {
        QWidget widget;
        build(widget);
        widget.resize(FormSize);
        widget.show();
        if (!QTest::qWaitForWindowExposed(&widget))
            return -1;
        QCoreApplication::processEvents();
    }
    return timer.nsecsElapsed() / 1e6;
}

void buildForm(QWidget &widget)
{
    Ui::Board ui;
    ui.setupUi(&widget);
}

void buildLabels(QWidget &widget, int count)
{
    auto *grid = new QGridLayout(&widget);
    const int columns = 30;
    for (int i = 0; i < count; ++i)
        grid->addWidget(new QLabel(QString::number(i), &widget), i / columns, i % columns);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : BenchEnvironment::pick(15, 1);
    int widgets = 0;
    {
        QWidget probe;
        buildForm(probe);
        // The form's own widgets: named, not Qt's inner parts ("qt_…", the tab bar's buttons).
        for (const QWidget *w : probe.findChildren<QWidget *>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
                !qobject_cast<const QTabBar *>(w->parentWidget()))
                ++widgets;
    }
    std::vector<double> form, labels;
    for (int i = 0; i < runs; ++i) {
        form.push_back(timeShown(buildForm));
        labels.push_back(timeShown([widgets](QWidget &w) { buildLabels(w, widgets); }));
        if (form.back() < 0 || labels.back() < 0) {
            return env.failed(QStringLiteral("a window was not exposed"));
        }
    }
    const double formMs = median(form);
    const double labelMs = median(labels);
    std::printf("widgets in the form: %d\n", widgets);
    std::printf("board form built and shown: %.2f ms (median of %d)\n", formMs, runs);
    std::printf("%d plain labels built and shown: %.2f ms\n", widgets, labelMs);
    std::printf("ratio form / labels: %.2f\n", formMs / labelMs);
    return 0;
}
