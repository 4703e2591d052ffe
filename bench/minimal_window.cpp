// The least a Qt Widgets program does to show a window: the anchor of the station's start-up.
// It quits once the window has been painted.
#include <QApplication>
#include <QTimer>
#include <QWidget>

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
    window.show();
    return QApplication::exec();
}
