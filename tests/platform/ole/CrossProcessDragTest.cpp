// A drag between two programs on a real X server: a viewer's file dragged
// into another program's window arrives there with its data. Within one
// process no drag sees this: there the data is read while the drag still
// runs, where an X11 target reads it only once the drop is answered.
#include "TestSupport.h"

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(30); // generous: the machine may be busy

// An X server of the test's own, on a display it picks free itself.
class VirtualDisplay {
public:
    ~VirtualDisplay() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    // The display's name (":N"), or empty where no server started.
    std::string Start(const QString& xvfb) {
        int fds[2];
        if (::pipe(fds) != 0) return {};
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            const QByteArray path = xvfb.toLocal8Bit();
            ::execl(path.constData(), path.constData(), "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        const auto end = Clock::now() + kWait;
        while (pid_ > 0 && Clock::now() < end) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        return number.empty() ? std::string() : ":" + number;
    }

private:
    pid_t pid_ = -1;
};

// A helper program on the display; its output is read line by line.
class Helper {
public:
    Helper(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, args);
    }
    ~Helper() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // Waits until `count` lines start with `word`; the last such line.
    QByteArray WaitFor(const QByteArray& word, int count = 1, Clock::duration wait = kWait) {
        const auto end = Clock::now() + wait;
        for (;;) {
            int seen = 0;
            QByteArray last;
            for (const QByteArray& line : output_.split('\n'))
                if (line.startsWith(word)) ++seen, last = line;
            if (seen >= count) return last;
            if (Clock::now() >= end || process_.state() == QProcess::NotRunning) return {};
            process_.waitForReadyRead(100);
            output_ += process_.readAllStandardOutput();
        }
    }
    QByteArray Output() {
        output_ += process_.readAllStandardOutput();
        return output_;
    }

private:
    QProcess process_;
    QByteArray output_;
};

QPoint PointOf(const QByteArray& readyLine) {
    const QList<QByteArray> parts = readyLine.split(' ');
    return parts.size() == 3 ? QPoint(parts[1].toInt(), parts[2].toInt()) : QPoint(-1, -1);
}

class CrossProcessDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        xvfb_ = QStandardPaths::findExecutable("Xvfb");
        xdotool_ = QStandardPaths::findExecutable("xdotool");
        if (xvfb_.isEmpty() || xdotool_.isEmpty()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        const std::string name = display_.Start(xvfb_);
        if (name.empty()) GTEST_SKIP() << "no X server started";
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("DISPLAY", QString::fromStdString(name));
        env_.insert("QT_QPA_PLATFORM", "xcb");
    }
    // Plays the mouse through the X server, as a user's hand would.
    void Mouse(const QStringList& args) {
        QProcess xdotool;
        xdotool.setProcessEnvironment(env_);
        xdotool.start(xdotool_, args);
        ASSERT_TRUE(xdotool.waitForFinished(20000));
        ASSERT_EQ(xdotool.exitCode(), 0) << args.join(' ').toStdString();
    }
    void MoveTo(QPoint at) { Mouse({"mousemove", QString::number(at.x()), QString::number(at.y())}); }

    QString xvfb_, xdotool_;
    VirtualDisplay display_;
    QProcessEnvironment env_;
    pemtest::TempDir dir_;
};

TEST_F(CrossProcessDragTest, AViewersFileDraggedIntoAnotherProgramArrivesWithItsData) {
    const std::string file = dir_ / "listing.txt";
    pemtest::WriteFile(file, "line one\r\n");
    Helper target(XDND_TOOLS_DIR "/xdnd_drop_target", {}, env_);
    Helper viewer(XDND_TOOLS_DIR "/xdnd_viewer_host", {QString::fromStdString(file)}, env_);
    const QPoint into = PointOf(target.WaitFor("ready"));
    const QPoint from = PointOf(viewer.WaitFor("ready"));
    ASSERT_GE(into.x(), 0) << target.Output().toStdString();
    ASSERT_GE(from.x(), 0) << viewer.Output().toStdString();

    // Press on the viewer's panel; a move once the drag-start delay is over
    // starts the drag.
    MoveTo(from);
    Mouse({"mousedown", "1", "sleep", "0.3"});
    MoveTo(from + QPoint(30, 0));
    // Over the target until it has answered a position and heard the next
    // one: the source then knows the drop is taken.
    const auto end = Clock::now() + kWait;
    int step = 0;
    while (target.WaitFor("over", 2, std::chrono::milliseconds(200)).isEmpty() && Clock::now() < end)
        MoveTo(into + QPoint(step++ % 8, 0));
    ASSERT_FALSE(target.WaitFor("over", 2).isEmpty()) << "the drag never reached the target";
    Mouse({"mouseup", "1"});

    ASSERT_FALSE(target.WaitFor("dropped").isEmpty()) << target.Output().toStdString();
    EXPECT_EQ(viewer.WaitFor("result"), "result 0"); // a copy
    const QByteArray got = target.Output();
    const QByteArray url = QUrl::fromLocalFile(QString::fromStdString(file)).toEncoded();
    EXPECT_NE(got.indexOf("uri-list " + url.toPercentEncoding(" /:") + "%0D%0A"), -1) << got.toStdString();
    // Every format offered holds data.
    int formats = 0;
    for (const QByteArray& line : got.split('\n')) {
        if (!line.startsWith("format ")) continue;
        ++formats;
        EXPECT_GT(line.mid(line.lastIndexOf(' ') + 1).toLongLong(), 0) << line.toStdString();
    }
    EXPECT_GT(formats, 0);
}

} // namespace
