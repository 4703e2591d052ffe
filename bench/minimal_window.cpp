// The least a Qt Widgets program does to show a window: the anchor of the station's start-up.
// It quits once the window has been painted. With --chinese the window also shows one line of
// Chinese in the verdict's font, to tell what the station's text costs from what the station
// itself adds.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstring>

namespace {

class QuitWhenPainted : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QTimer::singleShot(0, qApp, &QApplication::quit); }
};

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
    }
    window.show();
    return QApplication::exec();
}
