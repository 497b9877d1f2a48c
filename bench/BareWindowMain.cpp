// vxr-bench-bare: the smallest Qt window program of the tool's size, the yardstick for the
// tool's start-up time and idle memory. With "--label" it also shows one text in the tool's
// font, which tells what any window that shows text pays for its font before any code of the
// tool runs.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include <cstring>

#include "StartupProbe.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(601, 452);
    if (argc > 2 && std::strcmp(argv[2], "--label") == 0) {
        QFont font(QStringLiteral("Noto Sans CJK JP"));
        font.setPixelSize(12);
        QApplication::setFont(font);
        auto* label = new QLabel(QStringLiteral("Read All"), &window);
        label->move(8, 8);
    }
    StartupProbe probe(window, StartupProbe::StartFromArguments(argc, argv), 1000);
    window.show();
    return app.exec();
}
