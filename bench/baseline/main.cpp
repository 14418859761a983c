// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline the game's start-up and memory are measured against: a bare
// Qt Widgets window of the game's size (a 760 x 529 client area below a menu
// bar with "&Opzioni" and its three items, and "&Info"), with nothing in it
// but one plain fill.
//
// With NAVICELLA_TRACE_PAINTS set it writes "baseline: painted <ns>" to
// stderr at the end of every completed paint of the client area, <ns> being
// the steady clock, exactly as the game reports the paints of its board.
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class ClientArea final : public QWidget {
public:
    explicit ClientArea(QWidget* parent)
        : QWidget(parent), m_trace(qEnvironmentVariableIsSet("NAVICELLA_TRACE_PAINTS"))
    {
        // Painted whole every time, as the game's board is.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(255, 255, 192));
        painter.end();
        if (!m_trace)
            return;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::fprintf(stderr, "baseline: painted %lld\n",
                     static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stderr);
    }

private:
    bool m_trace;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("navicella-baseline"));

    QMainWindow window;
    window.setCentralWidget(new ClientArea(&window));
    QMenu* options = window.menuBar()->addMenu(QStringLiteral("&Opzioni"));
    options->addAction(QStringLiteral("Facile"));
    options->addAction(QStringLiteral("Semplice"));
    options->addAction(QStringLiteral("Complesso"));
    window.menuBar()->addAction(QStringLiteral("&Info"));

    // Sized and placed the way the game's window is.
    window.resize(760, 529 + window.menuBar()->sizeHint().height());
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
