// Drags between two programs on a real X server: a viewer's file dragged
// into another program's window arrives there with its data, and files
// dragged from another program into the source-file list arrive in the
// list. Within one process no drag sees this: there the data is read while
// the drag still runs, where an X11 target reads it only once the drop is
// answered.
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
#include <filesystem>
#include <functional>
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
    // Presses on `from`, starts the drag with a move once the drag-start
    // delay is over, and moves over `into` until `arrived` says the target
    // has it, then lets go.
    void Drag(QPoint from, QPoint into, const std::function<bool()>& arrived) {
        MoveTo(from);
        Mouse({"mousedown", "1", "sleep", "0.3"});
        MoveTo(from + QPoint(30, 0));
        const auto end = Clock::now() + kWait;
        int step = 0;
        while (!arrived() && Clock::now() < end) MoveTo(into + QPoint(step++ % 8, 0));
        Mouse({"mouseup", "1"});
    }

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

    // From the viewer's panel, over the target until it has answered a
    // position and heard the next one: the source then knows the drop is
    // taken.
    Drag(from, into, [&] { return !target.WaitFor("over", 2, std::chrono::milliseconds(200)).isEmpty(); });
    ASSERT_FALSE(target.WaitFor("over", 2).isEmpty()) << "the drag never reached the target";

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

TEST_F(CrossProcessDragTest, FilesDraggedFromAnotherProgramArriveInTheSourceFileList) {
    namespace fs = std::filesystem;
    // The demo installation: its COBOL language takes ".cbl" sources.
    fs::copy(FIXTURES_DIR "/../../demo", dir_.Path(), fs::copy_options::recursive);
    fs::create_directories(dir_ / "out");
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "src/Pay/Main");
    const std::vector<std::string> files = {dir_ / "src/Pay/Main/A.cbl", dir_ / "src/Pay/Main/B.cbl"};
    for (const std::string& f : files) pemtest::WriteFile(f, "       IDENTIFICATION DIVISION.\n");
    QProcessEnvironment env = env_;
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir_ / "config"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(dir_ / "data"));
    env.insert("HOME", QString::fromStdString(dir_ / "home"));
    Helper program(XDND_TOOLS_DIR "/xdnd_program_host",
                   {QString::fromStdString(dir_ / "Tools/Korvex"), QString::fromStdString(dir_ / "out")}, env);
    Helper source(XDND_TOOLS_DIR "/xdnd_drag_source",
                  {QString::fromStdString(files[0]), QString::fromStdString(files[1])}, env);
    const QPoint into = PointOf(program.WaitFor("ready"));
    const QPoint from = PointOf(source.WaitFor("ready"));
    ASSERT_GE(into.x(), 0) << program.Output().toStdString();
    ASSERT_GE(from.x(), 0) << source.Output().toStdString();

    // Over the list until it has answered a position and heard the next
    // one, the source told that it takes a copy.
    Drag(from, into, [&] {
        return !program.WaitFor("over", 2, std::chrono::milliseconds(200)).isEmpty() &&
               !source.WaitFor("action 1", 1, std::chrono::milliseconds(200)).isEmpty();
    });
    ASSERT_FALSE(program.WaitFor("count 2").isEmpty())
        << program.Output().toStdString() << "\nsource: " << source.Output().toStdString();
    EXPECT_EQ(source.WaitFor("result"), "result 1") << "a copy";
    const QByteArray got = program.Output();
    for (const std::string& f : files)
        EXPECT_NE(got.indexOf(QByteArray("file ") + f.c_str() + "\n"), -1) << got.toStdString();
}

} // namespace
