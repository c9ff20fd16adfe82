// Receive path from bytes in to lines in the views: the main window offscreen, tab "Both", 22-byte
// frames ending in CR LF fed through a link, one frame per read and in 4 KB reads. The window's
// events (paints included) run after every 64 reads, as they would between reads of a busy port.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_receive [seconds per case, default 5]

#include "app/frmMain.h"
#include "link/Link.h"
#include "link/PortPanel.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

namespace {

template <class T> T *find(QWidget &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

constexpr int kFrameBytes = 22;

class FeedLink : public kivo::Link
{
public:
    [[nodiscard]] bool isReady() const override { return true; }
    bool write(const QByteArray &, QString *) override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override { return m_waiting.size(); }
    QByteArray readAll() override { return std::exchange(m_waiting, {}); }
    void discardInput() override { m_waiting.clear(); }
    [[nodiscard]] QString endpoint() const override { return QStringLiteral("feed"); }
    void arrive(const QByteArray &bytes)
    {
        m_waiting += bytes;
        emit readyRead();
    }

private:
    QByteArray m_waiting;
};

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// 4096 frames of 20 characters and CR LF, each with its own weight.
QByteArray frameStream()
{
    QByteArray stream;
    for (int i = 0; i < 4096; ++i) {
        const QByteArray f = "ST,GS,+" + QByteArray::number(i * 7).rightJustified(8, '0') + "kg   ";
        stream += f.left(20) + "\r\n";
    }
    return stream;
}

void run(QApplication &app, FeedLink &link, frmMain &window, const char *name, int readSize, double seconds)
{
    const QByteArray stream = frameStream();
    qint64 bytes = 0;
    qint64 pos = 0;
    const long rssStart = residentKb();
    long rssHalf = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        for (int k = 0; k < 64; ++k) {
            if (pos + readSize > stream.size())
                pos = 0;
            link.arrive(stream.mid(pos, readSize));
            pos += readSize;
            bytes += readSize;
        }
        app.processEvents();
        if (rssHalf == 0 && timer.elapsed() > seconds * 500)
            rssHalf = residentKb();
    }
    const double elapsed = timer.nsecsElapsed() / 1e9;
    std::printf("%-24s %9.0f frames/s  (%lld frames in %.2f s)  RSS kB start %ld, half-way %ld, end %ld; "
                "view chars %d / %d\n",
                name, bytes / double(kFrameBytes) / elapsed, bytes / kFrameBytes, elapsed, rssStart, rssHalf,
                residentKb(), window.views()->rtfPrintAsc->document()->characterCount() - 1,
                window.views()->rtfPrintHex->document()->characterCount() - 1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", sandbox.path().toLocal8Bit());
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    frmMain window;
    window.setEndProgram([] {});
    window.resize(1024, 768);
    window.show();
    FeedLink link;
    window.receivePipeline()->setSerialLink(&link);
    QComboBox *delay = find<QComboBox>(window, "cboDelay");
    delay->setCurrentIndex(delay->findText(QStringLiteral("0")));
    window.views()->tabPrintSelect->setCurrentIndex(2); // "Both"
    app.processEvents();

    run(app, link, window, "one frame per read", kFrameBytes, seconds);
    run(app, link, window, "4 KB reads", 4096, seconds);
    return 0;
}
