// The Linux screen saver against a private session bus started by this program, with a fake
// desktop service in this process. Cases that need another bus, another display or no Qt
// application at all run this program again as a child (`--child NAME`) and read its report.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestDaemon.h"
#include "XIdleClock.h"
#include "platform/os/linux/LinuxScreenSaver.h"

namespace kavoro::os::linuxos {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using kavoro::testing::TestDaemon;
using kavoro::testing::XIdleClock;

constexpr const char* kChildFlag = "--child";
constexpr const char* kServiceName = "org.freedesktop.ScreenSaver";
constexpr const char* kMainPath = "/org/freedesktop/ScreenSaver";
constexpr const char* kShortPath = "/ScreenSaver";
constexpr const char* kApplication = "Kavoro Player";
constexpr const char* kReason = "Playing video";
constexpr auto kDaemonStartLimit = 10s;
constexpr int kChildLimitMs = 60'000;
constexpr unsigned kFirstCookie = 7001;

const char* MethodName(ScreenSaverMethod m) {
  switch (m) {
    case ScreenSaverMethod::None: return "None";
    case ScreenSaverMethod::DesktopService: return "DesktopService";
    case ScreenSaverMethod::ResetTimer: return "ResetTimer";
  }
  return "?";
}

// ---- The private session bus ------------------------------------------------------------

// A bus daemon of our own, listening in a fresh folder of /tmp (socket paths are short).
class PrivateBus {
 public:
  PrivateBus() {
    char pattern[] = "/tmp/kavoro-saver-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = pattern;
    const fs::path config = dir_ / "bus.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" << (dir_ / "bus").string() << "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    daemon_.emplace(std::vector<std::string>{"dbus-daemon", "--config-file=" + config.string(),
                                             "--nofork", "--print-address"});
    address_ = daemon_->FirstLine(kDaemonStartLimit);
  }
  ~PrivateBus() {
    daemon_.reset();
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  const std::string& Address() const { return address_; }

 private:
  fs::path dir_;
  std::optional<TestDaemon> daemon_;
  std::string address_;
};

const PrivateBus* theBus = nullptr;

// ---- The fake desktop service -----------------------------------------------------------

struct ServiceCall {
  std::string method;
  std::string path;
  std::string application;
  std::string reason;
  unsigned cookie = 0;
  bool operator==(const ServiceCall&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ServiceCall& c) {
  return os << c.method << "@" << c.path << "(" << c.application << ", " << c.reason << ", "
            << c.cookie << ")";
}

// Records every call; answers Inhibit with fresh cookies, or never when silent. Lives on a
// thread of its own, since the caller's thread waits for the answer without an event loop.
class FakeScreenSaverService : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  explicit FakeScreenSaverService(bool silent) : silent_(silent) {}

  std::vector<ServiceCall> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 public slots:
  uint Inhibit(const QString& application, const QString& reason) {
    std::lock_guard lock(mutex_);
    const unsigned cookie = silent_ ? 0 : next_++;
    calls_.push_back({"Inhibit", message().path().toStdString(), application.toStdString(),
                      reason.toStdString(), cookie});
    if (silent_) setDelayedReply(true);  // and never answer
    return cookie;
  }
  void UnInhibit(uint cookie) {
    std::lock_guard lock(mutex_);
    calls_.push_back({"UnInhibit", message().path().toStdString(), "", "", cookie});
  }

 private:
  const bool silent_;
  mutable std::mutex mutex_;
  std::vector<ServiceCall> calls_;
  unsigned next_ = kFirstCookie;
};

// The fake service on the private bus under the well-known name, at the given paths.
class FakeDesktop {
 public:
  explicit FakeDesktop(std::vector<std::string> paths, bool silent = false)
      : service_(new FakeScreenSaverService(silent)) {
    thread_.start();
    service_->moveToThread(&thread_);
    QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(theBus->Address()), kConnection);
    connected_ = bus.isConnected();
    for (const std::string& path : paths) {
      registered_ = registered_ && bus.registerObject(QString::fromStdString(path), service_,
                                                      QDBusConnection::ExportAllSlots);
    }
    registered_ = registered_ && bus.registerService(kServiceName);
  }
  ~FakeDesktop() {
    // Given up first, so the next fake can take the name at once.
    QDBusConnection(kConnection).unregisterService(kServiceName);
    QDBusConnection::disconnectFromBus(kConnection);
    QThread* home = QThread::currentThread();
    QMetaObject::invokeMethod(
        service_, [this, home] { service_->moveToThread(home); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete service_;
  }
  bool Ready() const { return connected_ && registered_; }
  std::vector<ServiceCall> Calls() const { return service_->Calls(); }

 private:
  static constexpr const char* kConnection = "fake_desktop";
  QThread thread_;
  FakeScreenSaverService* service_;  // owned; brought back to this thread to be deleted
  bool connected_ = false;
  bool registered_ = true;
};

// ---- Running this program as a child ----------------------------------------------------

struct ChildReport {
  int exitCode = -1;
  std::map<std::string, std::string> values;  // the child's "key=value" lines
  std::string output;
};

// Runs scenario `name` in a child with `env` changes (an empty value removes the variable).
ChildReport RunChild(const std::string& name, const std::map<std::string, std::string>& env) {
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [key, value] : env) {
    if (value.empty()) {
      environment.remove(QString::fromStdString(key));
    } else {
      environment.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
  }
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(),
              {kChildFlag, QString::fromStdString(name)});
  ChildReport report;
  if (!child.waitForFinished(kChildLimitMs)) {
    child.kill();
    child.waitForFinished();
    report.output = "(child did not finish)";
    return report;
  }
  report.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
  report.output = child.readAllStandardOutput().toStdString();
  std::size_t start = 0;
  while (start < report.output.size()) {
    std::size_t end = report.output.find('\n', start);
    if (end == std::string::npos) end = report.output.size();
    const std::string line = report.output.substr(start, end - start);
    if (const auto eq = line.find('='); eq != std::string::npos) {
      report.values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    start = end + 1;
  }
  return report;
}

void Report(const std::string& key, const std::string& value) {
  std::printf("%s=%s\n", key.c_str(), value.c_str());
  std::fflush(stdout);
}

// ---- Tests on the private bus, in this process -----------------------------------------

class LinuxScreenSaverOnBus : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(theBus->Address().empty()) << "no private bus"; }
};

TEST_F(LinuxScreenSaverOnBus, OneDesktopInhibitionStandsForAllLiveOnes) {
  // The documented path, and the short one some desktops use instead.
  for (const char* path : {kMainPath, kShortPath}) {
    SCOPED_TRACE(path);
    FakeDesktop desktop({path});
    ASSERT_TRUE(desktop.Ready());
    LinuxScreenSaver saver;

    auto first = saver.Inhibit(kApplication, kReason);
    EXPECT_EQ(first->Method(), ScreenSaverMethod::DesktopService);
    auto second = saver.Inhibit(kApplication, "Playing a disc");
    EXPECT_EQ(second->Method(), ScreenSaverMethod::DesktopService);
    EXPECT_EQ(saver.ActiveInhibitions(), 2);
    const ServiceCall inhibit{"Inhibit", path, kApplication, kReason, kFirstCookie};
    EXPECT_EQ(desktop.Calls(), std::vector<ServiceCall>{inhibit});

    first.reset();
    EXPECT_EQ(saver.ActiveInhibitions(), 1);
    EXPECT_EQ(desktop.Calls().size(), 1u) << "released while another still lives";
    second.reset();
    EXPECT_EQ(saver.ActiveInhibitions(), 0);
    const ServiceCall release{"UnInhibit", path, "", "", kFirstCookie};
    EXPECT_EQ(desktop.Calls(), (std::vector<ServiceCall>{inhibit, release}));

    // A new run asks again and gives back its own cookie.
    saver.Inhibit(kApplication, kReason).reset();
    const auto calls = desktop.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].method, "Inhibit");
    EXPECT_EQ(calls[3], (ServiceCall{"UnInhibit", path, "", "", calls[2].cookie}));
    EXPECT_NE(calls[2].cookie, kFirstCookie);
  }
}

TEST_F(LinuxScreenSaverOnBus, WithoutTheServiceOrAnXDisplayNothingIsDone) {
  LinuxScreenSaver saver;
  for (int run = 0; run < 2; ++run) {
    auto a = saver.Inhibit(kApplication, kReason);
    auto b = saver.Inhibit(kApplication, kReason);
    EXPECT_EQ(a->Method(), ScreenSaverMethod::None);
    EXPECT_EQ(b->Method(), ScreenSaverMethod::None);
    EXPECT_EQ(saver.ActiveInhibitions(), 2);
  }
  EXPECT_EQ(saver.ActiveInhibitions(), 0);
}

TEST_F(LinuxScreenSaverOnBus, AServiceThatNeverAnswersCostsOneShortWait) {
  FakeDesktop desktop({kMainPath, kShortPath}, /*silent=*/true);
  ASSERT_TRUE(desktop.Ready());
  LinuxScreenSaver saver;
  QElapsedTimer clock;
  clock.start();
  auto held = saver.Inhibit(kApplication, kReason);
  const auto waited = std::chrono::milliseconds(clock.elapsed());
  // Offscreen there is no X display to fall back on.
  EXPECT_EQ(held->Method(), ScreenSaverMethod::None);
  EXPECT_GE(waited, kScreenSaverCallTimeout / 2);
  EXPECT_LT(waited, 4 * kScreenSaverCallTimeout);
  ASSERT_EQ(desktop.Calls().size(), 1u) << "the other path is not tried after a timeout";
  held.reset();
  EXPECT_EQ(desktop.Calls().size(), 1u) << "nothing to give back without a cookie";
}

TEST_F(LinuxScreenSaverOnBus, DestroyingTheSaverReleasesAndLeavesOutlivingInhibitionsHarmless) {
  FakeDesktop desktop({kMainPath});
  ASSERT_TRUE(desktop.Ready());
  std::unique_ptr<ScreenSaverInhibition> held;
  {
    LinuxScreenSaver saver;
    held = saver.Inhibit(kApplication, kReason);
    ASSERT_EQ(held->Method(), ScreenSaverMethod::DesktopService);
  }
  const auto calls = desktop.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], (ServiceCall{"UnInhibit", kMainPath, "", "", kFirstCookie}));
  EXPECT_EQ(held->Method(), ScreenSaverMethod::None);
  held.reset();
  EXPECT_EQ(desktop.Calls().size(), 2u);
}

// ---- Tests in a child process -------------------------------------------------------------

TEST_F(LinuxScreenSaverOnBus, NoQtApplicationMeansNoBusUntilOneExistsAndItsEndReleases) {
  FakeDesktop desktop({kMainPath});
  ASSERT_TRUE(desktop.Ready());
  const ChildReport child = RunChild("application-lifetime", {});
  ASSERT_EQ(child.exitCode, 0) << child.output;
  EXPECT_EQ(child.values.at("before-application"), "None");
  EXPECT_EQ(child.values.at("with-application"), "DesktopService");
  EXPECT_EQ(child.values.at("after-application"), "None");
  EXPECT_EQ(child.values.at("active-after-application"), "1");
  EXPECT_EQ(child.values.at("active-at-end"), "0");
  const std::vector<ServiceCall> expected = {
      {"Inhibit", kMainPath, kApplication, "with the application", kFirstCookie},
      {"UnInhibit", kMainPath, "", "", kFirstCookie}};
  EXPECT_EQ(desktop.Calls(), expected);
}

TEST(LinuxScreenSaverNoBus, WithoutASessionBusNothingIsDone) {
  const ChildReport child =
      RunChild("no-bus", {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kavoro/bus"},
                          {"DISPLAY", ""},
                          {"WAYLAND_DISPLAY", ""},
                          {"QT_QPA_PLATFORM", "offscreen"}});
  ASSERT_EQ(child.exitCode, 0) << child.output;
  EXPECT_EQ(child.values.at("method"), "None");
  EXPECT_EQ(child.values.at("active"), "2");
  EXPECT_EQ(child.values.at("active-at-end"), "0");
}

TEST_F(LinuxScreenSaverOnBus, WithoutTheServiceAnXDisplaysSaverIsResetOnATimer) {
  TestDaemon xserver({"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                      "320x240x24"});
  const std::string number = xserver.FirstLine(kDaemonStartLimit);
  ASSERT_FALSE(number.empty()) << "Xvfb did not start";
  // The bus is there, the service is not.
  const ChildReport child =
      RunChild("x-reset", {{"DISPLAY", ":" + number}, {"QT_QPA_PLATFORM", "xcb"},
                           {"WAYLAND_DISPLAY", ""}, {"XAUTHORITY", ""}});
  ASSERT_EQ(child.exitCode, 0) << child.output;
  EXPECT_EQ(child.values.at("method"), "ResetTimer");
  const long idleBefore = std::stol(child.values.at("idle-before"));
  const long idleHeld = std::stol(child.values.at("most-idle-while-held"));
  const long idleAfter = std::stol(child.values.at("idle-after"));
  const long hold = std::stol(child.values.at("hold-ms"));
  const long pause = std::stol(child.values.at("pause-ms"));
  EXPECT_GE(idleBefore, pause / 2) << "the server counts idle time";
  EXPECT_LT(idleHeld, hold / 2) << "reset again and again while held";
  EXPECT_GE(idleAfter, pause / 2) << "no more resets once released";
}

// ---- The child scenarios ------------------------------------------------------------------

constexpr auto kXPause = 1200ms;
constexpr auto kXHold = 2500ms;
constexpr auto kXTestInterval = 250ms;
constexpr auto kXSample = 50ms;

// Inhibits before the Qt application exists, while it exists, and across its end.
int ApplicationLifetime(int argc, char** argv) {
  LinuxScreenSaver saver;
  auto early = saver.Inhibit(kApplication, "before the application");
  Report("before-application", MethodName(early->Method()));
  std::unique_ptr<ScreenSaverInhibition> held;
  {
    QGuiApplication app(argc, argv);
    held = saver.Inhibit(kApplication, "with the application");
    Report("with-application", MethodName(held->Method()));
    early.reset();
  }
  Report("after-application", MethodName(held->Method()));
  Report("active-after-application", std::to_string(saver.ActiveInhibitions()));
  held.reset();
  Report("active-at-end", std::to_string(saver.ActiveInhibitions()));
  return 0;
}

int NoBus(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  LinuxScreenSaver saver;
  {
    auto a = saver.Inhibit(kApplication, kReason);
    auto b = saver.Inhibit(kApplication, kReason);
    Report("method", MethodName(a->Method()));
    Report("active", std::to_string(saver.ActiveInhibitions()));
  }
  Report("active-at-end", std::to_string(saver.ActiveInhibitions()));
  return 0;
}

// Runs the event loop for `span`, returning the most idle time seen.
long MostIdleOver(XIdleClock& clock, std::chrono::milliseconds span) {
  long most = 0;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < span.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(kXSample.count()));
    std::this_thread::sleep_for(kXSample);
    most = std::max(most, clock.IdleMs().value_or(-1));
  }
  return most;
}

int XReset(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  XIdleClock clock(qEnvironmentVariable("DISPLAY").toStdString());
  if (!clock.Valid()) return 2;
  Report("pause-ms", std::to_string(kXPause.count()));
  Report("hold-ms", std::to_string(kXHold.count()));
  std::this_thread::sleep_for(kXPause);
  Report("idle-before", std::to_string(clock.IdleMs().value_or(-1)));
  LinuxScreenSaver saver(kXTestInterval);
  auto held = saver.Inhibit(kApplication, kReason);
  Report("method", MethodName(held->Method()));
  Report("most-idle-while-held", std::to_string(MostIdleOver(clock, kXHold)));
  held.reset();
  MostIdleOver(clock, kXPause);
  Report("idle-after", std::to_string(clock.IdleMs().value_or(-1)));
  return 0;
}

int RunChildScenario(const std::string& name, int argc, char** argv) {
  if (name == "application-lifetime") return ApplicationLifetime(argc, argv);
  if (name == "no-bus") return NoBus(argc, argv);
  if (name == "x-reset") return XReset(argc, argv);
  return 3;
}

}  // namespace
}  // namespace kavoro::os::linuxos

int main(int argc, char** argv) {
  using namespace kavoro::os::linuxos;
  if (argc >= 3 && std::string(argv[1]) == kChildFlag) {
    int childArgc = 1;
    return RunChildScenario(argv[2], childArgc, argv);
  }
  // The bus address has to be in place before anything in Qt reaches for a session bus.
  PrivateBus bus;
  if (!bus.Address().empty()) setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
  theBus = &bus;
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "LinuxScreenSaver_test.moc"
