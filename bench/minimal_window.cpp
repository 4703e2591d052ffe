// The least a Qt Widgets program does to show a window: the anchor of the station's start-up.
// It quits once the window has been painted.
//   minimal_window                   an empty window
//   minimal_window --chinese         one line of Chinese in the verdict's font, to tell what the
//                                    station's text costs from what the station itself adds
//   minimal_window --probe COMMAND   runs COMMAND (the probe query) through the shell first and
//                                    shows its output in one label: the least any station does
//                                    before it can say Ready
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

class QuitWhenPainted : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QTimer::singleShot(0, qApp, &QApplication::quit); }
};

// What command prints on standard output, run through /bin/sh as popen does.
QString ShellOutput(const char* command) {
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command, "r"), ::pclose);
    std::string output;
    char buffer[4096];
    while (std::size_t count = pipe ? std::fread(buffer, 1, sizeof buffer, pipe.get()) : 0) {
        output.append(buffer, count);
    }
    return QString::fromLocal8Bit(output.data(), static_cast<qsizetype>(output.size()));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QuitWhenPainted window;
    window.resize(720, 500);
    if (argc == 2 && std::strcmp(argv[1], "--chinese") == 0) {
        QFont font(QString::fromUtf8("宋体"));
        font.setPixelSize(72);
        font.setBold(true);
        font.setItalic(true);
        auto* label = new QLabel(QString::fromUtf8("烧写工具 Ready"), &window);  // owned by window
        label->setFont(font);
    } else if (argc == 3 && std::strcmp(argv[1], "--probe") == 0) {
        new QLabel(ShellOutput(argv[2]), &window);  // owned by window
    }
    window.show();
    return QApplication::exec();
}
